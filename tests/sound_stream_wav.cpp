// The WAV writer and the sound output on emulated time.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

#include "sound/soundchip.h"
#include "host/audio/stream.h"
#include "files/wav_stream.h"
#include "tests/sound_stream_support.h"
#include "tests/support/fake_audio_device.h"

using namespace ollendor;
using soundtest::amplitudeOnly;

namespace {

std::string tempPath(const char* name)
{
    return testing::TempDir() + "ollendor_" + name + "_" + std::to_string(::getpid()) + ".wav";
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le(const std::vector<uint8_t>& b, size_t at, unsigned bytes)
{
    uint32_t value = 0;
    for (unsigned i = bytes; i-- > 0;)
        value = value << 8 | b[at + i];
    return value;
}

// Counts the places where a sample differs from the one before.
unsigned polarityChanges(const std::vector<uint8_t>& file, size_t samples)
{
    unsigned changes = 0;
    for (size_t i = 1; i < samples; ++i)
        changes += le(file, wavHeaderBytes + 2 * i, 2) != le(file, wavHeaderBytes + 2 * i - 2, 2);
    return changes;
}

class WavTest : public testing::Test {
protected:
    void TearDown() override
    {
        wavFinish(wav);
        std::remove(path.c_str());
    }
    std::string path = tempPath("wav");
    WavStream wav;
};

TEST_F(WavTest, HalvesComeDueOnEmulatedTimeAndTheHeaderGetsTheirSize)
{
    ASSERT_TRUE(wavStart(wav, path.c_str()));
    struct Step {
        uint64_t cycles;  // passed to wavAdvance
        uint64_t samples; // written after it
    };
    const Step steps[] = {
        {1562 * 128 - 1, 0},    // one cycle short of the first half's end
        {1, 1562},              // the first half: 1,562 samples
        {1563 * 128 - 1, 1562}, // one cycle short of the second's
        {1, 3125},              // 100 ms: the second half, 1,563 samples
        {400000 * 3, 12500},    // one long step writes every half it passed
    };
    for (const Step& step : steps) {
        wavAdvance(wav, step.cycles);
        EXPECT_EQ(wav.samples, step.samples) << "after " << wav.cycles;
    }
    ASSERT_TRUE(wavFinish(wav));

    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), wavHeaderBytes + 25000u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(le(file, 4, 4), 36u + 25000u); // RIFF chunk size
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    const uint32_t fields[][3] = {
        {16, 4, 16},    // fmt chunk size
        {20, 2, 1},     // PCM
        {22, 2, 1},     // mono
        {24, 4, 31250}, // samples per second
        {28, 4, 62500}, // bytes per second
        {32, 2, 2},     // block alignment
        {34, 2, 16},    // bits per sample
        {40, 4, 25000}, // sample bytes
    };
    for (const auto& field : fields)
        EXPECT_EQ(le(file, field[0], field[1]), field[2]) << "at byte " << field[0];
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
}

TEST_F(WavTest, ToneOnChannel0GivesItsFrequencyOverOneSecond)
{
    ASSERT_TRUE(wavStart(wav, path.c_str()));
    EXPECT_EQ(wav.tones.frequency[0], 440);
    wavPublish(wav, amplitudeOnly(0, 25600)); // no frequency set: the 440 Hz stay
    uint64_t left = 4000000; // one second, a slice of the periodic hook at a time
    for (; left >= 2048; left -= 2048)
        wavAdvance(wav, 2048);
    wavAdvance(wav, left);
    ASSERT_TRUE(wavFinish(wav));

    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), wavHeaderBytes + 2 * 31250u);
    for (size_t i = 0; i < 31250; ++i) {
        int16_t sample = int16_t(le(file, wavHeaderBytes + 2 * i, 2));
        ASSERT_TRUE(sample == 25600 || sample == -25600) << "sample " << i;
    }
    // 440 Hz is 880 polarity changes a second (the wave is 440.1 Hz).
    unsigned changes = polarityChanges(file, 31250);
    EXPECT_GE(changes, 878u);
    EXPECT_LE(changes, 882u);
}

TEST_F(WavTest, SameEmulatedRunGivesTheSameFileAndChangesApplyFromTheNextHalf)
{
    std::string second = tempPath("wav_again");
    std::vector<uint8_t> files[2];
    for (int run = 0; run < 2; ++run) {
        const std::string& name = run == 0 ? path : second;
        ASSERT_TRUE(wavStart(wav, name.c_str()));
        ToneSettings tones = amplitudeOnly(1, 12800);
        wavPublish(wav, tones);
        wavAdvance(wav, 123457);
        tones.frequency[1] = 1000;
        wavPublish(wav, tones);
        wavAdvance(wav, 400000 - 123457);
        ASSERT_TRUE(wavFinish(wav));
        files[run] = readFile(name);
    }
    std::remove(second.c_str());
    ASSERT_EQ(files[0].size(), wavHeaderBytes + 6250u);
    EXPECT_EQ(files[0], files[1]);
    // The first half came due after the change: about 100 polarity changes in its 50 ms
    // at 1000 Hz, where 440 Hz would give 44.
    unsigned changes = polarityChanges(files[0], firstHalfSamples);
    EXPECT_GE(changes, 98u);
    EXPECT_LE(changes, 101u);
}

TEST_F(WavTest, StartRefusedForAFileThatCannotBeCreatedOrWhileOneIsOpen)
{
    std::string bad = testing::TempDir() + "no_such_dir_ollendor/x.wav";
    EXPECT_FALSE(wavStart(wav, bad.c_str()));
    EXPECT_FALSE(wav.wav.error.empty());
    wavAdvance(wav, 400000);
    EXPECT_EQ(wav.samples, 0u);
    EXPECT_TRUE(wavFinish(wav));

    // A second start while a file is being written leaves that file and its time alone.
    ASSERT_TRUE(wavStart(wav, path.c_str()));
    wavAdvance(wav, 1562 * 128);
    const std::string other = tempPath("wav_other");
    EXPECT_FALSE(wavStart(wav, other.c_str()));
    EXPECT_EQ(wav.samples, 1562u);
    EXPECT_EQ(wav.cycles, 1562u * 128);
    ASSERT_TRUE(wavFinish(wav));
    EXPECT_EQ(readFile(path).size(), wavHeaderBytes + 2 * 1562u);
    EXPECT_TRUE(readFile(other).empty());
}

// The sound device's stream and the WAV writer each have their own synthesiser: a sound
// thread filling halves meanwhile changes nothing in the file.
TEST_F(WavTest, ASoundThreadPlayingMeanwhileChangesNothingInTheFile)
{
    auto record = [&](const std::string& name, const std::function<void()>& meanwhile) {
        WavStream own;
        EXPECT_TRUE(wavStart(own, name.c_str()));
        ToneSettings tones = amplitudeOnly(0, 20000);
        tones.frequency[0] = 700;
        for (unsigned slice = 0; slice < 1200; ++slice) {
            if (slice == 500)
                tones.amplitude[2] = 9000;
            wavPublish(own, tones);
            wavAdvance(own, 2048);
            meanwhile();
        }
        EXPECT_TRUE(wavFinish(own));
        std::vector<uint8_t> bytes = readFile(name);
        std::remove(name.c_str());
        return bytes;
    };
    const std::vector<uint8_t> alone = record(tempPath("wav_alone"), [] {});

    FakeAudioDevice device;
    SoundStream stream;
    ASSERT_TRUE(stream.open(device));
    stream.startThread();
    ASSERT_TRUE(soundtest::waitUntil([&] { return stream.running(); }));
    ToneSettings loud = amplitudeOnly(1, 30000);
    loud.frequency[1] = 1500;
    stream.publish(loud);
    int16_t played[800];
    const std::vector<uint8_t> together = record(tempPath("wav_together"), [&] {
        device.deliver(played, 800); // the thread synthesises a half at every boundary
    });
    EXPECT_TRUE(soundtest::closeWithin(stream, std::chrono::milliseconds(1000)));
    ASSERT_GT(alone.size(), wavHeaderBytes + 30000u);
    EXPECT_EQ(alone, together);
}

// A stream as made, before any start (in a larger object on the heap, say, over bytes
// left by something else): nothing counted, nothing failed or full, and finishing it is
// harmless.
TEST(WavStreamAsMade, HoldsNoLeftoversAndFinishesAsGood)
{
    alignas(WavStream) static unsigned char storage[sizeof(WavStream)];
    std::memset(storage, 0xBE, sizeof storage);
    WavStream* wav = new (storage) WavStream;
    EXPECT_EQ(wav->wav.dataBytes, 0u);
    unsigned char flags[2];
    std::memcpy(&flags[0], &wav->wav.failed, 1);
    std::memcpy(&flags[1], &wav->wav.full, 1);
    EXPECT_EQ(flags[0], 0) << "failed";
    EXPECT_EQ(flags[1], 0) << "full";
    EXPECT_EQ(wav->dataLimit, wavFormatDataLimit);
    EXPECT_TRUE(wavFinish(*wav));
    wavAdvance(*wav, 400000);
    EXPECT_EQ(wav->samples, 0u);
    wav->~WavStream();
}

TEST(WavFile, SamplesAreLittleEndianAndWritesAfterCloseAreRefused)
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
    const std::vector<uint8_t> expected = {0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80};
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + wavHeaderBytes, file.end()), expected);
}

// The size limit, lowered so that a test reaches it: the samples that fit are written, the
// file is marked full (not failed), refuses more, and closes as a complete file.
TEST(WavFile, TheSizeLimitEndsTheRecordingButNotTheFile)
{
    std::string path = tempPath("wavlimit");
    WavFile wav{};
    ASSERT_TRUE(wavOpen(wav, path.c_str(), 11)); // an odd limit is rounded down to whole samples
    const int16_t samples[] = {1, 2, 3, 4};
    EXPECT_TRUE(wavWrite(wav, samples, 4));
    EXPECT_FALSE(wav.full);
    EXPECT_FALSE(wavWrite(wav, samples, 4)); // one fits
    EXPECT_TRUE(wav.full);
    EXPECT_FALSE(wav.failed);
    EXPECT_EQ(wav.dataBytes, 10u);
    EXPECT_FALSE(wavWrite(wav, samples, 1));
    EXPECT_TRUE(wavClose(wav)) << wav.error;

    std::vector<uint8_t> file = readFile(path);
    std::remove(path.c_str());
    ASSERT_EQ(file.size(), wavHeaderBytes + 10u);
    EXPECT_EQ(le(file, 40, 4), 10u);
    EXPECT_EQ(le(file, 4, 4), 36u + 10u);
    EXPECT_EQ(le(file, wavHeaderBytes + 8, 2), 1u); // the fifth sample: the first of the second call
}

} // namespace
