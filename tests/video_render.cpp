// The renderer: the three drawn modes, table bases, unsupported modes and sprites.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "video/render.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

constexpr uint8_t untouched = 0x0B; // a value the frame holds before the render under test

// Bases used unless a test says otherwise: names 0x1800, colours 0x2000, patterns 0,
// sprite attributes 0x1B00, sprite patterns 0x3800.
class Render : public ::testing::Test {
protected:
    VdpState vdp{};
    RenderState renderState{};
    FrameBuffer frame;
    // What the renders reported: the text of the box for each unsupported mode entered.
    std::vector<std::string> boxes;

    void SetUp() override
    {
        vdpReset(vdp);
        renderState.previousMode = 0;
        setRegister(2, 0x06);
        setRegister(3, 0x80);
        setRegister(4, 0x00);
        setRegister(5, 0x36);
        setRegister(6, 0x07);
        vdp.vram[0x1B00] = 208; // no sprites unless a test places some
        std::memset(frame.pixels, untouched, sizeof frame.pixels);
    }

    void setRegister(unsigned reg, uint8_t value)
    {
        vdpWriteControl(vdp, value);
        vdpWriteControl(vdp, uint8_t(0x80 | reg));
    }

    void render()
    {
        if (vdpRender(vdp, renderState, frame)) {
            char text[32];
            describeUnsupportedMode(text, sizeof text, vdp.mode);
            boxes.emplace_back(text);
        }
    }

    void sprite(unsigned entry, uint8_t y, uint8_t x, uint8_t pattern, uint8_t colour)
    {
        uint8_t* e = vdp.vram + 0x1B00 + 4 * entry;
        e[0] = y;
        e[1] = x;
        e[2] = pattern;
        e[3] = colour;
    }

    uint8_t at(unsigned x, unsigned y) const { return frame.pixels[y * frameWidth + x]; }

    std::vector<uint8_t> row(unsigned x, unsigned y, unsigned n) const
    {
        return {frame.pixels + y * frameWidth + x, frame.pixels + y * frameWidth + x + n};
    }

    // Every pixel not in the rectangle [x0, x1) x [y0, y1) still holds `untouched`.
    void expectUntouchedOutside(unsigned x0, unsigned y0, unsigned x1, unsigned y1) const
    {
        for (unsigned y = 0; y < frameHeight; ++y)
            for (unsigned x = 0; x < frameWidth; ++x)
                if (x < x0 || x >= x1 || y < y0 || y >= y1) {
                    ASSERT_EQ(at(x, y), untouched) << "at " << x << "," << y;
                }
    }

    using Pixels = std::vector<uint8_t>;
};

TEST_F(Render, AfterResetEverythingIsZero)
{
    vdpReset(vdp); // entry 0 then has Y = 0 and colour 0: skipped, not a terminator
    render();
    for (uint8_t p : frame.pixels)
        ASSERT_EQ(p, 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Render, Graphics1CellFromNameColourAndPattern)
{
    vdp.vram[0x1800 + 2 * 32 + 3] = 0x41;  // cell at row 2, column 3
    vdp.vram[0x2000 + (0x41 >> 3)] = 0xF4; // colour of names 0x40-0x47
    vdp.vram[0x2000] = 0x1E;               // colour of names 0-7, the rest of the screen
    vdp.vram[0x41 * 8 + 5] = 0x81;
    render();
    EXPECT_EQ(row(24, 21, 8), (Pixels{15, 4, 4, 4, 4, 4, 4, 15}));
    EXPECT_EQ(row(24, 20, 8), Pixels(8, 4)); // pattern row 4 is clear: background
    EXPECT_EQ(row(16, 21, 8), Pixels(8, 14));
    EXPECT_EQ(at(255, 191), 14);
}

TEST_F(Render, ColourNibbleZeroIsIndexZero)
{
    setRegister(7, 0x55); // backdrop plays no part in the graphics modes
    vdp.vram[0x2000] = 0x0F;
    vdp.vram[0x0000] = 0xF0;
    render();
    EXPECT_EQ(row(0, 0, 8), (Pixels{0, 0, 0, 0, 15, 15, 15, 15}));
    vdp.vram[0x2000] = 0xA0;
    render();
    EXPECT_EQ(row(0, 0, 8), (Pixels{10, 10, 10, 10, 0, 0, 0, 0}));
}

TEST_F(Render, Graphics2ThirdsUseTheirOwnTableBlocks)
{
    setRegister(0, 0x02);
    setRegister(3, 0xFF); // only bit 7 counts: colours at 0x2000
    setRegister(4, 0x03); // bit 2 clear: patterns at 0
    vdp.vram[0x1800 + 12 * 32 + 5] = 0x21; // rows 96-103, column 5
    for (unsigned third = 0; third < 3; ++third) {
        unsigned index = (third * 256 + 0x21) * 8 + 4;
        vdp.vram[index] = uint8_t(0x80 >> third);
        vdp.vram[0x2000 + index] = uint8_t(0x10 * (third + 1) + 0x0C);
    }
    render();
    // Row 100 is in the second third: index (256 + 0x21) * 8 + 4.
    EXPECT_EQ(row(40, 100, 8), (Pixels{12, 2, 12, 12, 12, 12, 12, 12}));
    setRegister(4, 0x04); // patterns now at 0x2000, where the colours are
    render();
    EXPECT_EQ(row(40, 100, 8), (Pixels{12, 12, 2, 12, 2, 2, 12, 12})); // 0x2C
}

TEST_F(Render, GraphicsNameTableAboveVideoMemoryWraps)
{
    for (unsigned i = 0; i < 768; ++i)
        vdp.vram[0x1800 + i] = uint8_t(i * 7);
    for (unsigned i = 0; i < 0x800; ++i)
        vdp.vram[i] = uint8_t(i * 13 + 1);
    for (unsigned i = 0; i < 32; ++i)
        vdp.vram[0x2000 + i] = uint8_t(0x31 + i);
    for (uint8_t mode0 : {0x00, 0x02}) {
        setRegister(0, mode0);
        setRegister(2, 0x06);
        render();
        FrameBuffer expected = frame;
        for (uint8_t high : {0x16, 0x26, 0xF6}) {
            setRegister(2, high);
            std::memset(frame.pixels, untouched, sizeof frame.pixels);
            render();
            ASSERT_EQ(std::memcmp(frame.pixels, expected.pixels, sizeof frame.pixels), 0)
                << "register 2 = " << int(high) << ", register 0 = " << int(mode0);
        }
    }
}

TEST_F(Render, TextColoursAndBackdropRightColumns)
{
    setRegister(1, 0x10);
    setRegister(2, 0x12); // only the low four bits count: names at 0x800
    setRegister(4, 0x02); // patterns at 0x1000
    setRegister(7, 0xF4);
    vdp.vram[0x800 + 3 * 40 + 39] = 0x01; // row 3, last column
    vdp.vram[0x800 + 3 * 40 + 38] = 0x02;
    vdp.vram[0x1000 + 0x01 * 8 + 2] = 0xFC;
    vdp.vram[0x1000 + 0x02 * 8 + 2] = 0x03;
    vdp.vram[0x1B00] = 0x00; // sprites are not drawn in Text mode
    vdp.vram[0x1B03] = 0x0F;
    vdp.vram[0x3800] = 0xFF;
    render();
    EXPECT_EQ(row(234, 26, 6), Pixels(6, 15));
    EXPECT_EQ(row(228, 26, 6), Pixels(6, 4));
    EXPECT_EQ(row(0, 1, 8), Pixels(8, 4));
    // No text right of column 239: the backdrop colour there, on every row (they used to
    // be left as they were: red at start, palette index 0).
    for (unsigned y = 0; y < frameHeight; ++y)
        ASSERT_EQ(row(240, y, 16), Pixels(16, 4)) << "row " << y;
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Render, SwitchingToTextClearsTheGraphicsRightEdge)
{
    setRegister(0, 0x02);
    vdp.vram[0x2000] = 0x90;
    render();
    ASSERT_EQ(at(250, 100), 0);
    vdp.vram[0x0000 + 0x800 + 4] = 0xFF; // pattern of row 100 in the second third
    vdp.vram[0x2000 + 0x800 + 4] = 0x90;
    render();
    ASSERT_EQ(at(250, 100), 9);
    setRegister(0, 0x00);
    setRegister(1, 0x10);
    setRegister(7, 0x03);
    render();
    EXPECT_EQ(at(239, 100), 3);
    EXPECT_EQ(row(240, 100, 16), Pixels(16, 3)) << "the graphics picture's pixels do not stay beside the text";
}

TEST_F(Render, UnsupportedModeIsReportedOnceOnEntryAndSpritesStillDrawn)
{
    setRegister(1, 0x08); // Multicolour: mode 2
    vdp.vram[0x3800] = 0x80;
    sprite(0, 50, 60, 0, 0x07);
    sprite(1, 208, 0, 0, 0);
    render();
    EXPECT_EQ(boxes, std::vector<std::string>{"Mode not supported: 2"});
    EXPECT_EQ(at(60, 50), 7);
    expectUntouchedOutside(60, 50, 61, 51);

    sprite(0, 51, 61, 0, 0x07);
    render(); // same mode: no second box; the old sprite stays as a trail
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(at(60, 50), 7);
    EXPECT_EQ(at(61, 51), 7);

    setRegister(0, 0x02); // mode 3: another unsupported mode, reported
    render();
    setRegister(0, 0x00);
    setRegister(1, 0x00); // back to Graphics I, then into mode 2 again
    render();
    setRegister(1, 0x08);
    render();
    render();
    EXPECT_EQ(boxes,
              (std::vector<std::string>{"Mode not supported: 2",
                                        "Mode not supported: 3",
                                        "Mode not supported: 2"}));
}

// The sprite tests run in an unsupported mode (the picture stays `untouched`) after the
// one expected box, so only sprite pixels change.
class Sprites : public Render {
protected:
    void SetUp() override
    {
        Render::SetUp();
        setRegister(1, 0x08);
        renderState.previousMode = 2;
        for (unsigned i = 0; i < 32; ++i)
            vdp.vram[0x3800 + i] = 0xFF; // patterns 0-3 solid
    }
    void TearDown() override { EXPECT_TRUE(boxes.empty()); }
};

TEST_F(Sprites, TerminatorEndsThePass)
{
    sprite(0, 208, 10, 0, 5);
    sprite(1, 20, 10, 0, 5);
    render();
    expectUntouchedOutside(0, 0, 0, 0);

    for (unsigned i = 0; i < 32; ++i)
        sprite(i, uint8_t(10 + i), uint8_t(10 + i), 0, i == 5 ? 3 : 6);
    vdp.vram[0x1B00 + 4 * 5] = 208;
    render();
    EXPECT_EQ(at(14, 14), 6);    // entry 4
    EXPECT_EQ(at(22, 22), untouched); // entries 6-31 would cover it
    EXPECT_EQ(at(40, 40), untouched);
}

TEST_F(Sprites, ColourZeroSkipsOnlyThatEntry)
{
    sprite(0, 20, 20, 0, 0xF0); // colour 0 (bit 7 and the high nibble play no part)
    sprite(1, 40, 40, 0, 0x84);
    sprite(2, 208, 0, 0, 0);
    render();
    EXPECT_EQ(at(20, 20), untouched);
    EXPECT_EQ(at(40, 40), 4);
    expectUntouchedOutside(40, 40, 48, 48);
}

TEST_F(Sprites, UnmagnifiedClipsAtTheEdgesWithoutWrapping)
{
    sprite(0, 10, 250, 0, 5); // right edge: only columns 250-255
    sprite(1, 0, 100, 0, 6);  // top edge: pattern row 0 is not shown
    sprite(2, 30, 0, 0, 7);   // left edge: column 0 never drawn
    sprite(3, 188, 40, 0, 8); // bottom edge: rows 188-191
    sprite(4, 255, 60, 0, 9); // Y beyond the picture: nothing, no wrap to the top
    sprite(5, 208, 0, 0, 0);
    render();
    EXPECT_EQ(row(249, 10, 7), (Pixels{untouched, 5, 5, 5, 5, 5, 5}));
    EXPECT_EQ(row(0, 11, 2), Pixels(2, untouched));
    EXPECT_EQ(at(100, 0), untouched);
    EXPECT_EQ(at(100, 1), 6);
    EXPECT_EQ(at(107, 7), 6);
    EXPECT_EQ(at(100, 8), untouched);
    EXPECT_EQ(row(0, 30, 9), (Pixels{untouched, 7, 7, 7, 7, 7, 7, 7, untouched}));
    EXPECT_EQ(at(40, 191), 8);
    EXPECT_EQ(at(40, 187), untouched);
    for (unsigned x = 55; x < 70; ++x)
        EXPECT_EQ(at(x, 0), untouched);
}

TEST_F(Sprites, MagnifiedBlocksAreDrawnWholeOrNotAtAll)
{
    setRegister(1, 0x0B); // 16 x 16, magnified, still mode 2
    sprite(0, 180, 100, 1, 5); // pattern 1 means 0 for large sprites
    sprite(1, 181, 20, 0, 6);
    sprite(2, 0, 253, 0, 7);
    sprite(3, 208, 0, 0, 0);
    render();
    // Y = 180: pattern rows 0-5 (tops 180-190); all 32 columns across.
    EXPECT_EQ(at(100, 180), 5);
    EXPECT_EQ(at(131, 191), 5);
    EXPECT_EQ(at(132, 191), untouched);
    EXPECT_EQ(at(99, 185), untouched);
    // Y = 181: the block with top row 191 would leave the picture, so row 191 stays.
    EXPECT_EQ(at(20, 190), 6);
    EXPECT_EQ(at(20, 191), untouched);
    // Y = 0: pattern row 0 (rows 0-1) is dropped whole; X = 253: only the block at 253-254.
    EXPECT_EQ(at(253, 1), untouched);
    EXPECT_EQ(at(253, 2), 7);
    EXPECT_EQ(at(254, 3), 7);
    EXPECT_EQ(at(255, 2), untouched);
    EXPECT_EQ(at(0, 2), untouched);
}

TEST_F(Sprites, LargePatternHalvesAndOverlapOrder)
{
    setRegister(1, 0x0A); // 16 x 16, not magnified
    std::memset(vdp.vram + 0x3800 + 4 * 8, 0, 32);
    vdp.vram[0x3800 + 4 * 8 + 3] = 0xC0;      // pattern 4, left half, row 3
    vdp.vram[0x3800 + 4 * 8 + 16 + 3] = 0x01; // right half, row 3
    sprite(0, 50, 50, 7, 2); // pattern 7 means 4
    sprite(1, 100, 100, 0, 3);
    sprite(2, 108, 108, 0, 9);
    sprite(3, 208, 0, 0, 0);
    render();
    EXPECT_EQ(row(50, 53, 16), (Pixels{2, 2, untouched, untouched, untouched, untouched,
                                       untouched, untouched, untouched, untouched, untouched,
                                       untouched, untouched, untouched, untouched, 2}));
    EXPECT_EQ(at(107, 107), 3);
    EXPECT_EQ(at(108, 108), 9); // both set: the higher entry wins
    EXPECT_EQ(at(115, 115), 9);
    EXPECT_EQ(at(115, 107), 3);
}

} // namespace
