// The periodic hook: channel order, and a frame on every 65th call that hands the run back
// to its host (pacing to real time is the host's: see the pacer's tests).
#include "machine_support.h"

#include <cstring>

#include "machine/ctc.h"
#include "machine/hook.h"
#include "video/render.h"

using namespace ollendor;

namespace {

class TimingTest : public MachineTest {
protected:
    uint16_t hook() { return periodicHook(m, m.cpu); }
    void hooks(unsigned n)
    {
        for (unsigned i = 0; i < n; ++i)
            hook();
    }
    void ctcWrite(uint16_t port, uint8_t value) { ollendor::ctcWrite(m.ctc, port, value); }
    // Channel 0 interrupting on every call with vector 0x20.
    void interruptEveryCall()
    {
        ctcWrite(8, 0x20);
        ctcWrite(8, 0x85);
        ctcWrite(8, 0x01);
    }
    // The picture holds this until a frame is rendered over it.
    void markPicture() { std::memset(m.frame.pixels, 0x0B, sizeof m.frame.pixels); }
    bool pictureRendered() const { return m.frame.pixels[0] != 0x0B; }
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
    EXPECT_EQ(m.ctc.channel[1].counter, 0x10 * 16);
    EXPECT_EQ(hook(), 0xFFFF);
}

TEST_F(TimingTest, FrameOnEvery65thCall)
{
    markPicture();
    hooks(64);
    EXPECT_EQ(takeEvents(m).raised, 0);
    EXPECT_FALSE(m.cpu.stopRequested);
    EXPECT_FALSE(pictureRendered());
    EXPECT_EQ(m.timing.frames, 0u);
    hook();
    EXPECT_EQ(takeEvents(m).raised, uint8_t(MachineEvent::frameDone));
    EXPECT_TRUE(m.cpu.stopRequested) << "the run must return at the frame";
    EXPECT_TRUE(pictureRendered());
    EXPECT_EQ(m.timing.frames, 1u);
    EXPECT_EQ(m.timing.hookCount, 0u);
    unsigned frameEvents = 0;
    for (unsigned i = 0; i < 130; ++i) {
        hook();
        frameEvents += takeEvents(m).has(MachineEvent::frameDone);
    }
    EXPECT_EQ(frameEvents, 2u);
    EXPECT_EQ(m.timing.frames, 3u);
    EXPECT_EQ(m.timing.hookCalls, 195u);
}

// The frame's interrupt is not lost to the frame: the hook hands both over.
TEST_F(TimingTest, InterruptAtTheFrameIsStillDelivered)
{
    interruptEveryCall();
    hooks(64);
    EXPECT_EQ(hook(), 0x20);
    EXPECT_TRUE(takeEvents(m).has(MachineEvent::frameDone));
}

// Entering a mode the renderer cannot draw is said once, at the frame that finds it,
// with the mode; the frames after it in the same mode say nothing.
TEST_F(TimingTest, UnsupportedModeIsRaisedOnceAtItsFrame)
{
    vdpWriteControl(m.vdp, 0x08); // register 1: Multicolour, mode 2
    vdpWriteControl(m.vdp, 0x81);
    hooks(65);
    MachineEvents events = takeEvents(m);
    EXPECT_TRUE(events.has(MachineEvent::frameDone));
    ASSERT_TRUE(events.has(MachineEvent::unsupportedMode));
    EXPECT_EQ(events.unsupportedMode, 2);
    hooks(65);
    events = takeEvents(m);
    EXPECT_TRUE(events.has(MachineEvent::frameDone));
    EXPECT_FALSE(events.has(MachineEvent::unsupportedMode));
    char text[32];
    describeUnsupportedMode(text, sizeof text, 2);
    EXPECT_STREQ(text, "Mode not supported: 2");
}

} // namespace
