// The output's volume: the samples are scaled by it from the next refill on, and a change
// wakes the sound thread so that it is heard at once; out-of-range levels are clamped.
#include <gtest/gtest.h>

#include <chrono>

#include "host/audio/stream.h"
#include "tests/sound_stream_support.h"
#include "tests/support/fake_audio_device.h"

using namespace ollendor;
using namespace soundtest;
using namespace std::chrono_literals;

namespace {
// Every sample at 20000 (or -20000 for the odd ones), whatever was published.
void loudFill(const ToneSettings&, int16_t* destination, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        destination[i] = int16_t(i % 2 ? -20000 : 20000);
    fills = fills + 1;
}
} // namespace

TEST(SoundVolume, ScalesTheSamplesAndIsHeardAtOnce)
{
    fills = 0;
    FakeAudioDevice device;
    SoundStream stream;
    stream.setFill(loudFill);
    EXPECT_EQ(stream.volume(), 100);
    ASSERT_TRUE(stream.open(device));
    stream.startThread();
    ASSERT_TRUE(waitUntil([&] { return stream.running(); }));
    // As playback reaching each half would: both are filled at the full level.
    stream.firstHalfEvent.set();
    stream.secondHalfEvent.set();
    ASSERT_TRUE(waitUntil([&] { return fills >= 2 && stream.ringSample(0) == 20000 && stream.ringSample(secondHalfStart) == 20000; }));

    // Without the device playing on, the change alone refills both halves.
    const unsigned before = fills;
    stream.setVolume(25);
    ASSERT_TRUE(waitUntil([&] { return fills >= before + 2; }));
    ASSERT_TRUE(waitUntil([&] { return stream.ringSample(0) == 5000 && stream.ringSample(secondHalfStart + 1) == -5000; }));

    stream.setVolume(0);
    ASSERT_TRUE(waitUntil([&] { return stream.ringSample(0) == 0 && stream.ringSample(ringSamples - 1) == 0; }));

    stream.setVolume(250); // clamped
    EXPECT_EQ(stream.volume(), 100);
    ASSERT_TRUE(waitUntil([&] { return stream.ringSample(0) == 20000 && stream.ringSample(1) == -20000; }));
    stream.setVolume(-5);
    EXPECT_EQ(stream.volume(), 0);

    // The same level again does not wake the thread.
    ASSERT_TRUE(waitUntil([&] { return stream.ringSample(0) == 0; }));
    const unsigned settled = fills;
    stream.setVolume(0);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(fills, settled);
    EXPECT_TRUE(closeWithin(stream, 1000ms));
}
