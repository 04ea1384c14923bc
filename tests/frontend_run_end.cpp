// runProgram's ways out, in process: an error mid-run, a library calling exit(), a handler
// that abandons the run (the display went away), and a WAV file reaching its size limit.
// Each time sound is playing (a device whose thread waits for callbacks that never come)
// the sound thread must be stopped, and every output file must be finished.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include <stb/stb_image.h>

#include <unistd.h>

#include "frontend/program.h"
#include "host/headless_host.h"
#include "host/run_end.h"
#include "sound/stream.h"
#include "sound/wavstream.h"
#include "tests/program_run_support.h"

using namespace ollendor;

namespace {

using programtest::readFile;
using programtest::testRoms;

// The headless host, with trouble caused once a number of frames were rendered.
class TroubleHost : public Host {
public:
    TroubleHost(Host& inner, unsigned frame, std::function<void()> trouble)
        : inner(inner), frame(frame), trouble(std::move(trouble))
    {
    }
    uint16_t systemMillis() override { return inner.systemMillis(); }
    void sleepMillis(unsigned millis) override { inner.sleepMillis(millis); }
    bool keyDown(uint8_t key) override { return inner.keyDown(key); }
    int16_t capsLockState() override { return inner.capsLockState(); }
    void messageBox(const char* caption, const char* text) override { inner.messageBox(caption, text); }
    bool pumpMessages() override { return inner.pumpMessages(); }
    void renderFrame() override
    {
        inner.renderFrame();
        if (++frames == frame)
            trouble();
    }

private:
    Host& inner;
    unsigned frame;               // trouble comes after this frame
    std::function<void()> trouble;
    unsigned frames = 0;
};

// The headless platform with a sound device that opens and plays, and the trouble host.
class TroublePlatform : public Platform {
public:
    TroublePlatform(unsigned frame, std::function<void()> trouble)
        : inner(createHeadlessPlatform(settings())), troubleHost(inner->host(), frame, std::move(trouble))
    {
    }
    ~TroublePlatform() override { uninstallHost(troubleHost); }
    Host& host() override { return troubleHost; }
    Toolkit& toolkit() override { return inner->toolkit(); }
    Desktop& desktop() override { return inner->desktop(); }
    AudioDevice* audioDevice() override { return &device; }

    FakeAudioDevice device;

private:
    static PlatformSettings settings()
    {
        PlatformSettings settings;
        settings.frameStep = programFrameStep;
        return settings;
    }
    std::unique_ptr<Platform> inner;
    TroubleHost troubleHost;
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
};

TEST_F(RunEnd, AnErrorMidRunStopsTheSoundAndKeepsTheScreenshot)
{
    TroublePlatform platform(5, [] { throw DynamicError("the console went away"); });
    EXPECT_EQ(runProgram(options, platform), exitToolkitError);
    EXPECT_FALSE(soundThreadStarted()) << "the sound thread outlives the run";
    EXPECT_FALSE(platform.device.isOpen);
    EXPECT_EQ(platform.device.opens, 1u);
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
            runProgram(options, platform);
        },
        testing::ExitedWithCode(3), "");
    EXPECT_TRUE(screenshotWritten());
}

TEST_F(RunEnd, AnAbandonedRunFinishesTheFilesAndExitsWithCode1)
{
    EXPECT_EXIT(
        {
            ::alarm(20);
            TroublePlatform platform(5, [] { abandonRun("the display went away"); });
            runProgram(options, platform);
        },
        testing::ExitedWithCode(1), "ollendor: the display went away");
    EXPECT_TRUE(screenshotWritten());
}

// The limit is lowered to 20,000 bytes; 30 frames of sound are about 62,000.
TEST_F(RunEnd, TheWavSizeLimitIsAnnouncedOnceAndTheFileStaysGood)
{
    const uint32_t realLimit = wavDataLimit;
    EXPECT_EQ(realLimit, 0xFFFFFFFFu - 37u) << "the product must keep the format's limit";
    wavDataLimit = 20000;
    const auto wav = folder / "sound.wav";
    options.headless = true;
    options.wav = wav;
    PlatformSettings settings;
    settings.frameLimit = 30;
    settings.frameStep = programFrameStep;
    std::unique_ptr<Platform> platform = createHeadlessPlatform(settings);
    testing::internal::CaptureStderr();
    const int exitCode = runProgram(options, *platform);
    const std::string errors = testing::internal::GetCapturedStderr();
    uninstallHost(platform->host());
    wavDataLimit = realLimit;

    EXPECT_EQ(exitCode, 0) << errors;
    const std::string notice = "ollendor: the WAV file " + wav.string() +
                               " reached the size limit of the format";
    const size_t first = errors.find(notice);
    ASSERT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find(notice, first + 1), std::string::npos) << "said more than once";
    EXPECT_EQ(errors.find("could not"), std::string::npos) << errors;
    const std::string file = readFile(wav);
    ASSERT_EQ(file.size(), 44u + 20000u);
    uint32_t dataSize = 0;
    for (int i = 3; i >= 0; --i)
        dataSize = dataSize << 8 | uint8_t(file[40 + i]);
    EXPECT_EQ(dataSize, 20000u);
    EXPECT_TRUE(screenshotWritten());
}

} // namespace
