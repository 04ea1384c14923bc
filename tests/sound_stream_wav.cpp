// The WAV writer and the sound output on emulated time.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "host/audio.h"
#include "sound/soundchip.h"
#include "sound/stream.h"
#include "sound/wavstream.h"
#include "tests/sound_stream_support.h"

namespace {

constexpr uint64_t cyclesPerSecond = 4000000;

std::string tempPath(const char* name)
{
    return testing::TempDir() + "ollendor_" + name + "_" + std::to_string(::getpid()) + ".wav";
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t le16(const std::vector<uint8_t>& b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}

std::vector<int16_t> samplesOf(const std::vector<uint8_t>& file)
{
    std::vector<int16_t> samples;
    for (size_t at = wavHeaderBytes; at + 1 < file.size(); at += 2)
        samples.push_back(int16_t(le16(file, at)));
    return samples;
}

class WavTest : public testing::Test {
protected:
    void SetUp() override { soundChipPowerOn(); }
    void TearDown() override
    {
        soundClose();
        soundStream.fill = nullptr;
        wavFinish();
        std::remove(path.c_str());
    }

    // Runs one second of emulated time as the periodic hook would, 2048 cycles a call.
    void runOneSecond()
    {
        uint64_t left = cyclesPerSecond;
        for (; left >= 2048; left -= 2048)
            wavAdvance(2048);
        wavAdvance(left);
    }

    std::string path = tempPath("wav");
};

TEST_F(WavTest, HeaderDescribes16BitMonoAt31250HzWithSizesFixedUpAtClose)
{
    ASSERT_TRUE(wavStart(path.c_str()));
    wavAdvance(400000); // 100 ms: both halves
    ASSERT_TRUE(wavFinish());

    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), wavHeaderBytes + 6250u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(le32(file, 4), 36u + 6250u);                  // RIFF chunk size
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(file, 16), 16u);                         // fmt chunk size
    EXPECT_EQ(le16(file, 20), 1u);                          // PCM
    EXPECT_EQ(le16(file, 22), 1u);                          // mono
    EXPECT_EQ(le32(file, 24), 31250u);                      // samples per second
    EXPECT_EQ(le32(file, 28), 62500u);                      // bytes per second
    EXPECT_EQ(le16(file, 32), 2u);                          // block alignment
    EXPECT_EQ(le16(file, 34), 16u);                         // bits per sample
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(le32(file, 40), 6250u);                       // sample bytes
}

TEST_F(WavTest, HalvesAreWrittenWhenEmulatedTimeReachesTheirEnd)
{
    ASSERT_TRUE(wavStart(path.c_str()));
    struct Step {
        uint64_t cycles;  // passed to wavAdvance
        uint64_t samples; // written after it
    };
    const Step steps[] = {
        {1562 * 128 - 1, 0},    // one cycle short of the first half
        {1, 1562},              // the first half's end
        {1563 * 128 - 1, 1562}, // one cycle short of the second
        {1, 3125},              // 100 ms
        {400000 * 3, 12500},    // a long step writes every half it passed
        {0, 12500},
    };
    for (const Step& step : steps) {
        wavAdvance(step.cycles);
        EXPECT_EQ(wavStream.samples, step.samples) << "after " << wavStream.cycles;
    }
    ASSERT_TRUE(wavFinish());
    EXPECT_EQ(readFile(path).size(), wavHeaderBytes + 2 * 12500u);
}

TEST_F(WavTest, ToneOnChannel0GivesItsFrequencyOverOneSecond)
{
    ASSERT_TRUE(wavStart(path.c_str()));
    EXPECT_EQ(soundChip.channelFrequency[0].load(), 440);
    setChannelAmplitude(0, 25600);
    runOneSecond();
    ASSERT_TRUE(wavFinish());

    std::vector<int16_t> samples = samplesOf(readFile(path));
    ASSERT_EQ(samples.size(), 31250u);
    unsigned crossings = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        ASSERT_TRUE(samples[i] == 25600 || samples[i] == -25600) << "sample " << i;
        if (i > 0 && samples[i] != samples[i - 1])
            ++crossings;
    }
    // 440 Hz is two polarity changes per cycle, 880 in one second (the wave is 440.1 Hz).
    EXPECT_GE(crossings, 878u);
    EXPECT_LE(crossings, 882u);
}

TEST_F(WavTest, SameEmulatedRunGivesTheSameFile)
{
    std::string second = tempPath("wav_again");
    std::vector<uint8_t> files[2];
    for (int run = 0; run < 2; ++run) {
        const std::string& name = run == 0 ? path : second;
        soundChipPowerOn();
        ASSERT_TRUE(wavStart(name.c_str()));
        setChannelAmplitude(1, 12800);
        wavAdvance(123457);
        setChannelFrequency(1, 1000); // a change between halves takes effect at the next
        wavAdvance(400000 - 123457);
        ASSERT_TRUE(wavFinish());
        files[run] = readFile(name);
    }
    std::remove(second.c_str());
    ASSERT_EQ(files[0].size(), wavHeaderBytes + 6250u);
    EXPECT_EQ(files[0], files[1]);
    // The first half came due after the change to 1000 Hz: about 100 polarity changes in
    // its 50 ms, where 440 Hz would give 44.
    std::vector<int16_t> samples = samplesOf(files[0]);
    unsigned crossings = 0;
    for (size_t i = 1; i < firstHalfSamples; ++i)
        crossings += samples[i] != samples[i - 1];
    EXPECT_GE(crossings, 98u);
    EXPECT_LE(crossings, 101u);
}

TEST_F(WavTest, SilentWhileNothingIsPublished)
{
    ASSERT_TRUE(wavStart(path.c_str()));
    wavAdvance(800000);
    ASSERT_TRUE(wavFinish());
    std::vector<int16_t> samples = samplesOf(readFile(path));
    ASSERT_EQ(samples.size(), 6250u);
    for (int16_t sample : samples)
        ASSERT_EQ(sample, 0);
}

TEST_F(WavTest, FileThatCannotBeCreatedLeavesNothingOpen)
{
    std::string bad = testing::TempDir() + "no_such_dir_ollendor/x.wav";
    EXPECT_FALSE(wavStart(bad.c_str()));
    wavAdvance(400000);
    EXPECT_EQ(wavStream.samples, 0u);
    EXPECT_TRUE(wavFinish());
}

TEST_F(WavTest, RefusedWhileTheSoundThreadRuns)
{
    FakeAudioDevice device;
    soundStream.fill = soundtest::numberedFill;
    ASSERT_TRUE(soundOpen(device));
    startSoundThread();
    EXPECT_FALSE(wavStart(path.c_str()));
    soundClose();
    soundStream.fill = nullptr;
    EXPECT_TRUE(wavStart(path.c_str()));
}

TEST(WavFile, WriteAfterCloseAndCloseTwiceAreRefusedSafely)
{
    std::string path = tempPath("wavfile");
    WavFile wav{};
    ASSERT_TRUE(wavOpen(wav, path.c_str()));
    const int16_t samples[] = {1, -1, 32767, -32768};
    ASSERT_TRUE(wavWrite(wav, samples, 4));
    ASSERT_TRUE(wavClose(wav));
    EXPECT_FALSE(wavWrite(wav, samples, 4));
    EXPECT_TRUE(wavClose(wav));

    std::vector<uint8_t> file = readFile(path);
    std::remove(path.c_str());
    ASSERT_EQ(file.size(), wavHeaderBytes + 8u);
    EXPECT_EQ(le32(file, 40), 8u);
    // Little-endian two's complement, whatever the host.
    const uint8_t expected[] = {0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), file.begin() + 44));
}

} // namespace
