// The looping buffer, its half notifications, the sound thread and the stop handshake,
// driven through a fake device whose callbacks the tests make by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "host/audio.h"
#include "sound/soundchip.h"
#include "sound/stream.h"
#include "tests/sound_stream_support.h"

using namespace ollendor;


using namespace soundtest;
using namespace std::chrono_literals;

namespace {

// Every sample carries channel 0's published amplitude, so a refill shows what was
// published when it ran.
void amplitudeFill(int16_t* destination, size_t count)
{
    int16_t value = int16_t(soundChip.channelAmplitude[0].load());
    for (size_t i = 0; i < count; ++i)
        destination[i] = value;
    lastFillCount = count;
    fills = fills + 1;
}

class SoundStreamTest : public testing::Test {
protected:
    void SetUp() override
    {
        soundChipPowerOn();
        fills = 0;
        lastFillCount = 0;
        soundStream.fill = numberedFill;
        firstHalfEvent.reset();
        secondHalfEvent.reset();
    }

    void TearDown() override
    {
        EXPECT_TRUE(closeWithin(std::chrono::milliseconds(1000)));
        soundStream.fill = nullptr;
    }

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
            if (soundStream.ring[i].load() != value)
                return false;
        return true;
    }

    FakeAudioDevice device;
};

TEST_F(SoundStreamTest, CallbackPlaysTheRingAndSignalsEachHalfAsPlaybackReachesIt)
{
    ASSERT_TRUE(soundOpen(device));
    ASSERT_TRUE(device.play()); // played by hand: no thread takes the events
    for (unsigned i = 0; i < ringSamples; ++i)
        soundStream.ring[i].store(int16_t(i));

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
    };
    unsigned position = 0;
    for (const Step& step : steps) {
        firstHalfEvent.reset();
        secondHalfEvent.reset();
        std::vector<int16_t> out = play(step.samples);
        for (unsigned i = 0; i < step.samples; ++i)
            ASSERT_EQ(out[i], int16_t((position + i) % ringSamples)) << "at " << position;
        position = (position + step.samples) % ringSamples;
        EXPECT_EQ(firstHalfEvent.isSet(), step.first) << "ending at " << position;
        EXPECT_EQ(secondHalfEvent.isSet(), step.second) << "ending at " << position;
        EXPECT_EQ(soundStream.playPosition.load(), position);
    }
}

TEST_F(SoundStreamTest, FailedOpenLeavesEverythingSilentAndStartsNoThread)
{
    device.openSucceeds = false;
    soundChip.channelAmplitude[1].store(25600);
    EXPECT_FALSE(soundOpen(device));
    startSoundThread();
    EXPECT_FALSE(soundThreadStarted());
    EXPECT_FALSE(soundChip.soundRunning.load());
    EXPECT_EQ(soundChip.channelFrequency[0].load(), 0);
    EXPECT_EQ(soundChip.channelAmplitude[1].load(), 25600);
    soundClose(); // nothing to close, and must not wait
    EXPECT_EQ(device.closes, 0u);

    // Opened after all: channels published silent at 440 Hz, the buffer silent.
    device.openSucceeds = true;
    soundStream.ring[2000].store(77);
    ASSERT_TRUE(soundOpen(device));
    for (unsigned c = 0; c < 3; ++c) {
        EXPECT_EQ(soundChip.channelFrequency[c].load(), 440) << c;
        EXPECT_EQ(soundChip.channelAmplitude[c].load(), 0) << c;
    }
    EXPECT_TRUE(ringHolds(0, ringSamples, 0));
}

TEST_F(SoundStreamTest, ThreadFillsTheHalfThatIsNotPlaying)
{
    ASSERT_TRUE(soundOpen(device));
    startSoundThread();
    ASSERT_TRUE(waitUntil([] { return soundChip.soundRunning.load(); }));
    EXPECT_TRUE(device.isPlaying);

    play(100); // playback enters the first half: the second is filled
    ASSERT_TRUE(waitUntil([] { return fills == 1; }));
    EXPECT_EQ(lastFillCount, secondHalfSamples);
    EXPECT_TRUE(ringHolds(secondHalfStart, secondHalfSamples, 1));
    EXPECT_TRUE(ringHolds(0, firstHalfSamples, 0));

    play(1500); // up to sample 1599: into the second half, the first is filled
    ASSERT_TRUE(waitUntil([] { return fills == 2; }));
    EXPECT_EQ(lastFillCount, firstHalfSamples);
    EXPECT_TRUE(ringHolds(0, firstHalfSamples, 2));
    EXPECT_TRUE(ringHolds(secondHalfStart, secondHalfSamples, 1));

    play(1600); // wraps round into the first half again
    ASSERT_TRUE(waitUntil([] { return fills == 3; }));
    EXPECT_EQ(lastFillCount, secondHalfSamples);
    EXPECT_TRUE(ringHolds(secondHalfStart, secondHalfSamples, 3));

    // With no further callback the thread sleeps: the events were reset after each wait.
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(fills, 3u);
}

TEST_F(SoundStreamTest, PublishedChangeRefillsBothHalvesAtOnce)
{
    soundStream.fill = amplitudeFill;
    ASSERT_TRUE(soundOpen(device));
    startSoundThread();
    ASSERT_TRUE(waitUntil([] { return soundChip.soundRunning.load(); }));
    play(10);
    ASSERT_TRUE(waitUntil([] { return fills == 1; }));
    EXPECT_TRUE(ringHolds(0, ringSamples, 0));

    // The thread now waits for the second half; one change signals both events.
    setChannelAmplitude(0, 1234);
    ASSERT_TRUE(waitUntil([] { return fills == 3; }));
    EXPECT_TRUE(ringHolds(0, ringSamples, 1234));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(fills, 3u);
}

TEST_F(SoundStreamTest, CloseStopsAThreadWaitingForPlayback)
{
    ASSERT_TRUE(soundOpen(device));
    startSoundThread();
    ASSERT_TRUE(waitUntil([] { return soundChip.soundRunning.load(); }));
    play(10);
    ASSERT_TRUE(waitUntil([] { return fills == 1; }));

    ASSERT_TRUE(closeWithin(500ms));
    EXPECT_EQ(soundStopState.load(), 2u);
    EXPECT_FALSE(soundChip.soundRunning.load());
    EXPECT_FALSE(device.isPlaying);
    EXPECT_EQ(device.closes, 1u);
    EXPECT_EQ(fills, 1u); // woken to stop, not to fill
}

TEST_F(SoundStreamTest, CloseFinishesWhenTheDeviceNeverCallsBack)
{
    // Playing, but the device never calls back (as after it was unplugged).
    ASSERT_TRUE(soundOpen(device));
    startSoundThread();
    ASSERT_TRUE(waitUntil([] { return soundChip.soundRunning.load(); }));
    ASSERT_TRUE(closeWithin(500ms));
    EXPECT_EQ(soundStopState.load(), 2u);
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(fills, 0u);
}

TEST_F(SoundStreamTest, CloseFinishesWhenTheThreadEndedWithoutPlaying)
{
    device.playSucceeds = false;
    ASSERT_TRUE(soundOpen(device));
    startSoundThread();
    ASSERT_TRUE(waitUntil([] { return soundStopState.load() == 2; }));
    EXPECT_FALSE(soundChip.soundRunning.load());
    // A published change now wakes nobody.
    setChannelAmplitude(0, 500);
    EXPECT_FALSE(firstHalfEvent.isSet());

    ASSERT_TRUE(closeWithin(500ms));
    EXPECT_EQ(soundStopState.load(), 2u);
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(fills, 0u);
}

TEST_F(SoundStreamTest, CloseFinishesWhenNoThreadWasStarted)
{
    ASSERT_TRUE(soundOpen(device));
    soundClose();
    soundClose(); // the second has nothing to do
    EXPECT_EQ(device.closes, 1u);
    EXPECT_EQ(soundStopState.load(), 2u);
}

} // namespace
