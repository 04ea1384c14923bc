// The command line, and whole headless runs of build/ollendor on the test ROM: frames,
// screenshots, determinism, exit codes.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <stb/stb_image.h>

#include "frontend/options.h"

using namespace ollendor;


namespace {
CommandLine parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "ollendor");
    return parseCommandLine(int(args.size()), args.data());
}

TEST(CommandLine, NoOptionsKeepTheDefaultBehaviour)
{
    const CommandLine c = parse({});
    ASSERT_TRUE(c.run);
    EXPECT_FALSE(c.options.romDir);
    EXPECT_FALSE(c.options.tapeDir);
    EXPECT_FALSE(c.options.headless);
    EXPECT_EQ(c.options.frames, 0u);
    EXPECT_EQ(c.options.scale, 3);
    EXPECT_FALSE(c.options.unconstrained);
    EXPECT_FALSE(c.options.noSound);
    EXPECT_FALSE(c.options.fullscreen);
    EXPECT_FALSE(c.options.screenshot);
    EXPECT_FALSE(c.options.tape);
    EXPECT_FALSE(c.options.scaleGiven);
    EXPECT_EQ(c.options.renderer, RendererChoice::automatic);
}

TEST(CommandLine, ValuesAreTaken)
{
    const CommandLine c = parse({"--headless", "--frames", "12", "--scale", "2", "--screenshot", "a.png",
                                 "--wav", "a.wav", "--type", "run\\n", "--rom-dir", "/", "--tape-dir", "/",
                                 "--unconstrained", "--no-sound", "--fullscreen", "game.mtx",
                                 "--renderer", "software"});
    ASSERT_TRUE(c.run);
    EXPECT_EQ(*c.options.tape, "game.mtx");
    EXPECT_TRUE(c.options.scaleGiven);
    EXPECT_EQ(c.options.renderer, RendererChoice::software);
    EXPECT_TRUE(c.options.headless);
    EXPECT_EQ(c.options.frames, 12u);
    EXPECT_EQ(c.options.scale, 2);
    EXPECT_EQ(*c.options.screenshot, "a.png");
    EXPECT_EQ(*c.options.wav, "a.wav");
    EXPECT_EQ(c.options.typeText, "run\n");
    EXPECT_EQ(c.options.romDir, "/");
    EXPECT_EQ(*c.options.tapeDir, "/");
    EXPECT_TRUE(c.options.unconstrained && c.options.noSound && c.options.fullscreen);
}

TEST(CommandLine, BadValuesExitWithCode2)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--frames", "ten"}, {"--frames", "0"}, {"--frames", "-3"}, {"--scale", "0"},
        {"--scale", "x"},    {"--rom-dir", "/no/such/folder"},    {"--tape-dir", "/no/such/folder"},
        {"--type", "a~b"},   {"--screenshot", ""},                {"--bogus"},
        {"--frames"},        {"one.mtx", "two.mtx"},              {"--wav", "a.wav"}, // needs --headless
        {"--renderer", "fast"}, {""},                             // an empty tape name
        {"--frames", "3", "--frames", "4"},                       // which one would be a guess
        // Two outputs to one file, however it is spelled (one would overwrite the other).
        {"--headless", "--wav", "out", "--screenshot", "./out"},
        {"--save-state", "run.rec", "--record", "sub/../run.rec"},
    };
    for (const auto& args : bad) {
        const CommandLine c = parse(args);
        EXPECT_FALSE(c.run) << args[0];
        EXPECT_EQ(c.exitCode, exitBadCommandLine) << args[0];
    }
    const CommandLine help = parse({"--help"});
    EXPECT_FALSE(help.run);
    EXPECT_EQ(help.exitCode, 0);
    const CommandLine version = parse({"--version"});
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.exitCode, 0);
}

// --- Whole runs of the program, headless.

const std::filesystem::path binaryDir = OLLENDOR_BINARY_DIR;
const std::filesystem::path cliProgram = binaryDir / "ollendor";
const std::filesystem::path testRoms = binaryDir / "testrom";

int run(const std::string& arguments, const std::string& before = "")
{
    const std::string command = before + " " + cliProgram.string() + " " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class HeadlessRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("ollendor-cli-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

TEST_F(HeadlessRun, ScreenshotShowsTheTestRomsPictureInItsBorder)
{
    const auto shot = folder / "shot.png";
    ASSERT_EQ(run("--headless --frames 10 --rom-dir " + testRoms.string() + " --screenshot " + shot.string()), 0);
    int width = 0, height = 0, channels = 0;
    unsigned char* image = stbi_load(shot.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 200);
    auto pixel = [&](int x, int y) {
        const unsigned char* p = image + (y * width + x) * 3;
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    };
    EXPECT_EQ(pixel(0, 0), 0x0000CCu);    // border: backdrop 4
    EXPECT_EQ(pixel(31, 100), 0x0000CCu);
    EXPECT_EQ(pixel(32, 4), 0xFFFFFFu);   // picture row 0: the pattern's set row, white
    EXPECT_EQ(pixel(32, 5), 0x5555FFu);   // other rows: light blue background
    EXPECT_EQ(pixel(287, 12), 0xFFFFFFu); // picture row 8
    EXPECT_EQ(pixel(288, 12), 0x0000CCu);
    stbi_image_free(image);
}

TEST_F(HeadlessRun, RunsAreDeterministic)
{
    const auto first = folder / "first.png", second = folder / "second.png";
    const std::string common = "--headless --frames 5 --rom-dir " + testRoms.string() + " --screenshot ";
    ASSERT_EQ(run(common + first.string()), 0);
    ASSERT_EQ(run(common + second.string()), 0);
    EXPECT_EQ(readFile(first), readFile(second));
    EXPECT_FALSE(readFile(first).empty());
}

TEST_F(HeadlessRun, WavHoldsTheSoundOfEveryFrameOnEmulatedTime)
{
    const auto wav = folder / "sound.wav";
    ASSERT_EQ(run("--headless --frames 30 --rom-dir " + testRoms.string() + " --wav " + wav.string()), 0);
    const std::string data = readFile(wav);
    ASSERT_GE(data.size(), 44u);
    EXPECT_EQ(data.substr(0, 4), "RIFF");
    EXPECT_EQ(data.substr(8, 4), "WAVE");
    // 30 frames of 133,120 cycles; one sample per 128 cycles, written in whole halves of
    // 1,562 and 1,563 samples as their ends are reached.
    const uint64_t cycles = 30ull * 133120;
    uint64_t samples = 0;
    for (bool second = false;; second = !second) {
        const uint64_t end = samples + (second ? 1563 : 1562);
        if (end * 128 > cycles)
            break;
        samples = end;
    }
    EXPECT_EQ(data.size(), 44 + samples * 2);
}

TEST_F(HeadlessRun, MissingRomsRunTheBuiltinRomAndAnUnusableOneExitsWithCode1)
{
    EXPECT_EQ(run("--headless --frames 5 --rom-dir " + folder.string()), 0);
    std::filesystem::create_directory(folder / "osrom");
    EXPECT_EQ(run("--headless --frames 5 --rom-dir " + folder.string()), 1);
}

// Files written at the end are tried at the start: a long run is not wasted on a folder
// that is missing (a run that went on would outlast the time limit: status 124).
TEST_F(HeadlessRun, AnUnwritableOutputIsReportedWithExitCode1BeforeTheRun)
{
    const auto missing = folder / "no" / "such" / "folder";
    const std::string longRun = "--headless --frames 100000000 --rom-dir " + testRoms.string();
    EXPECT_EQ(run("--screenshot " + (missing / "shot.png").string() + " " + longRun, "timeout 60"), 1);
    EXPECT_EQ(run("--save-state " + folder.string() + " " + longRun, "timeout 60"), 1) << "a folder";
    EXPECT_EQ(run("--record " + (missing / "run.rec").string() + " " + longRun, "timeout 60"), 1);
}

// A file size limit: the state file cannot be written whole, which is a failure told
// (exit code 1) with nothing left behind, not a death by signal.
TEST_F(HeadlessRun, AFileSizeLimitIsAFailureReported)
{
    const auto state = folder / "big.state";
    const std::string command = "ulimit -f 0; exec " + cliProgram.string() + " --headless --frames 3 --rom-dir " +
                                testRoms.string() + " --save-state " + state.string() + " 2>/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(HeadlessRun, BadValuesExitWithCode2AndOneLine)
{
    const auto errors = folder / "errors.txt";
    const std::string command = cliProgram.string() + " --frames ten 2>" + errors.string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    const std::string text = readFile(errors);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

TEST_F(HeadlessRun, SigtermEndsTheRunThroughTheQuitPath)
{
    const auto shot = folder / "shot.png";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string romDir = testRoms.string(), shotFile = shot.string();
        execl(cliProgram.c_str(), "ollendor", "--headless", "--rom-dir", romDir.c_str(), "--screenshot",
              shotFile.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(std::filesystem::exists(shot)); // shutdown ran to the end
}
} // namespace
