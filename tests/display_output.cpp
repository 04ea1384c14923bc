// Display output: border, palette and blanking, as the console is composed from the picture
// and the video chip's registers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "video/display.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

class DisplayOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        vdpReset(vdp);
        vdp.registers[1] = 0x40; // display enabled
        std::memset(frame.pixels, 1, sizeof frame.pixels);
    }

    // Composes the console as the window shows it, from the picture and the chip's registers.
    void compose()
    {
        console.assign(size_t(consoleWidth) * consoleHeight, 0x12345678);
        composeConsole(console.data(), consoleWidth * 4, frame, displayBlanked(vdp), backdropColour(vdp));
    }
    uint32_t shown(int x, int y) const { return console[size_t(y) * consoleWidth + x]; }

    VdpState vdp{};
    FrameBuffer frame{};
    std::vector<uint32_t> console;
};

TEST_F(DisplayOutput, BorderTakesTheBackdropColourThroughThePalette)
{
    vdp.registers[7] = 0xF4;
    compose();
    EXPECT_EQ(shown(0, 0), 0x0000CCu); // red 0, green 0, blue 204
    vdp.registers[7] = 0xF0;
    compose();
    EXPECT_EQ(shown(319, 199), 0xFF0000u); // palette entry 0 is pure red, border too
}

TEST_F(DisplayOutput, PictureSitsAt32By4InsideABorderOfFixedWidth)
{
    vdp.registers[7] = 0x07;
    frame.pixels[0] = 0;                             // picture (0, 0)
    frame.pixels[191 * 256 + 255] = 15;              // picture (255, 191)
    compose();
    EXPECT_EQ(shown(32, 4), 0xFF0000u);              // index 0: pure red, not the backdrop
    EXPECT_EQ(shown(287, 195), 0xFFFFFFu);
    EXPECT_EQ(shown(33, 4), 0x000000u);              // index 1
    for (int x = 0; x < consoleWidth; ++x) {
        EXPECT_EQ(shown(x, 3), 0xABCACBu) << x;      // row 3 is border
        EXPECT_EQ(shown(x, 196), 0xABCACBu) << x;    // row 196 is border
    }
    for (int y = 0; y < consoleHeight; ++y) {
        EXPECT_EQ(shown(31, y), 0xABCACBu) << y;     // column 31 is border
        EXPECT_EQ(shown(288, y), 0xABCACBu) << y;    // column 288 is border
    }
}

TEST_F(DisplayOutput, EveryIndexMapsThroughThePaletteAndHighValuesCountAs15)
{
    const uint32_t expected[16] = {0xFF0000, 0x000000, 0x33EE33, 0x55FF55, 0x0000CC, 0x5555FF,
                                   0xCC0000, 0xABCACB, 0xEE3333, 0xFF5555, 0xAA13BB, 0x34AA32,
                                   0x00CC00, 0xAB23BA, 0x774500, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
        frame.pixels[i] = uint8_t(i);
    frame.pixels[16] = 200;
    compose();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(shown(32 + i, 4), expected[i]) << "index " << i;
    EXPECT_EQ(shown(48, 4), 0xFFFFFFu);
}

TEST_F(DisplayOutput, BlankedDisplayIsPureGreenEverywhere)
{
    vdp.registers[1] = 0x00; // bit 6 clear
    vdp.registers[7] = 0xF4;
    compose();
    for (int y = 0; y < consoleHeight; ++y)
        for (int x = 0; x < consoleWidth; ++x)
            ASSERT_EQ(shown(x, y), 0x00FF00u) << x << "," << y;
}

TEST_F(DisplayOutput, ComposeHonoursThePitch)
{
    vdp.registers[7] = 0x05;
    frame.pixels[5 * 256 + 7] = 9;
    compose();

    const int pitch = (consoleWidth + 8) * 4; // rows with 8 pixels of padding
    std::vector<uint32_t> padded((consoleWidth + 8) * consoleHeight, 0x12345678);
    composeConsole(padded.data(), pitch, frame, false, backdropColour(vdp));
    for (int y = 0; y < consoleHeight; ++y) {
        for (int x = 0; x < consoleWidth; ++x)
            ASSERT_EQ(padded[y * (consoleWidth + 8) + x], shown(x, y)) << x << "," << y;
        ASSERT_EQ(padded[y * (consoleWidth + 8) + consoleWidth], 0x12345678u) << "padding of row " << y;
    }
    EXPECT_EQ(shown(32 + 7, 4 + 5), 0xFF5555u);
    composeConsole(padded.data(), pitch, frame, true, 5);
    EXPECT_EQ(padded[0], 0x00FF00u);
    EXPECT_EQ(padded[consoleWidth + 1], 0x12345678u);
}

TEST(DisplayRegisters, BackdropAndBlankingComeFromTheVideoChip)
{
    VdpState vdp{};
    vdpReset(vdp);
    vdp.registers[7] = 0xA3;
    EXPECT_EQ(backdropColour(vdp), 3);
    vdp.registers[1] = 0xBF;
    EXPECT_TRUE(displayBlanked(vdp));
    vdp.registers[1] = 0x40;
    EXPECT_FALSE(displayBlanked(vdp));
}

} // namespace
