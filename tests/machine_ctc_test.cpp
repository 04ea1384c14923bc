// The counter/timer chip: control words, time constants, ticks and vectors.
#include "machine_support.h"

#include "machine/ctc.h"
#include "machine/ports.h"

using namespace ollendor;

namespace {

class CtcTest : public MachineTest {
protected:
    void ctcWrite(uint16_t port, uint8_t value) { ollendor::ctcWrite(m.ctc, port, value); }
    uint8_t ctcRead(uint16_t port) { return ollendor::ctcRead(m.ctc, port); }
    uint16_t ctcTick(unsigned channel, int32_t cycles) { return ollendor::ctcTick(m.ctc, channel, cycles); }

    const CtcState& ctc = m.ctc;
};

constexpr int32_t tick = 2048; // cycles per hook call

TEST_F(CtcTest, Prescaler16ChannelExpiresEveryTick)
{
    ctcWrite(8, 0x40);       // vector 0x40
    ctcWrite(8, 0x85);       // interrupts, prescaler 16, start on load, constant follows
    ctcWrite(8, 0x10);
    const CtcChannel& ch = ctc.channel[0];
    EXPECT_TRUE(ch.running);
    EXPECT_EQ(ch.counter, 256);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ctcTick(0, tick), 0x40) << "tick " << i;
    EXPECT_EQ(ch.counter, 256); // reloaded without the overshoot
}

TEST_F(CtcTest, Prescaler256ChannelExpiresEverySecondTick)
{
    ctcWrite(9, 0x48);       // vector through channel 1's port: 0x48
    ctcWrite(9, 0xA5);
    ctcWrite(9, 0x10);
    EXPECT_EQ(ctc.channel[1].counter, 4096);
    EXPECT_EQ(ctcRead(9), 0x10);
    const uint16_t expected[] = {0xFFFF, 0x4A, 0xFFFF, 0x4A};
    for (uint16_t code : expected)
        EXPECT_EQ(ctcTick(1, tick), code);
}

TEST_F(CtcTest, ControlWordWithResetIsNotStoredButConstantFollows)
{
    ctcWrite(8, 0x85);       // prescaler 16
    ctcWrite(8, 0x10);
    ctcWrite(8, 0x87);       // reset bit: not stored, but a constant follows
    EXPECT_EQ(ctc.channel[0].control, 0x85);
    EXPECT_TRUE(ctc.channel[0].timeConstantNext);
    ctcWrite(8, 0x20);       // runs under 0x85: prescaler 16
    EXPECT_EQ(ctc.channel[0].counter, 0x20 * 16);
    EXPECT_TRUE(ctc.channel[0].running);
}

TEST_F(CtcTest, ResetWordDoesNotStopARunningChannel)
{
    ctcWrite(10, 0x85);
    ctcWrite(10, 0x10);
    ctcWrite(10, 0x03);
    EXPECT_TRUE(ctc.channel[2].running);
    EXPECT_EQ(ctc.channel[2].control, 0x85);
    EXPECT_FALSE(ctc.channel[2].timeConstantNext);
    EXPECT_EQ(ctcTick(2, tick), 0x04); // vector 0 | channel 2 * 2
}

TEST_F(CtcTest, StartBitLeavesTheChannelStopped)
{
    ctcWrite(8, 0x8D);
    ctcWrite(8, 0x10);
    EXPECT_FALSE(ctc.channel[0].running);
    // A running channel is stopped the same way.
    ctcWrite(9, 0x85);
    ctcWrite(9, 0x10);
    ASSERT_TRUE(ctc.channel[1].running);
    ctcWrite(9, 0x8D);
    ctcWrite(9, 0x10);
    EXPECT_FALSE(ctc.channel[1].running);
}

TEST_F(CtcTest, CountReadsCounterOverPrescaler)
{
    ctcWrite(10, 0x05);      // prescaler 16, no interrupts
    ctcWrite(10, 0x40);
    EXPECT_EQ(ctc.channel[2].counter, 1024);
    EXPECT_EQ(ctcTick(2, tick), 0xFFFF); // no interrupt enable
    EXPECT_EQ(ctc.channel[2].counter, 1024);
    EXPECT_EQ(ctcRead(10), 0x40);
    EXPECT_EQ(portIn(m, 10), 0x40);
    // Part way down: 0x40 * 256 - 2048 = 14336 cycles, 56 in units of 256.
    ctcWrite(11, 0x25);
    ctcWrite(11, 0x40);
    ctcTick(3, tick);
    EXPECT_EQ(ctcRead(11), 56);
}

TEST_F(CtcTest, VectorAcceptedThroughAnyPort)
{
    ctcWrite(11, 0x50);
    EXPECT_EQ(ctc.vector, 0x50);
    ctcWrite(9, 0xFE);       // low three bits dropped
    EXPECT_EQ(ctc.vector, 0xF8);
    // While a constant is expected, an even byte is the constant, not a vector.
    ctcWrite(11, 0x05);
    ctcWrite(11, 0x50);
    EXPECT_EQ(ctc.vector, 0xF8);
    EXPECT_EQ(ctc.channel[3].timeConstant, 0x50);
}

TEST_F(CtcTest, ZeroConstantExpiresOnEveryTick)
{
    ctcWrite(8, 0xA5);
    ctcWrite(8, 0x00);
    EXPECT_EQ(ctcTick(0, tick), 0x00);
    EXPECT_EQ(ctcTick(0, tick), 0x00);
}

TEST_F(CtcTest, OneExpiryPerTickEvenForShortPeriods)
{
    ctcWrite(8, 0x85);
    ctcWrite(8, 0x01);       // 16 cycles: 128 periods pass in one tick
    EXPECT_EQ(ctcTick(0, tick), 0x00);
    EXPECT_EQ(ctc.channel[0].counter, 16);
}

} // namespace
