// Display output: border, palette, blanking and the 30-a-second limit, on the in-memory
// console with a clock the tests move by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/toolkit_memory.h"
#include "video/display.h"
#include "video/vdp.h"

using namespace ollendor;


namespace {
class DisplayOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        installToolkit(kit);
        vdpReset();
        vdp.registers[1] = 0x40; // display enabled
        std::memset(frame.pixels, 1, sizeof frame.pixels);
        kit.memoryConsole.open(window, consoleWidth, consoleHeight, consoleFormat);
        displaySetup();
    }
    void TearDown() override { displayTeardown(); }

    // Moves the clock past the limit and presents.
    void present()
    {
        now += 0.034;
        displayUpdate(frame);
    }
    uint32_t shown(int x, int y) const { return kit.memoryConsole.shown(x, y); }

    double now = 0.0;
    MemoryToolkit kit{[this] { return now; }};
    MemoryWindow window{"Ollendor"};
    FrameBuffer frame{};
};

TEST_F(DisplayOutput, BorderTakesTheBackdropColourThroughThePalette)
{
    vdp.registers[7] = 0xF4;
    present();
    EXPECT_EQ(shown(0, 0), 0x0000CCu); // red 0, green 0, blue 204
    vdp.registers[7] = 0xF0;
    present();
    EXPECT_EQ(shown(319, 199), 0xFF0000u); // palette entry 0 is pure red, border too
}

TEST_F(DisplayOutput, PictureSitsAt32By4InsideABorderOfFixedWidth)
{
    vdp.registers[7] = 0x07;
    frame.pixels[0] = 0;                             // picture (0, 0)
    frame.pixels[191 * 256 + 255] = 15;              // picture (255, 191)
    present();
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
    present();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(shown(32 + i, 4), expected[i]) << "index " << i;
    EXPECT_EQ(shown(48, 4), 0xFFFFFFu);
}

TEST_F(DisplayOutput, BlankedDisplayIsPureGreenEverywhere)
{
    vdp.registers[1] = 0x00; // bit 6 clear
    vdp.registers[7] = 0xF4;
    present();
    for (int y = 0; y < consoleHeight; ++y)
        for (int x = 0; x < consoleWidth; ++x)
            ASSERT_EQ(shown(x, y), 0x00FF00u) << x << "," << y;
    EXPECT_EQ(kit.memoryConsole.updates, 1u);
}

TEST_F(DisplayOutput, PresentsAtMost30TimesASecond)
{
    now = 1.0 / 30.0; // not more than 1/30 s since set-up: nothing yet
    displayUpdate(frame);
    EXPECT_EQ(kit.memoryConsole.updates, 0u);

    now += 0.001;
    displayUpdate(frame);
    EXPECT_EQ(kit.memoryConsole.updates, 1u);
    EXPECT_EQ(shown(32, 4), 0x000000u);

    now += 0.010; // 10 ms later: the new picture is not shown
    frame.pixels[0] = 15;
    displayUpdate(frame);
    EXPECT_EQ(kit.memoryConsole.updates, 1u);
    EXPECT_EQ(shown(32, 4), 0x000000u);

    now += 0.030; // 40 ms after the last presentation
    displayUpdate(frame);
    EXPECT_EQ(kit.memoryConsole.updates, 2u);
    EXPECT_EQ(shown(32, 4), 0xFFFFFFu);
}

TEST_F(DisplayOutput, ComposeHonoursThePitchAndMatchesWhatIsPresented)
{
    vdp.registers[7] = 0x05;
    frame.pixels[5 * 256 + 7] = 9;
    present();

    const int pitch = (consoleWidth + 8) * 4; // rows with 8 pixels of padding
    std::vector<uint32_t> padded((consoleWidth + 8) * consoleHeight, 0x12345678);
    composeConsole(padded.data(), pitch, frame, false, backdropColour());
    for (int y = 0; y < consoleHeight; ++y) {
        for (int x = 0; x < consoleWidth; ++x)
            ASSERT_EQ(padded[y * (consoleWidth + 8) + x], shown(x, y)) << x << "," << y;
        ASSERT_EQ(padded[y * (consoleWidth + 8) + consoleWidth], 0x12345678u) << "padding of row " << y;
    }
    composeConsole(padded.data(), pitch, frame, true, 5);
    EXPECT_EQ(padded[0], 0x00FF00u);
    EXPECT_EQ(padded[consoleWidth + 1], 0x12345678u);
}

TEST_F(DisplayOutput, ToolkitFailuresPassThroughAsDynamicError)
{
    kit.memoryConsole.close();
    now += 0.034;
    EXPECT_THROW(displayUpdate(frame), DynamicError);
    displayTeardown();
    EXPECT_THROW(displayUpdate(frame), DynamicError);
}

TEST(DisplayRegisters, BackdropAndBlankingComeFromTheVideoChip)
{
    vdpReset();
    vdp.registers[7] = 0xA3;
    EXPECT_EQ(backdropColour(), 3);
    vdp.registers[1] = 0xBF;
    EXPECT_TRUE(displayBlanked());
    vdp.registers[1] = 0x40;
    EXPECT_FALSE(displayBlanked());
}
} // namespace
