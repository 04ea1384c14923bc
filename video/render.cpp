#include "video/render.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>

#include "video/tables.h"
#include "video/vdp.h"

namespace ollendor {

namespace {

static_assert(std::endian::native == std::endian::little,
              "pattern masks put the leftmost pixel in the lowest-addressed byte");

// Each pattern byte as eight byte masks (0xFF where the bit is set), bit 7 in the lowest
// byte, so one 64-bit store writes a cell's eight pixels in screen order.
constexpr std::array<uint64_t, 256> makePatternMasks()
{
    std::array<uint64_t, 256> masks{};
    for (unsigned pattern = 0; pattern < 256; ++pattern)
        for (unsigned pixel = 0; pixel < 8; ++pixel)
            if (pattern & (0x80u >> pixel))
                masks[pattern] |= uint64_t(0xFF) << (8 * pixel);
    return masks;
}

constexpr std::array<uint64_t, 256> patternMasks = makePatternMasks();

// A palette index in all eight bytes.
constexpr uint64_t spread(unsigned colour)
{
    return colour * 0x0101010101010101ull;
}

// Eight pixels from pattern bits 7-0: foreground where set, background where clear.
inline uint64_t expand(uint8_t pattern, unsigned foreground, unsigned background)
{
    uint64_t fg = spread(foreground);
    uint64_t bg = spread(background);
    return bg ^ (patternMasks[pattern] & (fg ^ bg));
}

// Graphics I and II: the colour byte holds the foreground in its high nibble.
inline void drawCell(uint8_t* pixels, uint8_t pattern, uint8_t colour)
{
    uint64_t eight = expand(pattern, colour >> 4, colour & 0x0F);
    std::memcpy(pixels, &eight, 8);
}

// The table bases come from vdpTables (video/tables.h), the one decoding of the registers.
// All eight bits of register 2 form the graphics name table base, so values from 0x10 up
// would place it at 0x4000 or above: it wraps at 14 bits, as the data port's addresses do,
// so the wrapped base is at most 0x3C00 and the 768-byte table ends by 0x3EFF. Every other
// table base is built from few enough bits to stay inside by itself.
void drawGraphics1(const VdpState& vdp, const VdpTables& tables, FrameBuffer& frame)
{
    const uint8_t* names = vdp.vram + tables.names;
    const uint8_t* colours = vdp.vram + tables.colours;   // ends by 0x3FDF
    const uint8_t* patterns = vdp.vram + tables.patterns; // ends by 0x3FFF
    for (unsigned y = 0; y < frameHeight; ++y) {
        const uint8_t* rowNames = names + (y >> 3) * 32;
        const uint8_t* rowPatterns = patterns + (y & 7);
        uint8_t* pixels = frame.pixels + y * frameWidth;
        for (unsigned c = 0; c < 32; ++c) {
            uint8_t name = rowNames[c];
            drawCell(pixels + 8 * c, rowPatterns[name * 8u], colours[name >> 3]);
        }
    }
}

void drawGraphics2(const VdpState& vdp, const VdpTables& tables, FrameBuffer& frame)
{
    const uint8_t* names = vdp.vram + tables.names;
    const uint8_t* colours = vdp.vram + tables.colours;
    const uint8_t* patterns = vdp.vram + tables.patterns;
    for (unsigned y = 0; y < frameHeight; ++y) {
        const uint8_t* rowNames = names + (y >> 3) * 32;
        // Each third of the screen has its own 2 KiB block of both tables.
        unsigned rowIndex = (y >> 6) * 0x800 + (y & 7);
        uint8_t* pixels = frame.pixels + y * frameWidth;
        for (unsigned c = 0; c < 32; ++c) {
            unsigned index = rowIndex + rowNames[c] * 8u;
            drawCell(pixels + 8 * c, patterns[index], colours[index]);
        }
    }
}

// 40 cells of six pixels from pattern bits 7-2 in columns 0-239; columns 240-255, where
// the chip shows no text, show the backdrop colour as the border around the picture does.
// (Leaving them as they were kept an earlier mode's pixels, or palette index 0 - pure red -
// at start, beside the text for good.)
void drawText(const VdpState& vdp, const VdpTables& tables, FrameBuffer& frame)
{
    const uint8_t* names = vdp.vram + tables.names; // ends by 0x3FBF
    const uint8_t* patterns = vdp.vram + tables.patterns;
    unsigned foreground = vdp.registers[7] >> 4;
    unsigned background = vdp.registers[7] & 0x0F;
    for (unsigned y = 0; y < frameHeight; ++y) {
        const uint8_t* rowNames = names + (y >> 3) * 40;
        const uint8_t* rowPatterns = patterns + (y & 7);
        uint8_t* pixels = frame.pixels + y * frameWidth;
        for (unsigned c = 0; c < 40; ++c) {
            uint64_t eight = expand(rowPatterns[rowNames[c] * 8u], foreground, background);
            std::memcpy(pixels + 6 * c, &eight, 6);
        }
        std::memset(pixels + 240, int(background), frameWidth - 240);
    }
}

// One sprite row, unmagnified: bit 15 of bits is column x. Row 0 and column 0 are never
// drawn, and nothing wraps past the right or bottom edge.
void drawSpriteRow(FrameBuffer& frame, unsigned x, unsigned y, unsigned bits, uint8_t colour)
{
    if (y < 1 || y > frameHeight - 1)
        return;
    if (x == 0)
        bits &= 0x7FFF;
    if (x > frameWidth - 16)
        bits &= 0xFFFFu << (16 - (frameWidth - x)); // keep columns up to 255
    uint8_t* row = frame.pixels + y * frameWidth;
    while (bits) {
        unsigned k = unsigned(std::countl_zero(uint16_t(bits)));
        row[x + k] = colour;
        bits &= ~(0x8000u >> k);
    }
}

// One sprite row, magnified: each bit a 2 x 2 block with its top-left corner at
// (x + 2k, y), drawn whole or not at all.
void drawMagnifiedRow(FrameBuffer& frame, unsigned x, unsigned y, unsigned bits, uint8_t colour)
{
    if (y < 1 || y > frameHeight - 2)
        return;
    uint8_t* top = frame.pixels + y * frameWidth;
    uint8_t* bottom = top + frameWidth;
    while (bits) {
        unsigned k = unsigned(std::countl_zero(uint16_t(bits)));
        bits &= ~(0x8000u >> k);
        unsigned left = x + 2 * k;
        if (left < 1 || left > frameWidth - 2)
            continue;
        top[left] = top[left + 1] = colour;
        bottom[left] = bottom[left + 1] = colour;
    }
}

// The sprites as spriteTable decodes them; later entries are drawn over earlier ones.
void drawSprites(const VdpState& vdp, FrameBuffer& frame)
{
    const SpriteTable table = spriteTable(vdp);
    const bool large = table.size == 16;
    for (const SpriteEntry& sprite : table.entries) {
        if (sprite.status == SpriteStatus::endMark)
            break; // this and all later entries are not drawn
        if (!sprite.drawn())
            continue;
        const uint8_t* pattern = vdp.vram + sprite.patternAddress; // ends by 0x3FFF
        for (unsigned r = 0; r < table.size; ++r) {
            // 16 pixels, bit 15 leftmost; a large sprite's right half lies 16 bytes on.
            unsigned bits = unsigned(pattern[r]) << 8 | (large ? pattern[r + 16] : 0);
            if (!bits)
                continue;
            if (table.magnified)
                drawMagnifiedRow(frame, sprite.x, sprite.y + 2 * r, bits, sprite.colour);
            else
                drawSpriteRow(frame, sprite.x, sprite.y + r, bits, sprite.colour);
        }
    }
}

} // namespace

void describeUnsupportedMode(char* text, unsigned size, uint8_t mode)
{
    std::snprintf(text, size, "Mode not supported: %i", int(mode));
}

bool vdpRender(const VdpState& vdp, RenderState& render, FrameBuffer& frame)
{
    uint8_t mode = vdp.mode;
    bool entered = mode != render.previousMode;
    render.previousMode = mode;
    const VdpTables tables = vdpTables(vdp);
    switch (mode) {
    case modeGraphics1:
        drawGraphics1(vdp, tables, frame);
        break;
    case modeGraphics2:
        drawGraphics2(vdp, tables, frame);
        break;
    case modeText:
        drawText(vdp, tables, frame);
        return false; // no sprites in Text mode
    default:
        // The picture keeps its previous contents; say so once, when the mode is entered.
        drawSprites(vdp, frame);
        return entered;
    }
    drawSprites(vdp, frame);
    return false;
}

} // namespace ollendor
