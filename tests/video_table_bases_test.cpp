// The video chip's table bases: in each mode the renderer draws, every value of every
// register that places a table is swept, and the picture is compared with one drawn pixel
// by pixel from addresses computed here, from the chip's layout:
//
//   table        Graphics I           Graphics II                  Text
//   names        (R2 & 0x0F) * 0x400  (R2 & 0x0F) * 0x400          (R2 & 0x0F) * 0x400
//   colours      R3 * 0x40            R3 bit 7 ? 0x2000 : 0        R7 (one pair for all)
//   patterns     (R4 & 7) * 0x800     R4 bit 2 ? 0x2000 : 0        (R4 & 7) * 0x800
//   sprite attributes (R5 & 0x7F) * 0x80, sprite patterns (R6 & 7) * 0x800 (graphics modes)
//
// Registers are written through the control port, as a program does.
#include <cstring>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "video/render.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

void writeRegister(VdpState& vdp, unsigned reg, uint8_t value)
{
    vdpWriteControl(vdp, value);
    vdpWriteControl(vdp, uint8_t(0x80 | reg));
}

// Registers 0 and 1 for each mode: display on, 8x8 sprites, unmagnified.
void setMode(VdpState& vdp, uint8_t mode)
{
    writeRegister(vdp, 0, mode == modeGraphics2 ? 0x02 : 0x00);
    writeRegister(vdp, 1, mode == modeText ? 0x50 : 0x40);
}

// The picture as the chip lays out Graphics I, Graphics II and Text, one pixel at a time.
uint8_t referencePixel(const VdpState& vdp, uint8_t mode, unsigned x, unsigned y)
{
    const uint8_t* r = vdp.registers;
    const unsigned names = (r[2] & 0x0Fu) * 0x400;
    if (mode == modeText) {
        if (x >= 240)
            return r[7] & 0x0F;
        const uint8_t name = vdp.vram[names + (y / 8) * 40 + x / 6];
        const uint8_t pattern = vdp.vram[(r[4] & 7u) * 0x800 + name * 8u + y % 8];
        return (pattern >> (7 - x % 6)) & 1 ? r[7] >> 4 : r[7] & 0x0F;
    }
    const uint8_t name = vdp.vram[names + (y / 8) * 32 + x / 8];
    uint8_t pattern, colour;
    if (mode == modeGraphics1) {
        pattern = vdp.vram[(r[4] & 7u) * 0x800 + name * 8u + y % 8];
        colour = vdp.vram[r[3] * 0x40u + name / 8];
    } else {
        const unsigned offset = (y / 64) * 0x800 + name * 8u + y % 8;
        pattern = vdp.vram[(r[4] & 0x04 ? 0x2000u : 0u) + offset];
        colour = vdp.vram[(r[3] & 0x80 ? 0x2000u : 0u) + offset];
    }
    return (pattern >> (7 - x % 8)) & 1 ? colour >> 4 : colour & 0x0F;
}

// The first pixel that differs from the reference, as text (empty: none).
std::string firstDifference(const VdpState& vdp, uint8_t mode, const FrameBuffer& frame)
{
    for (unsigned y = 0; y < frameHeight; ++y)
        for (unsigned x = 0; x < frameWidth; ++x)
            if (frame.pixels[y * frameWidth + x] != referencePixel(vdp, mode, x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return {};
}

} // namespace

TEST(VideoTableBases, EveryBaseRegisterValueInEveryModeDrawsFromItsOwnAddress)
{
    struct Sweep {
        uint8_t mode;
        unsigned reg;
    };
    const Sweep sweeps[] = {
        {modeGraphics1, 2}, {modeGraphics1, 3}, {modeGraphics1, 4},
        {modeGraphics2, 2}, {modeGraphics2, 3}, {modeGraphics2, 4},
        {modeText, 2},      {modeText, 4},      {modeText, 7},
    };
    auto vdp = std::make_unique<VdpState>();
    auto frame = std::make_unique<FrameBuffer>();
    std::mt19937 random(22);
    for (const Sweep& sweep : sweeps) {
        vdpReset(*vdp);
        for (uint8_t& byte : vdp->vram)
            byte = uint8_t(random());
        setMode(*vdp, sweep.mode);
        ASSERT_EQ(vdp->mode, sweep.mode);
        writeRegister(*vdp, 5, 0x7E); // sprite attributes at 0x3F00, where the first is ended
        for (unsigned a = 0x3F00; a < 0x3F80; a += 4)
            vdp->vram[a] = 208;
        int failures = 0;
        for (unsigned value = 0; value < 256; ++value) {
            // The other tables at random places, so no two sweeps see one layout.
            for (unsigned other : {2u, 3u, 4u, 7u})
                if (other != sweep.reg)
                    writeRegister(*vdp, other, uint8_t(random()));
            writeRegister(*vdp, sweep.reg, uint8_t(value));
            RenderState render{sweep.mode};
            std::memset(frame->pixels, 0xEE, sizeof frame->pixels);
            vdpRender(*vdp, render, *frame);
            const std::string difference = firstDifference(*vdp, sweep.mode, *frame);
            if (!difference.empty() && ++failures <= 3)
                ADD_FAILURE() << "mode " << int(sweep.mode) << ", register " << sweep.reg << " = " << value
                              << ": " << difference << " is not drawn from the table the register places";
        }
    }
}

// One 8x8 sprite, solid, found through every value of registers 5 and 6: nothing is at any
// other place the tables could be. In Graphics I, with the colour table (32 bytes at 0x3FC0)
// zero, the background is colour 0 whatever else video memory holds; the sprite tables are
// read alike in both graphics modes.
TEST(VideoTableBases, EverySpriteBaseRegisterValueFindsItsTables)
{
    auto vdp = std::make_unique<VdpState>();
    auto frame = std::make_unique<FrameBuffer>();
    const uint8_t mode = modeGraphics1;
    for (unsigned reg : {5u, 6u})
        for (unsigned value = 0; value < 256; ++value) {
            vdpReset(*vdp);
            setMode(*vdp, mode);
            writeRegister(*vdp, 3, 0xFF);
            writeRegister(*vdp, 5, reg == 5 ? uint8_t(value) : 0x20);
            writeRegister(*vdp, 6, reg == 6 ? uint8_t(value) : 0x03);
            const unsigned attributes = (vdp->registers[5] & 0x7Fu) * 0x80;
            const unsigned patterns = (vdp->registers[6] & 7u) * 0x800;
            const uint8_t entry[8] = {40, 100, 9, 5, 208, 0, 0, 0}; // y, x, name, colour; end
            std::memcpy(vdp->vram + attributes, entry, sizeof entry);
            std::memset(vdp->vram + patterns + 9 * 8, 0xFF, 8);
            RenderState render{mode};
            vdpRender(*vdp, render, *frame);
            int inside = 0, outside = 0;
            for (unsigned y = 0; y < frameHeight; ++y)
                for (unsigned x = 0; x < frameWidth; ++x)
                    if (frame->pixels[y * frameWidth + x] == 5)
                        (x >= 100 && x < 108 && y >= 40 && y < 48 ? inside : outside)++;
            EXPECT_EQ(inside, 64) << "mode " << int(mode) << ", register " << reg << " = " << value;
            EXPECT_EQ(outside, 0) << "mode " << int(mode) << ", register " << reg << " = " << value;
        }
}
