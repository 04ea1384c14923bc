// The looping buffer, its half notifications, the sound thread and the stop handshake,
// driven through a fake device whose callbacks the tests make by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "sound/soundchip.h"
#include "host/audio/stream.h"
#include "tests/sound_stream_support.h"
#include "tests/support/fake_audio_device.h"

using namespace ollendor;

using namespace soundtest;
using namespace std::chrono_literals;

namespace {

// Every sample carries channel 0's amplitude as played, so a refill shows what was
// published when it ran.
void amplitudeFill(const ToneSettings& tones, int16_t* destination, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        destination[i] = int16_t(tones.amplitude[0]);
    lastFillCount = count;
    fills = fills + 1;
}

// Every sample carries its own index in the buffer (a half is told by its length).
void indexFill(const ToneSettings&, int16_t* destination, size_t count)
{
    const unsigned start = count == secondHalfSamples ? secondHalfStart : 0;
    for (size_t i = 0; i < count; ++i)
        destination[i] = int16_t(start + i);
    fills = fills + 1;
}

class SoundStreamTest : public testing::Test {
protected:
    void SetUp() override
    {
        fills = 0;
        lastFillCount = 0;
        stream.setFill(numberedFill);
    }

    void TearDown() override { EXPECT_TRUE(closeWithin(stream, 1000ms)); }

    // One callback of count samples; returns what the device would play.
    std::vector<int16_t> play(unsigned count)
    {
        std::vector<int16_t> out(count);
        EXPECT_TRUE(device.deliver(out.data(), count));
        return out;
    }

    bool ringHolds(unsigned start, unsigned count, int16_t value)
    {
        for (unsigned i = start; i < start + count; ++i)
            if (stream.ringSample(i) != value)
                return false;
        return true;
    }

    // Waits until the thread has made that many fills and the samples of the last one are
    // in the buffer (they are stored after the fill returns).
    bool filled(unsigned count, unsigned start, unsigned samples, int16_t value)
    {
        return waitUntil([&] { return fills == count && ringHolds(start, samples, value); });
    }

    // Opens the stream and starts its thread, waiting until the buffer plays.
    void startPlaying()
    {
        ASSERT_TRUE(stream.open(device));
        stream.startThread();
        ASSERT_TRUE(waitUntil([this] { return stream.running(); }));
    }

    FakeAudioDevice device;
    SoundStream stream;
};

TEST_F(SoundStreamTest, CallbackPlaysTheRingAndSignalsEachHalfAsPlaybackReachesIt)
{
    // The thread fills both halves with each sample's index, then stops; the buffer keeps
    // what it holds, and the test takes the device's part from then on.
    stream.setFill(indexFill);
    startPlaying();
    play(10);   // into the first half: the second is filled
    play(1553); // up to sample 1562: the first is filled
    ASSERT_TRUE(waitUntil([] { return fills == 2; }));
    ASSERT_TRUE(closeWithin(stream, 500ms));
    AudioSource& source = stream.source();
    std::vector<int16_t> out(ringSamples);
    source.pull(out.data(), ringSamples - 1563); // on to sample 0

    struct Step {
        unsigned samples;   // taken by this callback
        bool first, second; // events set by it
    };
    const Step steps[] = {
        {10, true, false},    // playback starts at sample 0 (byte 0)
        {1552, false, false}, // samples 10-1561: still the first half
        {1, false, true},     // sample 1562 (byte 3124)
        {1562, false, false}, // samples 1563-3124: the rest of the second half
        {2, true, false},     // wraps round to sample 0
        {3125, true, true},   // a whole turn in one callback passes both
        {1, false, false},    // where the last one left off
    };
    unsigned position = 0;
    for (const Step& step : steps) {
        stream.firstHalfEvent.reset();
        stream.secondHalfEvent.reset();
        source.pull(out.data(), step.samples);
        // The ring holds each sample's index, so this is also the play position.
        for (unsigned i = 0; i < step.samples; ++i)
            ASSERT_EQ(out[i], int16_t((position + i) % ringSamples)) << "at " << position;
        position = (position + step.samples) % ringSamples;
        EXPECT_EQ(stream.firstHalfEvent.isSet(), step.first) << "ending at " << position;
        EXPECT_EQ(stream.secondHalfEvent.isSet(), step.second) << "ending at " << position;
    }
}

TEST_F(SoundStreamTest, FailedOpenLeavesEverythingSilentAndStartsNoThread)
{
    device.openSucceeds = false;
    stream.publish(amplitudeOnly(1, 25600));
    EXPECT_FALSE(stream.open(device));
    stream.startThread();
    EXPECT_FALSE(stream.threadStarted());
    EXPECT_FALSE(stream.running());
    EXPECT_FALSE(stream.isOpen());
    EXPECT_EQ(stream.tones().frequency[0], 0);
    EXPECT_EQ(stream.tones().amplitude[1], 25600);
    stream.close(); // nothing to close, and must not wait
    EXPECT_EQ(device.closes, 0u);

    // Opened after all: channels silent at 440 Hz.
    device.openSucceeds = true;
    ASSERT_TRUE(stream.open(device));
    for (unsigned c = 0; c < 3; ++c) {
        EXPECT_EQ(stream.tones().frequency[c], 440) << c;
        EXPECT_EQ(stream.tones().amplitude[c], 0) << c;
    }

    // Whatever an earlier run left in the buffer, a new open starts it silent.
    stream.startThread();
    ASSERT_TRUE(waitUntil([this] { return stream.running(); }));
    play(10);
    ASSERT_TRUE(filled(1, secondHalfStart, secondHalfSamples, 1));
    ASSERT_TRUE(closeWithin(stream, 500ms));
    ASSERT_TRUE(stream.open(device));
    EXPECT_TRUE(ringHolds(0, ringSamples, 0));
}

TEST_F(SoundStreamTest, ThreadFillsTheHalfThatIsNotPlaying)
{
    startPlaying();
    EXPECT_TRUE(device.isPlaying);

    play(100); // playback enters the first half: the second is filled
    ASSERT_TRUE(filled(1, secondHalfStart, secondHalfSamples, 1));
    EXPECT_EQ(lastFillCount, secondHalfSamples);
    EXPECT_TRUE(ringHolds(0, firstHalfSamples, 0));

    play(1500); // up to sample 1599: into the second half, the first is filled
    ASSERT_TRUE(filled(2, 0, firstHalfSamples, 2));
    EXPECT_EQ(lastFillCount, firstHalfSamples);
    EXPECT_TRUE(ringHolds(secondHalfStart, secondHalfSamples, 1));

    play(1600); // wraps round into the first half again
    ASSERT_TRUE(filled(3, secondHalfStart, secondHalfSamples, 3));
    EXPECT_EQ(lastFillCount, secondHalfSamples);

    // With no further callback the thread sleeps: the events were reset after each wait.
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(fills, 3u);
}

// A publication wakes the thread only when what is played changes, and only while the
// buffer plays; a change refills both halves at once.
TEST_F(SoundStreamTest, PublishedChangeRefillsBothHalvesAtOnce)
{
    stream.setFill(amplitudeFill);
    ASSERT_TRUE(stream.open(device));
    stream.publish(amplitudeOnly(2, 300)); // not playing yet: kept, nobody woken
    EXPECT_EQ(stream.tones().amplitude[2], 300);
    EXPECT_FALSE(stream.firstHalfEvent.isSet());
    EXPECT_FALSE(stream.secondHalfEvent.isSet());

    stream.startThread();
    ASSERT_TRUE(waitUntil([this] { return stream.running(); }));
    play(10);
    ASSERT_TRUE(waitUntil([] { return fills == 1; }));
    EXPECT_TRUE(ringHolds(0, ringSamples, 0));

    // The thread now waits for the second half. Publishing what already plays (no
    // frequency set: the 440 Hz stay) wakes nobody.
    stream.publish(amplitudeOnly(2, 300));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(fills, 1u);

    // One change signals both events.
    stream.publish(amplitudeOnly(0, 1234));
    ASSERT_TRUE(filled(3, 0, ringSamples, 1234));
    EXPECT_EQ(stream.tones().frequency[0], 440);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(fills, 3u);
}

TEST_F(SoundStreamTest, CloseStopsAThreadWaitingForPlayback)
{
    startPlaying();
    play(10);
    ASSERT_TRUE(waitUntil([] { return fills == 1; }));

    ASSERT_TRUE(closeWithin(stream, 500ms));
    EXPECT_EQ(stream.stopState(), 2u);
    EXPECT_FALSE(stream.running());
    EXPECT_FALSE(stream.threadStarted());
    EXPECT_FALSE(device.isPlaying);
    EXPECT_EQ(device.closes, 1u);
    EXPECT_EQ(fills, 1u); // woken to stop, not to fill
}

TEST_F(SoundStreamTest, CloseFinishesWhenTheDeviceNeverCallsBack)
{
    // Playing, but the device never calls back (as after it was unplugged).
    startPlaying();
    ASSERT_TRUE(closeWithin(stream, 500ms));
    EXPECT_EQ(stream.stopState(), 2u);
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(fills, 0u);
}

TEST_F(SoundStreamTest, CloseFinishesWhenTheThreadEndedWithoutPlaying)
{
    device.playSucceeds = false;
    ASSERT_TRUE(stream.open(device));
    stream.startThread();
    ASSERT_TRUE(waitUntil([this] { return stream.stopState() == 2; }));
    EXPECT_FALSE(stream.running());
    // A published change now wakes nobody.
    stream.publish(amplitudeOnly(0, 500));
    EXPECT_FALSE(stream.firstHalfEvent.isSet());

    ASSERT_TRUE(closeWithin(stream, 500ms));
    EXPECT_EQ(stream.stopState(), 2u);
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(fills, 0u);
}

TEST_F(SoundStreamTest, CloseFinishesWhenNoThreadWasStarted)
{
    ASSERT_TRUE(stream.open(device));
    stream.close();
    stream.close(); // the second has nothing to do
    EXPECT_EQ(device.closes, 1u);
    EXPECT_EQ(stream.stopState(), 2u);
}

// The stream's destructor is the way out of every run: it stops a thread still waiting.
TEST_F(SoundStreamTest, DestroyingAPlayingStreamStopsItsThread)
{
    FakeAudioDevice other;
    {
        SoundStream playing;
        playing.setFill(numberedFill);
        ASSERT_TRUE(playing.open(other));
        playing.startThread();
        ASSERT_TRUE(waitUntil([&] { return playing.running(); }));
    }
    EXPECT_FALSE(other.isPlaying);
    EXPECT_FALSE(other.isOpen);
    EXPECT_EQ(other.closes, 1u);
}

} // namespace
