// The sound chip's register file, what a strobe publishes, and when the machine says so.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "machine/machine.h"
#include "machine/ports.h"
#include "sound/soundchip.h"

using namespace ollendor;

namespace {

// The chip as the CPU reaches it: OUT 6 and IN 3 of a machine at power-on.
class SoundChipPorts : public ::testing::Test {
protected:
    void SetUp() override { machinePowerOn(machine); }

    void write(std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t b : bytes)
            portOut(machine, 6, b);
    }
    // IN 3: gives what it reads.
    uint8_t strobe() { return portIn(machine, 3); }
    // Whether soundChanged was raised since the last look.
    bool soundChanged() { return takeEvents(machine).has(MachineEvent::soundChanged); }
    uint16_t frequency(unsigned c) const { return chip.published.frequency[c]; }
    uint16_t amplitude(unsigned c) const { return chip.published.amplitude[c]; }

    std::unique_ptr<Mtx> owner = std::make_unique<Mtx>();
    Mtx& machine = *owner;
    SoundChip& chip = machine.sound;
};

TEST_F(SoundChipPorts, StrobeBeforeAnyWritePublishesTheStartPeriods)
{
    EXPECT_EQ(strobe(), 0);
    EXPECT_TRUE(soundChanged()); // from nothing published to 122 Hz
    for (unsigned c = 0; c < 3; ++c) {
        EXPECT_EQ(frequency(c), 122) << "channel " << c;
        EXPECT_EQ(amplitude(c), 0) << "channel " << c;
    }
}

TEST_F(SoundChipPorts, ToneLatchAndDataBytesFormThePeriod)
{
    write({0x8E, 0x0F});
    strobe();
    EXPECT_EQ(chip.tonePeriod[0], 0xFE);
    EXPECT_EQ(frequency(0), 492);
    EXPECT_EQ(amplitude(0), 0); // volume still 0
    write({0x83});              // low bits replaced, upper bits kept
    EXPECT_EQ(chip.tonePeriod[0], 0xF3);
    EXPECT_EQ(frequency(0), 492); // nothing is published before the strobe
}

TEST_F(SoundChipPorts, AttenuationGivesAmplitude)
{
    const uint32_t levels[16] = {128, 114, 101, 90, 80, 71, 64, 57, 50, 45, 40, 36, 32, 28, 25, 0};
    for (unsigned a = 0; a < 16; ++a) {
        write({uint8_t(0xB0 | a)}); // channel 1
        strobe();
        EXPECT_EQ(chip.volume[1], levels[a]);
        EXPECT_EQ(amplitude(1), levels[a] * 200) << "attenuation " << a;
    }
    write({0x90});
    strobe();
    EXPECT_EQ(amplitude(0), 25600);
    write({0x9F});
    strobe();
    EXPECT_EQ(amplitude(0), 0);
}

TEST_F(SoundChipPorts, NoiseChannelBytesChangeNothing)
{
    write({0xA5, 0xB3}); // channel 1 latched (bit 10 of its period cleared), volume set
    for (uint8_t b : {0xE4, 0xF0}) {
        write({b});
        EXPECT_EQ(chip.latchedChannel, 1u);
        for (unsigned c = 0; c < 4; ++c) {
            EXPECT_EQ(chip.tonePeriod[c], c == 1 ? 0x005 : 0x400) << "channel " << c;
            EXPECT_EQ(chip.volume[c], c == 1 ? 90u : 0u) << "channel " << c;
        }
    }
}

TEST_F(SoundChipPorts, DataBytesGoToTheLastToneLatch)
{
    write({0x3F}); // before any latch byte: channel 0
    EXPECT_EQ(chip.tonePeriod[0], 0x3F0);
    write({0xA5, 0xD0, 0x3F}); // tone latch channel 1, attenuation channel 2, data
    EXPECT_EQ(chip.tonePeriod[1], 0x3F5);
    EXPECT_EQ(chip.tonePeriod[2], 0x400);
    EXPECT_EQ(chip.volume[2], 128u);
}

TEST_F(SoundChipPorts, PeriodsZeroAndOne)
{
    write({0xB0});
    strobe();
    write({0xA0, 0x00}); // channel 1 period 0: silent, frequency left as it was
    strobe();
    EXPECT_EQ(frequency(1), 122);
    EXPECT_EQ(amplitude(1), 0);
    write({0xC1, 0x00}); // channel 2 period 1: 125000 Hz, kept to 16 bits
    strobe();
    EXPECT_EQ(frequency(2), 125000 % 65536);
}

// The machine stops for its host only when a strobe changes what it publishes.
TEST_F(SoundChipPorts, SoundChangedOnlyWhenAStrobeChangesThePublishedSettings)
{
    write({0x8E, 0x0F, 0x90}); // writes alone publish nothing
    EXPECT_FALSE(soundChanged());
    strobe();
    EXPECT_TRUE(soundChanged());
    EXPECT_EQ(frequency(0), 492);
    EXPECT_EQ(amplitude(0), 25600);

    strobe(); // nothing changed
    EXPECT_FALSE(soundChanged());
    write({0x83, 0x8E}); // a period changed and changed back
    strobe();
    EXPECT_FALSE(soundChanged());
    write({0xA0, 0x00, 0xB0}); // channel 1 at period 0: silent however loud, 122 Hz kept
    strobe();
    EXPECT_FALSE(soundChanged());
    EXPECT_EQ(frequency(1), 122);
    EXPECT_EQ(amplitude(1), 0);
    write({0xB5});
    strobe();
    EXPECT_FALSE(soundChanged());

    write({0xD5}); // channel 2 amplitude only
    strobe();
    EXPECT_TRUE(soundChanged());
    EXPECT_EQ(amplitude(2), 71 * 200);
    EXPECT_EQ(frequency(2), 122);

    // The strobe's own answer is what the machine goes by.
    write({0xC1, 0x00});
    EXPECT_TRUE(soundStrobe(chip));
    EXPECT_FALSE(soundStrobe(chip));
    EXPECT_FALSE(soundChanged()); // the chip alone raises nothing
}

} // namespace
