// The output files of a whole run (--screenshot, --wav) on a platform that fights back: a
// device or a full disk where the file goes, standard descriptors closed, standard error
// a pipe nobody reads, the terminal hanging up, no display at all. Whatever happens, an
// older file at the target stays intact, every output that can be finished is, and the
// exit code says whether one of them is bad.
#include <stb/stb_image.h>

#include <atomic>
#include <cstddef>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "files/wav_file.h"
#include "tests/program_run_support.h"

using namespace ollendor;

namespace {

using namespace programtest;
using namespace std::chrono_literals;

uint32_t le32(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// Sample bytes a headless run of that many frames writes: whole halves of 1,562 and 1,563
// samples as their ends are reached, one sample per 128 of the frame's 133,120 cycles.
uint64_t wavBytesForFrames(unsigned frames)
{
    const uint64_t cycles = uint64_t(frames) * 133120;
    uint64_t samples = 0;
    for (bool second = false;; second = !second) {
        const uint64_t end = samples + (second ? 1563 : 1562);
        if (end * 128 > cycles)
            return samples * 2;
        samples = end;
    }
}

// A WAV file whose header sizes match its length; gives its sample bytes (or fails).
void expectCompleteWav(const std::filesystem::path& file, uint64_t expectedBytes = 0)
{
    const std::string wav = readText(file);
    ASSERT_GE(wav.size(), wavHeaderBytes) << file;
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(wav, 40), wav.size() - wavHeaderBytes) << "the header's data size";
    EXPECT_EQ(le32(wav, 4), wav.size() - 8) << "the header's RIFF size";
    EXPECT_GT(wav.size(), wavHeaderBytes) << "no sound recorded";
    if (expectedBytes) {
        EXPECT_EQ(wav.size() - wavHeaderBytes, expectedBytes);
    }
}

void expectScreenshot(const std::filesystem::path& file)
{
    int width = 0, height = 0, channels = 0;
    unsigned char* image = stbi_load(file.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(image, nullptr) << file << " is not a readable picture";
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 200);
    stbi_image_free(image);
}

std::vector<std::string> headless(unsigned frames, std::vector<std::string> more = {})
{
    std::vector<std::string> arguments = {"--headless", "--rom-dir", testRoms.string()};
    if (frames)
        arguments.insert(arguments.end(), {"--frames", std::to_string(frames)});
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// --- A target that is no file, or a disk that is full.

TEST(OutputFiles, ADeviceOrFolderAsScreenshotIsRefusedAndLeftAlone)
{
    ScratchDir scratch;
    for (const std::string& target : {std::string("/dev/full"), scratch.path().string()}) {
        const RunResult run = runOllendor(RunSetup{headless(3, {"--screenshot", target})});
        EXPECT_EQ(run.exitCode, 1) << target << ": " << describe(run);
        EXPECT_NE(run.errors.find("could not write the screenshot " + target), std::string::npos)
            << run.errors;
    }
    struct stat status {};
    ASSERT_EQ(::stat("/dev/full", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode)) << "/dev/full was replaced";
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
}

TEST(OutputFiles, AFullDiskLeavesTheOldScreenshotIntactAndSaysSo)
{
    TinyDisk disk;
    OLLENDOR_NEED_TINY_DISK(disk);
    const auto old = disk.path() / "shot.png";
    ASSERT_EQ(runOllendor(RunSetup{headless(3, {"--screenshot", old.string()})}).exitCode, 0);
    const std::string before = readText(old);
    ASSERT_FALSE(before.empty());
    disk.fill();

    for (const auto& target : {old, disk.path() / "new.png"}) {
        const RunResult run = runOllendor(RunSetup{headless(3, {"--screenshot", target.string()})});
        EXPECT_EQ(run.exitCode, 1) << target << ": " << describe(run);
        EXPECT_NE(run.errors.find("could not write the screenshot " + target.string() +
                                  ": No space left on device"),
                  std::string::npos)
            << run.errors;
    }
    EXPECT_TRUE(readText(old) == before) << "the old screenshot was damaged";
    EXPECT_EQ(disk.leftovers(), std::vector<std::string>{"shot.png"});
}

// The disk fills while the sound is recorded: the WAV file fails (the old one stays), and
// the screenshot, elsewhere, is still written.
TEST(OutputFiles, AWavFailureMidRunKeepsTheOldWavAndStillWritesTheScreenshot)
{
    TinyDisk disk;
    OLLENDOR_NEED_TINY_DISK(disk);
    ScratchDir elsewhere;
    const auto wav = disk.path() / "sound.wav", shot = elsewhere.path() / "shot.png";
    writeText(wav, "an older recording");
    disk.fill();
    disk.freePages(2); // room for the header and about two halves, not for 30 frames

    const RunResult run = runOllendor(RunSetup
        {headless(30, {"--wav", wav.string(), "--screenshot", shot.string()})});
    EXPECT_EQ(run.exitCode, 1) << describe(run);
    EXPECT_NE(run.errors.find("could not write the WAV file " + wav.string() +
                              ": No space left on device"),
              std::string::npos)
        << run.errors;
    EXPECT_TRUE(readText(wav) == "an older recording") << "the old WAV file was damaged";
    EXPECT_EQ(disk.leftovers(), std::vector<std::string>{"sound.wav"});
    expectScreenshot(shot);
}

// --- Standard descriptors and signals. The built-in ROM's tape page (key 5) asks for a
// tape the empty tape folder does not hold, which prints "File not found" mid-run, after
// the WAV file is open; the missing ROM images print a line at the start.

constexpr unsigned tapeRunFrames = 60;

std::vector<std::string> tapeRun(const ScratchDir& scratch, std::vector<std::string> more)
{
    std::vector<std::string> arguments = {"--headless", "--frames", std::to_string(tapeRunFrames),
                                          "--rom-dir", scratch.path().string(), "--tape-dir",
                                          scratch.path().string(), "--type", "5"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

TEST(OutputFiles, ClosedStandardDescriptorsKeepMessagesOutOfTheFiles)
{
    ScratchDir scratch;
    const auto wav = scratch.path() / "sound.wav", shot = scratch.path() / "shot.png";
    // The premise: this run does print a message once the WAV file is open.
    const RunResult seen = runOllendor(RunSetup{tapeRun(scratch, {"--wav", wav.string()})});
    ASSERT_EQ(seen.exitCode, 0) << describe(seen);
    ASSERT_NE(seen.errors.find("File not found"), std::string::npos) << seen.errors;

    for (const std::vector<int>& closed : {std::vector<int>{2}, std::vector<int>{0, 1, 2}}) {
        std::filesystem::remove(wav);
        std::filesystem::remove(shot);
        RunSetup setup{tapeRun(scratch, {"--wav", wav.string(), "--screenshot", shot.string()})};
        setup.closed = closed;
        const RunResult run = runOllendor(setup);
        EXPECT_EQ(run.exitCode, 0) << closed.size() << " closed: " << describe(run);
        expectCompleteWav(wav, wavBytesForFrames(tapeRunFrames));
        expectScreenshot(shot);
    }
}

// --help and --version with standard output closed: what was asked for went nowhere, which
// is a failure as much as a full disk would be.
TEST(OutputFiles, HelpToAClosedStandardOutputFails)
{
    for (const char* option : {"--help", "--version"}) {
        RunSetup setup{{option}};
        setup.closed = {1};
        const RunResult run = runOllendor(setup);
        EXPECT_NE(run.exitCode, 0) << option << ": " << describe(run);
        EXPECT_NE(run.errors.find("cannot write to standard output"), std::string::npos) << run.errors;
    }
}

TEST(OutputFiles, AStandardErrorNobodyReadsDoesNotEndTheRun)
{
    ScratchDir scratch;
    const auto wav = scratch.path() / "sound.wav", shot = scratch.path() / "shot.png";
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]); // the reader is gone, as after `| head -1`
    RunSetup setup{tapeRun(scratch, {"--wav", wav.string(), "--screenshot", shot.string()})};
    setup.standardError = pipeEnds[1];
    const RunResult run = runOllendor(setup);
    ::close(pipeEnds[1]);
    EXPECT_EQ(run.exitCode, 0) << describe(run);
    expectCompleteWav(wav, wavBytesForFrames(tapeRunFrames));
    expectScreenshot(shot);
}

TEST(OutputFiles, HangUpFinishesTheFilesLikeAQuit)
{
    ScratchDir scratch;
    const auto wav = scratch.path() / "sound.wav", shot = scratch.path() / "shot.png";
    RunSetup setup{headless(0, {"--wav", wav.string(), "--screenshot", shot.string()})};
    setup.whileRunning = [](pid_t child) {
        std::this_thread::sleep_for(700ms);
        ::kill(child, SIGHUP);
    };
    const RunResult run = runOllendor(setup);
    EXPECT_EQ(run.exitCode, 0) << describe(run);
    expectCompleteWav(wav);
    expectScreenshot(shot);
}

TEST(OutputFiles, AnIgnoredHangUpStaysIgnored)
{
    ScratchDir scratch;
    const auto shot = scratch.path() / "shot.png";
    RunSetup setup{headless(0, {"--screenshot", shot.string()})};
    setup.ignoreHangUp = true; // started with nohup
    bool aliveAfterHangUp = false;
    setup.whileRunning = [&](pid_t child) {
        std::this_thread::sleep_for(500ms);
        ::kill(child, SIGHUP);
        std::this_thread::sleep_for(300ms);
        aliveAfterHangUp = ::waitpid(child, nullptr, WNOHANG) == 0;
        ::kill(child, SIGTERM);
    };
    const RunResult run = runOllendor(setup);
    EXPECT_TRUE(aliveAfterHangUp);
    EXPECT_EQ(run.exitCode, 0) << describe(run);
    expectScreenshot(shot);
}

// --- No display: the program must not run on invisibly in SDL's off-screen fallback.

TEST(OutputFiles, WithoutADisplayTheWindowedProgramSaysSoAndExits)
{
    struct Case {
        std::optional<std::string> display; // DISPLAY
        std::optional<std::string> driver;  // SDL_VIDEODRIVER
        int exitCode;                       // expected
        const char* message;                // expected on standard error, if anything
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, 1, "no display found"},         // nothing set
        {":32123", std::nullopt, 1, "could not reach the display :32123"}, // no such server
        {std::nullopt, "offscreen", 0, nullptr},                     // asked for by name
    };
    for (const Case& c : cases) {
        RunSetup setup{{"--rom-dir", testRoms.string(), "--frames", "5", "--no-sound"}};
        // In a sanitizer build SDL's video drivers, loaded and unloaded again, leave
        // allocations behind that are not ours (as in the window tests).
        const char* sanitizer = std::getenv("ASAN_OPTIONS");
        setup.environment = {{"DISPLAY", c.display}, {"WAYLAND_DISPLAY", std::nullopt},
                             {"SDL_VIDEODRIVER", c.driver},
                             {"ASAN_OPTIONS", std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0"}};
        setup.timeout = 30s;
        const RunResult run = runOllendor(setup);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.display.value_or("-") << ": " << describe(run);
        if (c.message) {
            EXPECT_NE(run.errors.find(std::string("ollendor: ") + c.message), std::string::npos)
                << run.errors;
            EXPECT_NE(run.errors.find("--headless"), std::string::npos) << run.errors;
        }
    }
}

// A display server of the test's own on X display :32124 (an abstract socket) that does
// what `keep` says with each connection it accepts: closes it at once (false) or keeps it,
// never answering (true). Counts the connections.
class FakeDisplay {
public:
    explicit FakeDisplay(bool keep) : keep_(keep)
    {
        const std::string socketName = "/tmp/.X11-unix/X32124";
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, socketName.data(), socketName.size());
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + socketName.size());
        bound_ = listener_ >= 0 && ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                 ::listen(listener_, 8) == 0;
        if (bound_)
            server_ = std::thread([this] { serve(); });
    }
    ~FakeDisplay()
    {
        done_ = true;
        if (server_.joinable())
            server_.join();
        for (const int connection : kept_)
            ::close(connection);
        if (listener_ >= 0)
            ::close(listener_);
    }
    bool bound() const { return bound_; }
    int connections() const { return connections_; }

private:
    void serve()
    {
        while (!done_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0)
                continue;
            ++connections_;
            if (keep_)
                kept_.push_back(connection);
            else
                ::close(connection);
        }
    }
    bool keep_;
    int listener_ = -1;
    bool bound_ = false;
    std::atomic<bool> done_ = false;
    std::atomic<int> connections_ = 0;
    std::vector<int> kept_;
    std::thread server_;
};

RunResult runOnFakeDisplay()
{
    RunSetup setup{{"--rom-dir", testRoms.string(), "--frames", "5", "--no-sound"}};
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    setup.environment = {{"DISPLAY", ":32124"}, {"WAYLAND_DISPLAY", std::nullopt},
                         {"SDL_VIDEODRIVER", std::nullopt},
                         {"ASAN_OPTIONS", std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0"}};
    setup.timeout = 40s;
    return runOllendor(setup);
}

// A busy X server now and then drops a new connection unanswered: the program tries the
// display again before it gives up, and then says so.
TEST(OutputFiles, ADisplayThatDropsAConnectionIsTriedAgain)
{
    FakeDisplay display(false);
    if (!display.bound())
        GTEST_SKIP() << "display :32124 is taken here";
    const RunResult run = runOnFakeDisplay();
    EXPECT_EQ(run.exitCode, 1) << describe(run);
    EXPECT_NE(run.errors.find("ollendor: could not reach the display :32124"), std::string::npos) << run.errors;
    EXPECT_EQ(display.connections(), 4) << "the first question, then one connection for each of three tries";
}

// A display that takes the connection and never answers: the program says so and ends,
// instead of waiting inside Xlib for ever.
TEST(OutputFiles, ADisplayThatNeverAnswersIsSaidToAndTheProgramEnds)
{
    FakeDisplay display(true);
    if (!display.bound())
        GTEST_SKIP() << "display :32124 is taken here";
    const RunResult run = runOnFakeDisplay();
    EXPECT_EQ(run.exitCode, 1) << describe(run);
    EXPECT_NE(run.errors.find("ollendor: the display :32124 does not answer"), std::string::npos) << run.errors;
    EXPECT_EQ(display.connections(), 1);
}

} // namespace
