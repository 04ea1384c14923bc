// The built-in ROM through the whole program: headless runs of build/ollendor with no ROM
// image files, whose last frames must match the reference pictures in tests/golden/ pixel
// for pixel, and whose sound output must hold the sound page's note. The references are
// regenerated only by tests/golden/update.sh (make golden), never here.
//
// Skipped when the build has no build/ollendor.
#include "tests/support/scratch_files.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

using namespace ollendor;

namespace {

const std::filesystem::path program = std::filesystem::path(OLLENDOR_BINARY_DIR) / "ollendor";
const std::filesystem::path demoTapes = std::filesystem::path(OLLENDOR_BINARY_DIR) / "tapes";
const std::filesystem::path goldenDir = std::filesystem::path(OLLENDOR_SOURCE_DIR) / "tests/golden";

struct GoldenRun {
    std::string name;  // the picture is tests/golden/NAME.png
    unsigned frames;   // --frames
    std::string typed; // --type, empty for none
};

// Names the run in test names and messages.
void PrintTo(const GoldenRun& run, std::ostream* out)
{
    *out << run.name;
}

// tests/golden/cases.txt: "name frames typed" per line, "-" for nothing typed, # comments.
std::vector<GoldenRun> goldenRuns()
{
    std::vector<GoldenRun> runs;
    std::ifstream in(goldenDir / "cases.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        GoldenRun run;
        if (line.empty() || line[0] == '#' || !(fields >> run.name >> run.frames >> run.typed))
            continue;
        if (run.typed == "-")
            run.typed.clear();
        runs.push_back(run);
    }
    return runs;
}

// Runs the program headless from an empty folder, with an empty ROM folder and the demo
// tapes, and the extra arguments; gives its exit status. Its stderr goes to `errors`.
// fixedFolders: from "/" with HOME=/home/mtx and no --rom-dir instead, so that the folders
// searched for ROM images, which the welcome page names, are the same on every machine.
int runProgram(const ScratchFolder& folder, unsigned frames, const std::string& typed,
               const std::string& extra, const std::filesystem::path& errors, bool fixedFolders = false)
{
    const std::string empty = (folder.path() / "roms").string();
    std::filesystem::create_directories(empty);
    const std::string start = fixedFolders ? "cd / && env -u XDG_DATA_HOME HOME=/home/mtx '" + program.string() + "'"
                                           : "cd '" + folder.path().string() + "' && '" + program.string() +
                                                 "' --rom-dir '" + empty + "'";
    std::string command = start + " --headless --frames " + std::to_string(frames) + " --tape-dir '" +
                          demoTapes.string() + "' " + extra;
    if (!typed.empty())
        command += " --type '" + typed + "'";
    command += " 2> '" + errors.string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb; // rows from the top, 3 bytes a pixel
};

Picture readPng(const std::filesystem::path& path)
{
    Picture picture;
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
    if (pixels) {
        picture.rgb.assign(pixels, pixels + size_t(picture.width) * size_t(picture.height) * 3);
        stbi_image_free(pixels);
    }
    return picture;
}

class GoldenPicture : public testing::TestWithParam<GoldenRun> {};

TEST_P(GoldenPicture, MatchesTheReference)
{
    if (!std::filesystem::exists(program))
        GTEST_SKIP() << "no " << program << " in this build";
    const GoldenRun& run = GetParam();
    const std::filesystem::path golden = goldenDir / (run.name + ".png");
    ASSERT_TRUE(std::filesystem::exists(golden))
        << "no reference picture " << golden << ": make golden, then review it";

    ScratchFolder folder;
    const auto shot = folder.path() / "shot.png";
    const auto errors = folder.path() / "stderr.txt";
    ASSERT_EQ(runProgram(folder, run.frames, run.typed, "--screenshot '" + shot.string() + "'", errors, true), 0)
        << readText(errors);
    EXPECT_NE(readText(errors).find("running the built-in ROM"), std::string::npos) << readText(errors);

    const Picture expected = readPng(golden);
    const Picture actual = readPng(shot);
    ASSERT_FALSE(expected.rgb.empty()) << "cannot read " << golden;
    ASSERT_FALSE(actual.rgb.empty()) << "cannot read the screenshot";
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    size_t differing = 0, first = 0;
    for (size_t pixel = 0; pixel < actual.rgb.size() / 3; ++pixel) {
        if (std::memcmp(&actual.rgb[pixel * 3], &expected.rgb[pixel * 3], 3) != 0 && differing++ == 0)
            first = pixel;
    }
    if (differing != 0) {
        // Kept for a look: build/golden-actual/NAME.png.
        const auto kept = std::filesystem::path(OLLENDOR_BINARY_DIR) / "golden-actual";
        std::filesystem::create_directories(kept);
        std::filesystem::copy_file(shot, kept / (run.name + ".png"),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    EXPECT_EQ(differing, 0u) << differing << " pixels differ, the first at (" << first % size_t(actual.width)
                             << ", " << first / size_t(actual.width) << "); the picture is in "
                             << OLLENDOR_BINARY_DIR << "/golden-actual/" << run.name << ".png";
}

INSTANTIATE_TEST_SUITE_P(BuiltinRom, GoldenPicture, testing::ValuesIn(goldenRuns()),
                         [](const testing::TestParamInfo<GoldenRun>& info) { return info.param.name; });

// A ROM image file that is there but cannot be used stops the program before it runs.
TEST(GoldenProgram, StopsOnAnUnusableRomImage)
{
    if (!std::filesystem::exists(program))
        GTEST_SKIP() << "no " << program << " in this build";
    ScratchFolder folder;
    std::filesystem::create_directories(folder.path() / "roms" / "osrom");
    const auto errors = folder.path() / "stderr.txt";
    EXPECT_NE(runProgram(folder, 5, "", "", errors), 0);
    const std::string printed = readText(errors);
    EXPECT_NE(printed.find("'osrom'"), std::string::npos) << printed;
    EXPECT_NE(printed.find("is a folder"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("built-in ROM"), std::string::npos) << printed;
}

// The samples of a 16-bit mono PCM WAV file, with its rate; empty if it is not one.
struct Sound {
    unsigned rate = 0;
    std::vector<int16_t> samples;
};

Sound readWav(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto u16 = [&](size_t at) { return unsigned(bytes[at] | bytes[at + 1] << 8); };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    Sound sound;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WAVE", 4) != 0)
        return sound;
    bool pcm16mono = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const size_t size = u32(at + 4);
        const size_t body = at + 8;
        if (body + size > bytes.size())
            break;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
            pcm16mono = u16(body) == 1 && u16(body + 2) == 1 && u16(body + 14) == 16;
            sound.rate = u32(body + 4);
        } else if (std::memcmp(&bytes[at], "data", 4) == 0 && pcm16mono) {
            for (size_t i = 0; i + 1 < size; i += 2)
                sound.samples.push_back(int16_t(u16(body + i)));
        }
        at = body + size + (size & 1);
    }
    return sound;
}

// The sound page with H held (typed): channel 0 plays A4, 125000 / 284 = 440.1 Hz, at the
// loudest level, a square wave between +25600 and -25600; before and after it, silence.
TEST(GoldenSound, SoundPageNoteHasItsFrequencyAndAmplitude)
{
    if (!std::filesystem::exists(program))
        GTEST_SKIP() << "no " << program << " in this build";
    ScratchFolder folder;
    const auto wav = folder.path() / "sound.wav";
    const auto errors = folder.path() / "stderr.txt";
    ASSERT_EQ(runProgram(folder, 60, "3h", "--wav '" + wav.string() + "'", errors), 0) << readText(errors);
    const Sound sound = readWav(wav);
    ASSERT_EQ(sound.rate, 31250u);
    ASSERT_GT(sound.samples.size(), 31250u) << "60 frames are 2 s of sound";

    size_t firstLoud = sound.samples.size(), lastLoud = 0;
    int peak = 0, trough = 0;
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        const int s = sound.samples[i];
        peak = std::max(peak, s);
        trough = std::min(trough, s);
        if (s != 0) {
            firstLoud = std::min(firstLoud, i);
            lastLoud = i;
        }
    }
    ASSERT_LT(firstLoud, lastLoud) << "no note in the sound";
    EXPECT_EQ(peak, 25600);
    EXPECT_EQ(trough, -25600);
    EXPECT_GT(firstLoud, 31250u / 2) << "the note starts only when H is typed (frame 36)";

    // Zero crossings within the note: each is half a period.
    size_t crossings = 0, firstCrossing = 0, lastCrossing = 0;
    for (size_t i = firstLoud + 1; i <= lastLoud; ++i) {
        if ((sound.samples[i - 1] < 0) != (sound.samples[i] < 0)) {
            if (crossings++ == 0)
                firstCrossing = i;
            lastCrossing = i;
        }
    }
    ASSERT_GT(crossings, 20u) << "the note is too short to measure";
    const double seconds = double(lastCrossing - firstCrossing) / sound.rate;
    const double hertz = double(crossings - 1) / 2 / seconds;
    EXPECT_NEAR(hertz, 440.1, 3.0) << crossings << " crossings in " << seconds << " s";
    for (size_t i = firstLoud; i <= lastLoud; ++i)
        ASSERT_EQ(std::abs(sound.samples[i]), 25600) << "one channel alone, at sample " << i;
}

} // namespace
