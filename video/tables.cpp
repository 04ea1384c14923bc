#include "video/tables.h"

#include "video/render.h"

namespace ollendor {

VdpTables vdpTables(const VdpState& vdp)
{
    const uint8_t* r = vdp.registers;
    VdpTables tables{};
    tables.graphics2 = vdp.mode == modeGraphics2;
    tables.text = vdp.mode == modeText;
    tables.drawn = vdp.mode == modeGraphics1 || vdp.mode == modeGraphics2 || vdp.mode == modeText;
    if (tables.text)
        tables.names = uint16_t((r[2] & 0x0F) * 0x400u);
    else
        tables.names = uint16_t((r[2] * 0x400u) & (vramSize - 1));
    if (tables.graphics2) {
        // Graphics II: only the top bit of each register chooses a half of video memory.
        tables.colours = (r[3] & 0x80) ? 0x2000 : 0;
        tables.patterns = (r[4] & 0x04) ? 0x2000 : 0;
    } else {
        tables.colours = uint16_t(r[3] * 0x40u);
        tables.patterns = uint16_t((r[4] & 7) * 0x800u);
    }
    tables.spriteAttributes = uint16_t((r[5] & 0x7F) * 0x80u);
    tables.spritePatterns = uint16_t((r[6] & 7) * 0x800u);
    return tables;
}

const char* spriteStatusText(SpriteStatus status)
{
    switch (status) {
    case SpriteStatus::drawn: return "";
    case SpriteStatus::transparent: return "transparent";
    case SpriteStatus::offScreen: return "off screen";
    case SpriteStatus::endMark: return "end mark";
    case SpriteStatus::afterEndMark: return "after the end mark";
    case SpriteStatus::textMode: return "no sprites in Text mode";
    }
    return "";
}

SpriteTable spriteTable(const VdpState& vdp)
{
    const VdpTables tables = vdpTables(vdp);
    SpriteTable table{};
    table.size = (vdp.registers[1] & 0x02) ? 16 : 8;
    table.magnified = (vdp.registers[1] & 0x01) != 0;
    // Rows are drawn on lines 1 to 191; a magnified row needs two lines, so its top line
    // must be 190 at most. A sprite none of whose rows can land there is off screen (the
    // picture does not wrap).
    const unsigned lastTop = table.magnified ? frameHeight - 2 : frameHeight - 1;
    bool ended = false;
    for (unsigned i = 0; i < 32; ++i) {
        SpriteEntry& entry = table.entries[i];
        const uint8_t* at = vdp.vram + tables.spriteAttributes + i * 4; // ends by 0x3FFF
        entry.index = uint8_t(i);
        entry.y = at[0];
        entry.x = at[1];
        entry.pattern = at[2];
        entry.colour = at[3] & 0x0F;
        entry.earlyClock = (at[3] & 0x80) != 0;
        entry.patternAddress = uint16_t(tables.spritePatterns + (table.size == 16 ? entry.pattern & 0xFC : entry.pattern) * 8u);
        if (ended)
            entry.status = SpriteStatus::afterEndMark;
        else if (entry.y == spriteEndMark)
            entry.status = SpriteStatus::endMark, ended = true;
        else if (tables.text)
            entry.status = SpriteStatus::textMode;
        else if (entry.colour == 0)
            entry.status = SpriteStatus::transparent;
        else if (entry.y > lastTop)
            entry.status = SpriteStatus::offScreen;
        else
            entry.status = SpriteStatus::drawn;
    }
    return table;
}

} // namespace ollendor
