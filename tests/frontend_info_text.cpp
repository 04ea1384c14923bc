// The information windows' texts: the decoded VDP lines, the register lines, the clock
// speed and the sound channels, with their positions.
#include <gtest/gtest.h>

#include <string>

#include "debug/info_text.h"
#include "sound/soundchip.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {
class InfoText : public ::testing::Test {
protected:
    void SetUp() override { vdpReset(vdp); }

    std::string line(int number)
    {
        char text[infoTextSize] = "untouched";
        EXPECT_EQ(describeVdpLine(vdp, text, sizeof text, number), 1) << "line " << number;
        return text;
    }
    int windowLines(InfoWindow kind, InfoLine (&lines)[maxInfoLines])
    {
        return infoWindowLines(kind, InfoSources{measuredHz, vdp, tones}, lines);
    }

    VdpState vdp;
    uint32_t measuredHz = 0;
    ToneSettings tones{};
};

TEST_F(InfoText, DecodesGraphicsIIWithInterruptAndDisplayEnabled)
{
    vdp.registers[0] = 0x02;
    vdp.registers[1] = 0xE0;
    vdp.registers[4] = 0x03;
    const char* expected[] = {"External video disabled", "16K RAM operation", "Display enabled",
                              "VDP interrupt enabled", "Graphics II mode", "8x8 bit sprites",
                              "Sprite magnification disabled"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(line(i), expected[i]);
    EXPECT_EQ(line(9), "Pattern generator base: 0x1800");
}

TEST_F(InfoText, DecodesTheOtherSettingOfEachFlag)
{
    vdp.registers[0] = 0x01;
    vdp.registers[1] = 0x03;
    const char* expected[] = {"External video enabled", "4K RAM operation", "Display blanked",
                              "VDP interrupt disabled", "Graphics I mode", "16x16 bit sprites",
                              "Sprite magnification enabled"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(line(i), expected[i]);
}

TEST_F(InfoText, ModesNameTheGeneratorTableAndUnknownCombinationsAreFlagged)
{
    struct Case {
        uint8_t r0, r1;
        int code;
        const char* name;
        const char* generator;
    };
    const Case cases[] = {
        {0x00, 0x00, 0, "Graphics I mode", "Pattern generator base: 0x800"},
        {0x02, 0x00, 1, "Graphics II mode", "Pattern generator base: 0x800"},
        {0x00, 0x08, 2, "Multicolour mode", "Multicolour generator base: 0x800"},
        {0x00, 0x10, 3, "Text mode", "Text generator base: 0x800"},
        {0x00, 0x18, 5, "Unrecognized mode!", "??????"}, // R1 bits 4 and 3
        {0x02, 0x10, 5, "Unrecognized mode!", "??????"}, // text with R0 bit 1
    };
    for (const Case& c : cases) {
        vdp.registers[0] = c.r0;
        vdp.registers[1] = c.r1;
        vdp.registers[4] = 0x01;
        char text[infoTextSize];
        EXPECT_EQ(describeVdpMode(vdp, text, sizeof text), c.code);
        EXPECT_STREQ(text, c.name);
        EXPECT_EQ(line(4), c.name);
        EXPECT_EQ(line(9), c.generator);
    }
}

TEST_F(InfoText, BaseAddressesUseTheWholeRegisterInLowerCaseHex)
{
    vdp.registers[2] = 0xFF;
    vdp.registers[3] = 0xFF;
    vdp.registers[5] = 0xFF;
    vdp.registers[6] = 0xFF;
    vdp.registers[7] = 0x0F;
    EXPECT_EQ(line(7), "Name table base: 0x3fc00");
    EXPECT_EQ(line(8), "Colour table base: 0x3fc0");
    EXPECT_EQ(line(10), "Sprite attr. base: 0x7f80");
    EXPECT_EQ(line(11), "Sprite pattern generator base: 0x7f800");
    EXPECT_EQ(line(12), "Text colour: 0");
    EXPECT_EQ(line(13), "Backdrop colour: 15");
    char text[infoTextSize] = "untouched";
    EXPECT_EQ(describeVdpLine(vdp, text, sizeof text, 14), 0);
    EXPECT_STREQ(text, "untouched");
}

TEST_F(InfoText, VideoChipWindowHasRegistersLeftAndDecodedLinesRight)
{
    vdp.registers[7] = 0x0F;
    InfoLine lines[maxInfoLines];
    ASSERT_EQ(windowLines(InfoWindow::videoChip, lines), 9 + 14);
    EXPECT_STREQ(lines[0].text, "VDP registers:");
    EXPECT_EQ(lines[0].x, 8);
    EXPECT_EQ(lines[0].y, 8);
    EXPECT_STREQ(lines[8].text, "Register 7: 0xf");
    EXPECT_EQ(lines[8].y, 24 + 16 * 7);
    EXPECT_STREQ(lines[9].text, "External video disabled");
    EXPECT_EQ(lines[9].x, 130);
    EXPECT_EQ(lines[22].y, 8 + 16 * 13);
    EXPECT_STREQ(lines[22].text, "Backdrop colour: 15");
}

TEST_F(InfoText, TimingsShowsTheMeasuredSpeed)
{
    InfoLine lines[maxInfoLines];
    ASSERT_EQ(windowLines(InfoWindow::timings, lines), 1);
    EXPECT_STREQ(lines[0].text, "Clock speed: 0 Hz");
    measuredHz = 4055040;
    windowLines(InfoWindow::timings, lines);
    EXPECT_STREQ(lines[0].text, "Clock speed: 4055040 Hz");
    EXPECT_EQ(lines[0].x, 8);
    EXPECT_EQ(lines[0].y, 8);
}

TEST_F(InfoText, SoundShowsFrequencyUnsignedAndVolumeSigned)
{
    tones = ToneSettings{{492, 60000, 440}, {25600, 0xFFFF, 0}};
    InfoLine lines[maxInfoLines];
    ASSERT_EQ(windowLines(InfoWindow::sound, lines), 3);
    EXPECT_STREQ(lines[0].text, "Channel 0 playing at 492 Hz with volume 25600");
    EXPECT_STREQ(lines[1].text, "Channel 1 playing at 60000 Hz with volume -1");
    EXPECT_STREQ(lines[2].text, "Channel 2 playing at 440 Hz with volume 0");
    EXPECT_EQ(lines[2].y, 8 + 28);
}
} // namespace
