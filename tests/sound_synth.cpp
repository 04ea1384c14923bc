// Square-wave synthesis and the mixing of one buffer half.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "sound/soundchip.h"
#include "sound/synth.h"

using namespace ollendor;


namespace {

using Samples = std::vector<int16_t>;

// The wave one sample at a time, as plainly as it can be put; squareWave fills runs.
uint16_t referenceWave(int16_t* out, size_t n, uint16_t h, uint16_t s, uint16_t a)
{
    int p = s >> 15;
    int left = s & 0x3FF;
    for (size_t i = 0; i < n; ++i) {
        if (--left <= 0) {
            left = h;
            p = 1 - p;
        }
        out[i] = p ? int16_t(a) : int16_t(-int(a));
    }
    return uint16_t(p << 15 | left);
}

// Sample indices where the wave's sign differs from the sample before.
std::vector<size_t> polarityChanges(const Samples& wave)
{
    std::vector<size_t> at;
    for (size_t i = 1; i < wave.size(); ++i)
        if ((wave[i] > 0) != (wave[i - 1] > 0))
            at.push_back(i);
    return at;
}

TEST(SquareWave, StartsHighWithAFullHalfPeriod)
{
    Samples out(8);
    EXPECT_EQ(squareWave(out.data(), 8, 3, 0, 100), 0x8002);
    EXPECT_EQ(out, (Samples{100, 100, 100, -100, -100, -100, 100, 100}));
    EXPECT_EQ(squareWave(out.data(), 0, 3, 0xFC05, 100), 0x8005); // n = 0: s AND 0x83FF
}

TEST(SquareWave, MatchesTheSampleBySampleWave)
{
    std::mt19937 random(7);
    Samples got(3000), want(3000);
    for (int trial = 0; trial < 2000; ++trial) {
        size_t n = random() % 3000;
        uint16_t h = uint16_t(random() % 1100);
        uint16_t s = uint16_t(random());
        uint16_t a = uint16_t(random() % 30000);
        uint16_t wantState = referenceWave(want.data(), n, h, s, a);
        ASSERT_EQ(squareWave(got.data(), n, h, s, a), wantState)
            << "n " << n << " h " << h << " s " << s;
        ASSERT_TRUE(std::equal(got.begin(), got.begin() + long(n), want.begin()))
            << "n " << n << " h " << h << " s " << s;
    }
}

TEST(SquareWave, ToneBlockHalfPeriods)
{
    Samples wave(blockSamples);
    toneBlock(wave.data(), wave.size(), 440, 0, 1000);
    auto changes = polarityChanges(wave);
    ASSERT_GT(changes.size(), 40u);
    for (size_t i = 1; i < changes.size(); ++i)
        ASSERT_EQ(changes[i] - changes[i - 1], 284u);

    // 122 Hz: a half period of 1024 reloaded on the last sample leaves bits 0-9 at 0, so
    // the next block changes polarity on its first sample.
    uint16_t state = toneBlock(wave.data(), 5, 122, 0x8005, 1000);
    EXPECT_EQ(wave[4], -1000);
    EXPECT_EQ(state & 0x83FF, 0);
    toneBlock(wave.data(), 2, 122, state, 1000);
    EXPECT_EQ(wave[0], 1000);
}

TEST(SquareWave, SilentCases)
{
    Samples wave(blockSamples, 123);
    toneBlock(wave.data(), wave.size(), 440, 0x8100, 0);
    for (int16_t v : wave)
        ASSERT_EQ(v, 0);
    std::fill(wave.begin(), wave.end(), 123);
    // Frequency 0: silence, and the wave stands still instead of dividing by zero.
    EXPECT_EQ(toneBlock(wave.data(), wave.size(), 0, 0xFC12, 25600), 0x8012);
    for (int16_t v : wave)
        ASSERT_EQ(v, 0);
}

class FillHalf : public ::testing::Test {
protected:
    void channel(unsigned c, uint16_t hertz, uint16_t amplitude)
    {
        tones.frequency[c] = hertz;
        tones.amplitude[c] = amplitude;
    }
    void fill(int16_t* destination, size_t count) { fillHalf(synth, tones, destination, count); }

    ToneSynth synth{}; // every wave at its start
    ToneSettings tones{};
};

TEST_F(FillHalf, TakesEveryEighthSampleAndRunsAWholeBlock)
{
    channel(0, 440, 25600);
    channel(1, 440, 0);
    channel(2, 1000, 0);
    for (size_t n : {size_t(firstHalfSamples), size_t(secondHalfSamples)}) {
        uint16_t before = synth.channelPhase[0];
        Samples block(blockSamples);
        uint16_t after = toneBlock(block.data(), blockSamples, 440, before, 25600);
        Samples out(n + 1, 99);
        fill(out.data(), n);
        EXPECT_EQ(synth.channelPhase[0], after);
        for (size_t i = 0; i < n; ++i)
            ASSERT_EQ(out[i], block[8 * i]) << "sample " << i;
        EXPECT_EQ(out[n], 99) << "wrote past the half";
        EXPECT_EQ(std::count(out.begin(), out.end() - 1, 25600) +
                      std::count(out.begin(), out.end() - 1, -25600),
                  long(n));
    }
}

TEST_F(FillHalf, LoudChannelsSaturateInsteadOfWrapping)
{
    channel(0, 440, 25600);
    channel(1, 440, 25600);
    channel(2, 440, 25600);
    Samples out(firstHalfSamples);
    fill(out.data(), out.size());
    for (int16_t v : out)
        ASSERT_TRUE(v == 32767 || v == -32768) << v;
    EXPECT_GT(std::count(out.begin(), out.end(), -32768), 0);

    // Opposite phases cancel before the clamp, not after it.
    synth.channelPhase[0] = 0x8000 | 100;
    synth.channelPhase[1] = 0x0000 | 100;
    channel(2, 440, 0);
    fill(out.data(), out.size());
    for (int16_t v : out)
        ASSERT_EQ(v, 0);
}

} // namespace
