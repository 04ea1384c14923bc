// The periodic hook: channel order, frames, pacing, the speed figure and quitting.
#include "machine_support.h"

#include "machine/ctc.h"
#include "machine/timing.h"

using namespace ollendor;

namespace {

class TimingTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        z80.cyclesPerHook = 2048;
        testHost.millis = 0;
        resetTiming();
    }
    uint16_t hook() { return periodicHook(z80); }
    void hooks(unsigned n)
    {
        for (unsigned i = 0; i < n; ++i)
            hook();
    }
    // Channel 0 interrupting on every call with vector 0x20.
    void interruptEveryCall()
    {
        ctcWrite(8, 0x20);
        ctcWrite(8, 0x85);
        ctcWrite(8, 0x01);
    }
};

TEST_F(TimingTest, LastRunningChannelDecides)
{
    ctcWrite(8, 0x10);           // vector 0x10
    ctcWrite(11, 0x85);          // channel 3: 128 cycles, expires on every call
    ctcWrite(11, 0x08);
    EXPECT_EQ(hook(), 0x16);     // channel 3 alone
    ctcWrite(8, 0xA5);           // channel 0: 4096 cycles, every second call
    ctcWrite(8, 0x10);
    EXPECT_EQ(hook(), 0xFFFF);   // channel 3 expired, channel 0 did not: channel 0 wins
    EXPECT_EQ(hook(), 0x10);
    EXPECT_EQ(hook(), 0xFFFF);
}

TEST_F(TimingTest, StoppedChannelsAreNotTicked)
{
    ctcWrite(9, 0x8D);           // stopped on load
    ctcWrite(9, 0x10);
    hooks(3);
    EXPECT_EQ(ctc.channel[1].counter, 0x10 * 16);
    EXPECT_EQ(hook(), 0xFFFF);
}

TEST_F(TimingTest, FrameOnEvery65thCall)
{
    constrainSpeed = 0;
    hooks(64);
    EXPECT_EQ(testHost.pumpCalls, 0u);
    EXPECT_EQ(testHost.renderCalls, 0u);
    hook();
    EXPECT_EQ(testHost.pumpCalls, 1u);
    EXPECT_EQ(testHost.renderCalls, 1u);
    EXPECT_EQ(hookCount, 0u);
    hooks(130);
    EXPECT_EQ(testHost.renderCalls, 3u);
}

TEST_F(TimingTest, QuitFromFramePumpSkipsRenderAndMark)
{
    constrainSpeed = 0;
    interruptEveryCall();
    hooks(64);
    testHost.pumpAnswers = {false};
    testHost.millis = 500;       // a mark would be due
    EXPECT_EQ(hook(), hookQuit);
    EXPECT_EQ(testHost.renderCalls, 0u);
    EXPECT_EQ(hookCount, 64u);
    EXPECT_EQ(measuredClockHz, 0u);
    EXPECT_EQ(cycleAccumulator, 65u * 2048);
    EXPECT_EQ(markMillis, 0);
}

TEST_F(TimingTest, QuitFromPacingPumpSkipsRenderAndMark)
{
    hooks(65);                   // one frame; the clock stands still
    ASSERT_EQ(testHost.renderCalls, 1u);
    testHost.pumpAnswers = {false};
    EXPECT_EQ(hook(), hookQuit); // 135,168 cycles: ahead, so it waits and pumps
    EXPECT_EQ(testHost.sleepCalls, 1u);
    EXPECT_EQ(testHost.renderCalls, 1u);
    EXPECT_EQ(measuredClockHz, 0u);
    EXPECT_EQ(cycleAccumulator, 66u * 2048);
}

TEST_F(TimingTest, FastHostIsHeldToFourMegahertz)
{
    interruptEveryCall();
    hooks(65);
    testHost.millis = 10;        // 135,168 cycles took 10 ms
    EXPECT_EQ(hook(), 0x20);     // the interrupt survives the wait
    EXPECT_EQ(testHost.sleepCalls, 23u);
    EXPECT_EQ(testHost.sleptMillis, 23u);
    EXPECT_EQ(testHost.renderCalls, 1u + 23u);
    EXPECT_EQ(testHost.pumpCalls, 1u + 23u);
    EXPECT_EQ(measuredClockHz, 135168u * 30);
    EXPECT_EQ(measuredClockHz, 4055040u);
    EXPECT_EQ(markMillis, 33);
    EXPECT_EQ(cycleAccumulator, 0u);
}

TEST_F(TimingTest, UnconstrainedNeverSleeps)
{
    constrainSpeed = 0;
    hooks(2000);                 // 4 million cycles in no host time at all
    EXPECT_EQ(testHost.sleepCalls, 0u);
    EXPECT_EQ(testHost.renderCalls, 2000u / 65);
    EXPECT_EQ(measuredClockHz, 0u);
    testHost.millis = 33;
    hook();
    EXPECT_EQ(measuredClockHz, 2001u * 2048 * 30);
    EXPECT_EQ(testHost.sleepCalls, 0u);
}

TEST_F(TimingTest, SlowHostShowsTheRateReached)
{
    testHost.millis = 17;
    hook();
    EXPECT_EQ(measuredClockHz, 0u);
    testHost.millis = 34;
    hook();
    EXPECT_EQ(measuredClockHz, 2u * 2048 * 30);
    EXPECT_EQ(markMillis, 34);
    EXPECT_EQ(testHost.sleepCalls, 0u);
}

TEST_F(TimingTest, SecondRolloverEndsThePeriod)
{
    testHost.millis = 990;
    resetTiming();
    testHost.millis = 995;
    hook();
    EXPECT_EQ(markMillis, 990);  // 5 ms: no mark yet
    testHost.millis = 5;
    hook();
    EXPECT_EQ(markMillis, 5);
    EXPECT_EQ(measuredClockHz, 2u * 2048 * 30);
}

} // namespace
