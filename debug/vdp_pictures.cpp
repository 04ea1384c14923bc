#include "debug/vdp_pictures.h"

namespace ollendor {

namespace {
constexpr uint8_t setColour = 15;   // white
constexpr uint8_t clearColour = 1;  // black

uint8_t vram(const VdpState& vdp, unsigned address)
{
    return vdp.vram[address & (vramSize - 1)];
}

// One 8 x 8 cell of a pattern at (x, y): foreground where a bit is set.
void drawCell(IndexedPicture& picture, int x, int y, const VdpState& vdp, unsigned patternAddress,
              uint8_t foreground, uint8_t background, int width = 8)
{
    for (int row = 0; row < 8; ++row) {
        const uint8_t bits = vram(vdp, patternAddress + unsigned(row));
        for (int col = 0; col < width; ++col)
            picture.set(x + col, y + row, (bits << col & 0x80) ? foreground : background);
    }
}
} // namespace

void patternPicture(const VdpState& vdp, IndexedPicture& picture)
{
    const VdpTables tables = vdpTables(vdp);
    const int count = tables.graphics2 ? 768 : 256;
    picture.resize(256, count / 32 * 8);
    for (int pattern = 0; pattern < count; ++pattern)
        drawCell(picture, pattern % 32 * 8, pattern / 32 * 8, vdp, tables.patterns + unsigned(pattern) * 8, setColour,
                 clearColour);
}

void namePicture(const VdpState& vdp, IndexedPicture& picture)
{
    const VdpTables tables = vdpTables(vdp);
    if (tables.text) {
        const uint8_t foreground = vdp.registers[7] >> 4, background = vdp.registers[7] & 0x0F;
        picture.resize(240, 192);
        for (int cell = 0; cell < 40 * 24; ++cell) {
            const uint8_t name = vram(vdp, tables.names + unsigned(cell));
            drawCell(picture, cell % 40 * 6, cell / 40 * 8, vdp, tables.patterns + name * 8u, foreground, background, 6);
        }
        return;
    }
    picture.resize(256, 192);
    for (int cell = 0; cell < 32 * 24; ++cell) {
        const uint8_t name = vram(vdp, tables.names + unsigned(cell));
        const int x = cell % 32 * 8, y = cell / 32 * 8;
        if (tables.graphics2) {
            // Each third of the screen has its own block of patterns and colours.
            const unsigned index = unsigned(cell / 256) * 0x800 + name * 8u;
            for (int row = 0; row < 8; ++row) {
                const uint8_t bits = vram(vdp, tables.patterns + index + unsigned(row));
                const uint8_t colour = vram(vdp, tables.colours + index + unsigned(row));
                for (int col = 0; col < 8; ++col)
                    picture.set(x + col, y + row, (bits << col & 0x80) ? colour >> 4 : colour & 0x0F);
            }
        } else {
            const uint8_t colour = vram(vdp, tables.colours + name / 8u);
            drawCell(picture, x, y, vdp, tables.patterns + name * 8u, colour >> 4, colour & 0x0F);
        }
    }
}

void colourPicture(const VdpState& vdp, IndexedPicture& picture)
{
    const VdpTables tables = vdpTables(vdp);
    if (tables.text) {
        picture.resize(0, 0);
        return;
    }
    auto pair = [&](int x, int y, int height, uint8_t colour) {
        for (int row = 0; row < height; ++row)
            for (int col = 0; col < 8; ++col)
                picture.set(x + col, y + row, col < 4 ? colour >> 4 : colour & 0x0F);
    };
    if (!tables.graphics2) {
        picture.resize(256, 8);
        for (int entry = 0; entry < 32; ++entry)
            pair(entry * 8, 0, 8, vram(vdp, tables.colours + unsigned(entry)));
        return;
    }
    picture.resize(256, 192);
    for (int pattern = 0; pattern < 768; ++pattern)
        for (int row = 0; row < 8; ++row)
            pair(pattern % 32 * 8, pattern / 32 * 8 + row, 1, vram(vdp, tables.colours + unsigned(pattern) * 8 + unsigned(row)));
}

void spritePictures(const VdpState& vdp, const SpriteTable& table, IndexedPicture& picture)
{
    const int size = int(table.size);
    picture.resize(32 * size, size);
    for (int i = 0; i < 32; ++i) {
        const SpriteEntry& entry = table.entries[size_t(i)];
        // A 16 x 16 sprite uses four patterns from a multiple of four: left column first.
        const unsigned first = entry.patternAddress;
        const uint8_t colour = entry.colour == 0 ? transparentIndex : entry.colour;
        for (int row = 0; row < size; ++row) {
            const unsigned bits = unsigned(vram(vdp, first + unsigned(row))) << 8 |
                                  (size == 16 ? vram(vdp, first + 16 + unsigned(row)) : 0);
            for (int col = 0; col < size; ++col)
                if (bits << col & 0x8000)
                    picture.set(i * size + col, row, colour);
        }
    }
}

} // namespace ollendor
