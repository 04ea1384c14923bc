// The video chip's tables as the renderer reads them, for the video chip view: where each
// table lies in this mode, the tables as pictures of palette indices, and the sprite
// attribute table as a list with each sprite's picture.
//
// Patterns: every pattern of the table, 32 to a row, set bits white on black (Graphics II:
// all three blocks of 256, so 256 x 192; otherwise 256 x 64). Names: the screen as the name
// table and the patterns and colours give it, without sprites (Text: 240 x 192). Colours:
// Graphics I's 32 bytes as 8 x 8 cells, foreground left and background right; Graphics
// II's 6 KiB laid out as the pattern picture is, each pattern row's two colours side by
// side. Text mode takes its colours from register 7 and has no colour table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ui/debugger/picture.h"
#include "video/vdp.h"

namespace ollendor {

// Where the tables are in the current mode, as the renderer masks the registers.
struct VdpTables {
    uint16_t names;
    uint16_t colours;
    uint16_t patterns;
    uint16_t spriteAttributes;
    uint16_t spritePatterns;
    bool graphics2; // Graphics II: three blocks of patterns and colours
    bool text;      // Text: 40 x 24 cells of 6 x 8, colours from register 7
    bool drawn;     // the renderer draws this mode (Graphics I, II, Text)
};
VdpTables vdpTables(const VdpState& vdp);

void patternPicture(const VdpState& vdp, IndexedPicture& picture);
void namePicture(const VdpState& vdp, IndexedPicture& picture);
// An empty picture (0 x 0) in Text mode.
void colourPicture(const VdpState& vdp, IndexedPicture& picture);

struct SpriteEntry {
    unsigned index;        // 0-31
    uint8_t y, x;          // as stored (y 208 ends the list)
    uint8_t pattern;       // the name stored (a 16 x 16 sprite uses it with the low two bits clear)
    uint8_t colour;        // 0-15; 0 is transparent
    bool earlyClock;       // bit 7 of the colour byte (not modelled: drawn where it is)
    bool drawn;            // before the end mark, with a colour, in a mode with sprites
    std::string note;      // "end mark", "after the end mark", "transparent", ""
};
struct SpriteTable {
    std::array<SpriteEntry, 32> entries;
    unsigned size;         // 8 or 16 pixels
    bool magnified;
};
SpriteTable spriteTable(const VdpState& vdp);
// Every sprite's pattern in its colour on transparent, side by side (32 x size across):
// sprite i at x = i * size.
void spritePictures(const VdpState& vdp, const SpriteTable& table, IndexedPicture& picture);

} // namespace ollendor
