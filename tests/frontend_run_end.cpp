// runProgram's ways out, in process: an error mid-run, a library calling exit(), a handler
// that abandons the run (the display went away), and a WAV file reaching its size limit.
// Each time sound is playing (a device whose thread waits for callbacks that never come)
// the sound thread must be stopped, and every output file must be finished.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include <stb/stb_image.h>

#include <unistd.h>

#include "frontend/loop.h"
#include "frontend/program.h"
#include "frontend/window_drawing.h"
#include "host/headless_host.h"
#include "host/run_end.h"
#include "host/audio/stream.h"
#include "files/wav_stream.h"
#include "tests/program_run_support.h"
#include "tests/support/fake_audio_device.h"

using namespace ollendor;

namespace {

using programtest::readText;
using programtest::testRoms;

// The headless desktop, with trouble caused once a number of frames were run: at the
// event pump before the next one, where a lost display or a library's exit() strikes. It
// also keeps the loop that runs the session, which shows itself as the information
// windows' source when the run starts.
class TroubleDesktop : public Desktop {
public:
    TroubleDesktop(Desktop& inner, unsigned frames, std::function<void()> trouble)
        : inner(inner), frames(frames), trouble(std::move(trouble))
    {
    }
    AppWindow& createMainWindow(const char* menuTitle, std::span<const MenuEntry> items,
                                std::function<void(int command)> onCommand) override
    {
        return inner.createMainWindow(menuTitle, items, std::move(onCommand));
    }
    bool infoWindowOpen(InfoWindow kind) override { return inner.infoWindowOpen(kind); }
    void openInfoWindow(InfoWindow kind) override { inner.openInfoWindow(kind); }
    void showMessage(const char* caption, const char* text) override
    {
        inner.showMessage(caption, text);
    }
    void postQuit() override { inner.postQuit(); }
    bool pump() override
    {
        if (pumps++ == frames && trouble)
            trouble();
        return inner.pump();
    }
    void setInfoSource(InfoSource& source) override
    {
        if (Loop* loop = dynamic_cast<Loop*>(&source); loop && onStart)
            onStart(*loop);
        inner.setInfoSource(source);
    }
    void destroyMainWindow() override { inner.destroyMainWindow(); }

    std::function<void(Loop&)> onStart; // given the run's loop as it starts, before any frame

private:
    Desktop& inner;
    unsigned frames;               // trouble comes after this many frames
    std::function<void()> trouble; // none: no trouble
    unsigned pumps = 0;
};

// A device that says on standard error when the sound thread stops it and when it is
// closed, for the runs that end the process.
class AnnouncingDevice : public FakeAudioDevice {
public:
    void stop() override
    {
        FakeAudioDevice::stop();
        std::fprintf(stderr, "[the sound thread stopped the device]\n");
    }
    void close() override
    {
        FakeAudioDevice::close();
        std::fprintf(stderr, "[the sound device was closed]\n");
    }
};

// What a run that ends the process must have said: the sound thread stopped, then the
// device released.
constexpr const char* soundStoppedThenClosed =
    "\\[the sound thread stopped the device\\].*\\[the sound device was closed\\]";

// The headless platform with a sound device that opens and plays (its thread then waits
// for callbacks that never come), and the trouble desktop.
class TroublePlatform : public Platform {
    std::unique_ptr<Platform> inner; // first: the trouble desktop wraps its desktop

public:
    TroublePlatform(unsigned frames, std::function<void()> trouble)
        : inner(createHeadlessPlatform(PlatformSettings{})),
          troubleDesktop(inner->desktop(), frames, std::move(trouble))
    {
    }
    Toolkit& toolkit() override { return inner->toolkit(); }
    Desktop& desktop() override { return troubleDesktop; }
    AudioDevice* audioDevice() override { return &device; }
    bool keyDown(uint8_t key) override { return inner->keyDown(key); }
    int16_t capsLockState() override { return inner->capsLockState(); }

    AnnouncingDevice device;
    TroubleDesktop troubleDesktop;
};

class RunEnd : public testing::Test {
protected:
    void SetUp() override
    {
        // Death tests run the test again in a child process: the folder must be the same
        // there, and differ from other builds' runs of the same test.
        const std::string build = std::to_string(std::hash<std::string>{}(OLLENDOR_BINARY_DIR));
        folder = std::filesystem::temp_directory_path() /
                 ("ollendor-run-end-" + build + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        shot = folder / "shot.png";
        std::filesystem::remove(shot);
        options.romDir = testRoms;
        options.unconstrained = true;
        options.screenshot = shot;
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    bool screenshotWritten()
    {
        int width = 0, height = 0, channels = 0;
        unsigned char* image = stbi_load(shot.c_str(), &width, &height, &channels, 3);
        stbi_image_free(image);
        return image && width == 320 && height == 200;
    }

    std::filesystem::path folder, shot;
    Options options;
    FrontendDrawing drawing;
};

TEST_F(RunEnd, AnErrorMidRunStopsTheSoundAndKeepsTheScreenshot)
{
    TroublePlatform platform(5, [] { throw DynamicError("the console went away"); });
    EXPECT_EQ(runProgram(options, platform, drawing), exitToolkitError);
    EXPECT_EQ(platform.device.plays, 1u) << "the sound thread never played";
    EXPECT_FALSE(platform.device.isPlaying) << "the sound thread outlives the run";
    EXPECT_FALSE(platform.device.isOpen);
    EXPECT_EQ(platform.device.opens, 1u);
    EXPECT_EQ(platform.device.closes, 1u);
    auto& reports = static_cast<MemoryToolkit&>(platform.toolkit()).reports;
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), "the console went away");
    EXPECT_TRUE(screenshotWritten());
}

TEST_F(RunEnd, ALibraryCallingExitStillStopsTheSoundAndFinishesTheFiles)
{
    EXPECT_EXIT(
        {
            ::alarm(20); // a hang at exit ends the child instead of the test run
            TroublePlatform platform(5, [] { std::exit(3); });
            runProgram(options, platform, drawing);
        },
        testing::ExitedWithCode(3), soundStoppedThenClosed);
    EXPECT_TRUE(screenshotWritten());
}

TEST_F(RunEnd, AnAbandonedRunFinishesTheFilesAndExitsWithCode1)
{
    EXPECT_EXIT(
        {
            ::alarm(20);
            TroublePlatform platform(5, [] { abandonRun("the display went away"); });
            runProgram(options, platform, drawing);
        },
        testing::ExitedWithCode(1),
        std::string(soundStoppedThenClosed) + ".*ollendor: the display went away");
    EXPECT_TRUE(screenshotWritten());
}

// The limit of the run's WAV file is lowered to 20,000 bytes as the loop starts; 30
// frames of sound are about 62,000.
TEST_F(RunEnd, TheWavSizeLimitIsAnnouncedOnceAndTheFileStaysGood)
{
    const auto wav = folder / "sound.wav";
    options.headless = true;
    options.frames = 30;
    options.wav = wav;
    TroublePlatform platform(0, nullptr);
    uint32_t productLimit = 0;
    platform.troubleDesktop.onStart = [&](Loop& loop) {
        productLimit = loop.wav().wav.dataLimit;
        loop.wav().wav.dataLimit = 20000;
    };
    testing::internal::CaptureStderr();
    const int exitCode = runProgram(options, platform, drawing);
    const std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_EQ(productLimit, 0xFFFFFFFFu - 37u) << "the product must keep the format's limit";
    EXPECT_EQ(platform.device.opens, 0u) << "a headless run opened the sound device";
    EXPECT_EQ(exitCode, 0) << errors;
    const std::string notice = "ollendor: the WAV file " + wav.string() +
                               " reached the size limit of the format";
    const size_t first = errors.find(notice);
    ASSERT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find(notice, first + 1), std::string::npos) << "said more than once";
    EXPECT_EQ(errors.find("could not"), std::string::npos) << errors;
    const std::string file = readText(wav);
    ASSERT_EQ(file.size(), 44u + 20000u);
    uint32_t dataSize = 0;
    for (int i = 3; i >= 0; --i)
        dataSize = dataSize << 8 | uint8_t(file[40 + i]);
    EXPECT_EQ(dataSize, 20000u);
    EXPECT_TRUE(screenshotWritten());
}

// The live path after --load-state: the device plays the loaded machine's tone at once,
// the very samples of the whole run from the half under way at the save (a program of our
// own that plays tones all the time, as the OS ROM). The fake device is asked for samples
// by hand once a few frames have run.
TEST_F(RunEnd, ALoadedStatePlaysItsToneOnTheDeviceAtOnce)
{
    std::string os = readText(std::filesystem::path(OLLENDOR_TEST_ASM_DIR) / "tone_tape.bin");
    ASSERT_FALSE(os.empty());
    os.resize(8192, '\0');
    const auto roms = folder / "roms";
    std::filesystem::create_directories(roms);
    programtest::writeText(roms / "osrom", os);
    programtest::writeText(roms / "basicrom", std::string(8192, '\xB0'));
    programtest::writeText(roms / "assemrom", std::string(8192, '\xA0'));
    const auto state = folder / "at23.state", whole = folder / "whole.wav";
    const std::string romDir = roms.string();
    using programtest::RunSetup;
    ASSERT_EQ(programtest::runOllendor(RunSetup({"--headless", "--rom-dir", romDir, "--frames", "40", "--wav", whole.string()})).exitCode, 0);
    ASSERT_EQ(programtest::runOllendor(RunSetup({"--headless", "--rom-dir", romDir, "--frames", "23", "--save-state", state.string()})).exitCode, 0);

    options.romDir = roms;
    options.loadState = state;
    options.frames = 10;
    std::vector<int16_t> played(2 * 1562);
    TroublePlatform* running = nullptr;
    bool delivered = false;
    TroublePlatform platform(8, [&] {
        // The sound thread starts the device on its own time.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!running->device.isPlaying && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        delivered = running->device.deliver(played.data(), unsigned(played.size()));
    });
    running = &platform;
    testing::internal::CaptureStderr(); // the program's tape is missing: said on standard error
    EXPECT_EQ(runProgram(options, platform, drawing), 0);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(platform.device.plays, 1u);
    ASSERT_TRUE(delivered) << "the device never played";

    // Frame 23 ends at sample 23 x 133,120 / 128 = 23,920, within the second half of the
    // eighth pair of halves: that half, from sample 7 x 3,125 + 1,562, is the first made.
    const std::string file = readText(whole);
    const size_t first = 7 * 3125 + 1562;
    ASSERT_GE(file.size(), 44 + 2 * (first + played.size()));
    std::vector<int16_t> expected(played.size());
    std::memcpy(expected.data(), file.data() + 44 + 2 * first, 2 * expected.size());
    EXPECT_NE(std::count(played.begin(), played.end(), 0), ptrdiff_t(played.size())) << "silent after the load";
    EXPECT_TRUE(played == expected) << "not the whole run's sound";
}

} // namespace
