// Muting the sound stream: the halves are refilled with silence at once while the thread
// and the published settings go on, and unmuting brings the tones back at once.
#include <gtest/gtest.h>

#include <chrono>

#include "host/audio/stream.h"
#include "tests/sound_stream_support.h"
#include "tests/support/fake_audio_device.h"

using namespace ollendor;
using namespace soundtest;
using namespace std::chrono_literals;

namespace {

// Every sample carries channel 0's amplitude as played.
void channelZeroFill(const ToneSettings& tones, int16_t* destination, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        destination[i] = int16_t(tones.amplitude[0]);
}

TEST(SoundStreamMute, SilenceAtOnceWhileTheTonesStay)
{
    FakeAudioDevice device;
    SoundStream stream;
    stream.setFill(channelZeroFill);
    auto ringHolds = [&stream](int16_t value) {
        for (unsigned i = 0; i < ringSamples; ++i)
            if (stream.ringSample(i) != value)
                return false;
        return true;
    };
    ASSERT_TRUE(stream.open(device));
    stream.startThread();
    ASSERT_TRUE(waitUntil([&] { return stream.running(); }));
    stream.publish(amplitudeOnly(0, 1234));
    ASSERT_TRUE(waitUntil([&] { return ringHolds(1234); }));

    stream.setMuted(true);
    EXPECT_TRUE(stream.muted());
    EXPECT_TRUE(waitUntil([&] { return ringHolds(0); })) << "both halves silent without waiting for playback";
    EXPECT_EQ(stream.tones().amplitude[0], 1234) << "the published settings stay";

    // A change while muted is kept, and not heard.
    stream.publish(amplitudeOnly(0, 777));
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(ringHolds(0));

    stream.setMuted(false);
    EXPECT_TRUE(waitUntil([&] { return ringHolds(777); })) << "the tones come back at once";
    EXPECT_TRUE(closeWithin(stream, 1000ms));
}

} // namespace
