// The sound device playing the machine's own samples: fed from the emulation thread, they
// are played in order once a half is waiting, silence while none are, with the mute and the
// volume; samples fed before a jump are not heard after it.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "host/audio/sample_queue.h"
#include "host/audio/stream.h"
#include "tests/sound_stream_support.h"
#include "tests/support/fake_audio_device.h"

using namespace ollendor;
using namespace soundtest;

namespace {

std::vector<int16_t> counting(size_t count, int16_t first)
{
    std::vector<int16_t> samples(count);
    std::iota(samples.begin(), samples.end(), first);
    return samples;
}

TEST(SampleQueue, PlaysInOrderAfterAMarginSilenceWhenDryAndNothingBeforeADiscard)
{
    auto queue = std::make_unique<SampleQueue>();
    std::vector<int16_t> out(400);
    const std::vector<int16_t> fed = counting(2000, 1);
    queue->put(fed.data(), 1000);
    queue->take(out.data(), 400);
    EXPECT_EQ(out, std::vector<int16_t>(400, 0)) << "less than a half waiting: silence";
    queue->put(fed.data() + 1000, 1000);
    queue->take(out.data(), 400);
    EXPECT_EQ(out, counting(400, 1));
    queue->take(out.data(), 400);
    EXPECT_EQ(out, counting(400, 401));
    // Ran dry in the middle of a take: the rest is silence, and playback waits for a margin.
    std::vector<int16_t> big(1500);
    queue->take(big.data(), 1500);
    EXPECT_EQ(std::vector<int16_t>(big.begin(), big.begin() + 1200), counting(1200, 801));
    EXPECT_EQ(std::vector<int16_t>(big.begin() + 1200, big.end()), std::vector<int16_t>(300, 0));
    queue->put(fed.data(), 100);
    queue->take(out.data(), 100);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 100), std::vector<int16_t>(100, 0));
    // Fed before a jump: dropped; fed after it: played.
    queue->put(fed.data(), 1600);
    queue->discard();
    const std::vector<int16_t> after = counting(1600, -5000);
    queue->put(after.data(), 1600);
    queue->take(out.data(), 400);
    EXPECT_EQ(out, counting(400, -5000));
    // More than it holds: the rest is dropped, what was kept plays in order.
    const std::vector<int16_t> flood = counting(SampleQueue::capacity + 500, 0);
    EXPECT_EQ(queue->put(flood.data(), flood.size()), SampleQueue::capacity - 1200);
}

TEST(SoundStreamFed, TheDevicePlaysTheFedSamplesWithMuteAndVolume)
{
    FakeAudioDevice device;
    SoundStream stream;
    ASSERT_TRUE(stream.open(device));
    stream.startThread();
    ASSERT_TRUE(waitUntil([&] { return stream.running(); }));
    EXPECT_FALSE(stream.fed());
    const std::vector<int16_t> fed = counting(3125, 100);
    stream.feed(fed.data(), fed.size());
    EXPECT_TRUE(stream.fed());
    std::vector<int16_t> out(200);
    ASSERT_TRUE(device.deliver(out.data(), 200));
    EXPECT_EQ(out, counting(200, 100)) << "the machine's samples, not the ring";
    stream.setVolume(50);
    ASSERT_TRUE(device.deliver(out.data(), 2));
    EXPECT_EQ(out[0], 150);
    EXPECT_EQ(out[1], 150);
    stream.setMuted(true);
    ASSERT_TRUE(device.deliver(out.data(), 2));
    EXPECT_EQ(out[0], 0);
    stream.setMuted(false);
    stream.setVolume(100);
    ASSERT_TRUE(device.deliver(out.data(), 1));
    EXPECT_EQ(out[0], 304);
    EXPECT_TRUE(closeWithin(stream, std::chrono::milliseconds(1000)));
}

} // namespace
