// Whole runs of build/ollendor with input it cannot use: a FIFO where a ROM image or a
// tape image should be (an open() of it waits for a writer forever, and the quit signals
// do not end that wait), command-line text with control bytes or half a UTF-8 character,
// and a standard output that cannot be written. Every run has a time limit: exit code
// 124 means the program was still waiting after it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "frontend/options.h"
#include "files/message_text.h"
#include "machine/machine.h"
#include "files/state_files.h"
#include "state/state_file.h"

using namespace ollendor;

namespace {

const std::filesystem::path binaryDir = OLLENDOR_BINARY_DIR;

struct ProgramRun {
    int exitCode; // 124: still running after the time limit
    std::string err;
};

class UnusableInput : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("ollendor-unusable-" + std::to_string(getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // build/ollendor with the arguments (shell words), standard output to `output`.
    ProgramRun run(const std::string& arguments, const std::string& output = "/dev/null")
    {
        const std::filesystem::path errors = folder / "stderr.txt";
        const std::string command = "timeout -k 2 15 " + (binaryDir / "ollendor").string() + " " +
                                    arguments + " >" + output + " 2>'" + errors.string() + "'";
        const int status = std::system(command.c_str());
        std::ifstream in(errors, std::ios::binary);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                std::string(std::istreambuf_iterator<char>(in), {})};
    }
    void makeFifo(const std::filesystem::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path; }
    static bool mentions(const std::string& text, const std::string& part)
    {
        return text.find(part) != std::string::npos;
    }

    std::filesystem::path folder;
};

// Each of the three images in turn is a FIFO, the others real files: the start must stop
// at once with the message for an unusable image and exit code 1.
TEST_F(UnusableInput, FifoAsARomImageIsRefusedWithoutWaiting)
{
    for (const char* name : {"osrom", "basicrom", "assemrom"}) {
        const std::filesystem::path roms = folder / name;
        std::filesystem::create_directories(roms);
        for (const char* other : {"osrom", "basicrom", "assemrom"})
            std::filesystem::copy_file(binaryDir / "testrom" / other, roms / other);
        std::filesystem::remove(roms / name);
        makeFifo(roms / name);
        const ProgramRun result = run("--headless --frames 5 --rom-dir '" + roms.string() + "'");
        EXPECT_EQ(result.exitCode, 1) << name << ": " << result.err;
        EXPECT_TRUE(mentions(result.err, "the ROM image '" + std::string(name) + "'")) << result.err;
        EXPECT_TRUE(mentions(result.err, "it is a FIFO, not a regular file")) << result.err;
    }
}

// The built-in ROM's tape page loads OLLENDEMO, which is a FIFO: the load must fail at once
// with the tape message saying why, and the run go on to its last frame and exit 0.
TEST_F(UnusableInput, FifoAsATapeIsReportedAndTheRunGoesOn)
{
    const std::filesystem::path roms = folder / "roms", tapes = folder / "tapes";
    std::filesystem::create_directories(roms);
    std::filesystem::create_directories(tapes);
    makeFifo(tapes / "OLLENDEMO");
    const ProgramRun result = run("--headless --frames 60 --type 5 --rom-dir '" + roms.string() +
                                  "' --tape-dir '" + tapes.string() + "'");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(mentions(result.err, "File not found: The file " + tapes.string() +
                                         "/OLLENDEMO could not be opened. It is a FIFO, not a "
                                         "regular file.\n"))
        << result.err;
}

TEST_F(UnusableInput, HelpAndVersionFailWhenStandardOutputCannotBeWritten)
{
    for (const char* option : {"--help", "--version"}) {
        const ProgramRun full = run(option, "/dev/full");
        EXPECT_EQ(full.exitCode, 1) << option;
        EXPECT_TRUE(mentions(full.err, "cannot write to standard output")) << full.err;
        EXPECT_EQ(run(option).exitCode, 0) << option;
    }
}

CommandLine parse(std::vector<const char*> args, std::string& error)
{
    args.insert(args.begin(), "ollendor");
    testing::internal::CaptureStderr();
    const CommandLine result = parseCommandLine(int(args.size()), args.data());
    error = testing::internal::GetCapturedStderr();
    return result;
}

// Bytes that would act on the terminal or print as garbage: nothing below space but the
// final newline, nothing past 0x7E.
bool printable(const std::string& text)
{
    return !text.empty() && text.back() == '\n' &&
           std::all_of(text.begin(), text.end() - 1, [](char c) { return c >= 0x20 && c < 0x7F; });
}

TEST(CommandLineMessages, ArgumentsAreEchoedEscaped)
{
    struct Case {
        std::vector<const char*> args;
        const char* shown; // how the bad part appears in the message
    };
    const Case cases[] = {
        {{"--type", "ab\x01" "c"}, "the character '\\x01' has no key"},
        {{"--type", "a\x1b[31m"}, "the character '\\x1B' has no key"},
        {{"--type", "caf\xc3\xa9"}, "the character '\\xC3\\xA9' has no key"}, // whole, not half
        {{"--type", "x\xe2\x82\xac"}, "the character '\\xE2\\x82\\xAC' has no key"},
        {{"--type", "x\xff"}, "the character '\\xFF' has no key"},             // no UTF-8 at all
        {{"--frames", "1\n2"}, "'1\\n2' is not a whole number"},
        {{"one.mtx", "\x1b]0;title\x07"}, "\\x1B]0;title\\x07"}, // a second tape file
    };
    for (const Case& c : cases) {
        std::string error;
        const CommandLine result = parse(c.args, error);
        EXPECT_EQ(result.exitCode, exitBadCommandLine) << c.shown;
        EXPECT_TRUE(printable(error)) << error;
        EXPECT_NE(error.find(c.shown), std::string::npos) << error;
    }
}

TEST(CommandLineMessages, NumbersSayWhetherTheyAreNoNumberOrOutOfRange)
{
    struct Case {
        const char* option;
        const char* value;
        const char* said;
    };
    const Case cases[] = {
        {"--frames", "5abc", "--frames: '5abc' is not a whole number"},
        {"--frames", "ten", "--frames: 'ten' is not a whole number"},
        {"--frames", "", "--frames: '' is not a whole number"},
        {"--frames", "1.5", "--frames: '1.5' is not a whole number"},
        {"--frames", "0", "--frames: 0 is out of range (1 to 100000000)"},
        {"--frames", "-1", "--frames: -1 is out of range (1 to 100000000)"},
        {"--frames", "99999999999999999999999", "--frames: 99999999999999999999999 is out of range"},
        {"--scale", "5x", "--scale: '5x' is not a whole number"},
        {"--scale", "17", "--scale: 17 is out of range (1 to 16)"},
    };
    for (const Case& c : cases) {
        std::string error;
        const CommandLine result = parse({c.option, c.value}, error);
        EXPECT_EQ(result.exitCode, exitBadCommandLine) << c.option << " " << c.value;
        EXPECT_NE(error.find(c.said), std::string::npos) << error;
        EXPECT_EQ(error.find("not in range"), std::string::npos) << error;
    }
    std::string error;
    const CommandLine signedValue = parse({"--frames", "+7", "--scale", "007"}, error);
    ASSERT_TRUE(signedValue.run) << error;
    EXPECT_EQ(signedValue.options.frames, 7u);
    EXPECT_EQ(signedValue.options.scale, 7);
}

} // namespace

// File names in messages: a name in any script reads as itself; control characters and
// bytes that are no UTF-8 are escaped, so a name cannot act on the terminal it is shown on.
TEST(FileNamesInMessages, ControlCharactersAreEscapedOtherScriptsKept)
{
    EXPECT_EQ(escapedName("Übung/日本.mtx"), "Übung/日本.mtx");
    EXPECT_EQ(escapedName("a\x1b[2Jb"), "a\\x1B[2Jb");
    EXPECT_EQ(escapedName("line\nbreak\x7f"), "line\\nbreak\\x7F");
    EXPECT_EQ(escapedName("c1\xc2\x9b" "31m"), "c1\\xC2\\x9B31m"); // the one-character CSI
    EXPECT_EQ(escapedName("half\xc3"), "half\\xC3");

    Mtx machine;
    machinePowerOn(machine);
    const StateResult missing = loadStateFile("/nonexistent/\x1b]0;owned\x07.state", machine, machine);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("/nonexistent/\\x1B]0;owned\\x07.state"), std::string::npos) << missing.error;
}
