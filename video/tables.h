// The video chip's tables as the renderer reads them: where each table lies in the current
// mode, and the sprite attribute table decoded into the sprites the picture shows. The
// renderer, the debugger's Video chip view and the automation server's tools all call these,
// so what they report is what is drawn.
#pragma once

#include <array>
#include <cstdint>

#include "video/vdp.h"

namespace ollendor {

// Where the tables are in the current mode, the registers masked as the renderer masks them.
struct VdpTables {
    uint16_t names;            // name table
    uint16_t colours;          // colour table (Graphics I: 32 bytes; Graphics II: 6 KiB)
    uint16_t patterns;         // pattern table
    uint16_t spriteAttributes; // sprite attribute table: 32 entries of y, x, name, colour
    uint16_t spritePatterns;   // sprite pattern table
    bool graphics2;            // Graphics II: three blocks of patterns and colours
    bool text;                 // Text: 40 x 24 cells of 6 x 8, colours from register 7
    bool drawn;                // the renderer draws this mode (Graphics I, II, Text)
};
VdpTables vdpTables(const VdpState& vdp);

inline constexpr uint8_t spriteEndMark = 208; // a sprite y that ends the attribute list

// Why a sprite is drawn or not.
enum class SpriteStatus : uint8_t {
    drawn,        // before the end mark, with a colour, on screen
    transparent,  // colour 0
    offScreen,    // below the last line the picture shows: no row of it is drawn
    endMark,      // its y is the end mark: neither it nor any later sprite is drawn
    afterEndMark, // after the end mark
    textMode,     // Text mode shows no sprites
};
// "", "transparent", "off screen", "end mark", "after the end mark", "no sprites in Text mode"
const char* spriteStatusText(SpriteStatus status);

struct SpriteEntry {
    uint8_t index;         // 0-31; a later sprite is drawn over an earlier one
    uint8_t y, x;          // as stored; the sprite is drawn with its top-left pixel at (x, y)
    uint8_t pattern;       // the name stored
    uint16_t patternAddress; // its first pattern byte (a 16 x 16 sprite: the low two bits of the name clear)
    uint8_t colour;        // 0-15; 0 is transparent
    bool earlyClock;       // bit 7 of the colour byte (not modelled: drawn where it is)
    SpriteStatus status;
    bool drawn() const { return status == SpriteStatus::drawn; }
};
struct SpriteTable {
    std::array<SpriteEntry, 32> entries;
    unsigned size;         // 8 or 16 pattern pixels across and down
    bool magnified;        // each pattern pixel drawn as 2 x 2
    unsigned span() const { return magnified ? size * 2 : size; } // pixels across and down on screen
};
SpriteTable spriteTable(const VdpState& vdp);

} // namespace ollendor
