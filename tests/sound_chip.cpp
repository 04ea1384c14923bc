// The sound chip's register file, what a strobe publishes, and when it wakes the sound thread.
#include <gtest/gtest.h>

#include <initializer_list>

#include "sound/soundchip.h"

using namespace ollendor;


namespace {

class SoundChipPorts : public ::testing::Test {
protected:
    void SetUp() override
    {
        soundChipPowerOn();
        firstHalfEvent.reset();
        secondHalfEvent.reset();
    }
    void TearDown() override { soundChip.soundRunning = false; }

    static void write(std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t b : bytes)
            soundWriteData(b);
    }
    static uint16_t frequency(unsigned c) { return soundChip.channelFrequency[c]; }
    static uint16_t amplitude(unsigned c) { return soundChip.channelAmplitude[c]; }
};

TEST_F(SoundChipPorts, StrobeBeforeAnyWritePublishesTheStartPeriods)
{
    EXPECT_EQ(soundStrobe(), 0);
    for (unsigned c = 0; c < 3; ++c) {
        EXPECT_EQ(frequency(c), 122) << "channel " << c;
        EXPECT_EQ(amplitude(c), 0) << "channel " << c;
    }
}

TEST_F(SoundChipPorts, ToneLatchAndDataBytesFormThePeriod)
{
    write({0x8E, 0x0F});
    soundStrobe();
    EXPECT_EQ(soundChip.tonePeriod[0], 0xFE);
    EXPECT_EQ(frequency(0), 492);
    EXPECT_EQ(amplitude(0), 0); // volume still 0
    write({0x83});              // low bits replaced, upper bits kept
    EXPECT_EQ(soundChip.tonePeriod[0], 0xF3);
    EXPECT_EQ(frequency(0), 492); // nothing is published before the strobe
}

TEST_F(SoundChipPorts, AttenuationGivesAmplitude)
{
    const uint32_t levels[16] = {128, 114, 101, 90, 80, 71, 64, 57, 50, 45, 40, 36, 32, 28, 25, 0};
    for (unsigned a = 0; a < 16; ++a) {
        write({uint8_t(0xB0 | a)}); // channel 1
        soundStrobe();
        EXPECT_EQ(soundChip.volume[1], levels[a]);
        EXPECT_EQ(amplitude(1), levels[a] * 200) << "attenuation " << a;
    }
    write({0x90});
    soundStrobe();
    EXPECT_EQ(amplitude(0), 25600);
    write({0x9F});
    soundStrobe();
    EXPECT_EQ(amplitude(0), 0);
}

TEST_F(SoundChipPorts, NoiseChannelBytesChangeNothing)
{
    write({0xA5, 0xB3}); // channel 1 latched (bit 10 of its period cleared), volume set
    for (uint8_t b : {0xE4, 0xF0}) {
        write({b});
        EXPECT_EQ(soundChip.latchedChannel, 1u);
        for (unsigned c = 0; c < 4; ++c) {
            EXPECT_EQ(soundChip.tonePeriod[c], c == 1 ? 0x005 : 0x400) << "channel " << c;
            EXPECT_EQ(soundChip.volume[c], c == 1 ? 90u : 0u) << "channel " << c;
        }
    }
}

TEST_F(SoundChipPorts, DataBytesGoToTheLastToneLatch)
{
    write({0x3F}); // before any latch byte: channel 0
    EXPECT_EQ(soundChip.tonePeriod[0], 0x3F0);
    write({0xA5, 0xD0, 0x3F}); // tone latch channel 1, attenuation channel 2, data
    EXPECT_EQ(soundChip.tonePeriod[1], 0x3F5);
    EXPECT_EQ(soundChip.tonePeriod[2], 0x400);
    EXPECT_EQ(soundChip.volume[2], 128u);
}

TEST_F(SoundChipPorts, PeriodsZeroAndOne)
{
    write({0xB0});
    soundStrobe();
    write({0xA0, 0x00}); // channel 1 period 0: silent, frequency left as it was
    soundStrobe();
    EXPECT_EQ(frequency(1), 122);
    EXPECT_EQ(amplitude(1), 0);
    write({0xC1, 0x00}); // channel 2 period 1: 125000 Hz, kept to 16 bits
    soundStrobe();
    EXPECT_EQ(frequency(2), 125000 % 65536);
}

TEST_F(SoundChipPorts, EventsOnlyOnChangeWhileRunning)
{
    soundStrobe(); // not running: stored, not signalled
    EXPECT_EQ(frequency(0), 122);
    EXPECT_FALSE(firstHalfEvent.isSet());
    EXPECT_FALSE(secondHalfEvent.isSet());

    soundChip.soundRunning = true;
    soundStrobe(); // nothing changed
    EXPECT_FALSE(firstHalfEvent.isSet());
    EXPECT_FALSE(secondHalfEvent.isSet());

    write({0xD5}); // channel 2 amplitude only
    soundStrobe();
    EXPECT_TRUE(firstHalfEvent.isSet());
    EXPECT_TRUE(secondHalfEvent.isSet());
}

} // namespace
