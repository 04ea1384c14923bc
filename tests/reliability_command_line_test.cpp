// Command-line values at and past the edges of their types: each must be refused with exit
// code 2, never wrapped into a value that runs (a frame count of 2^32 + 5 must not run five
// frames, a negative one must not become four billion).
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "frontend/options.h"

using namespace ollendor;


namespace {

CommandLine parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "ollendor");
    return parseCommandLine(int(args.size()), args.data());
}

TEST(CommandLineEdges, OutOfRangeNumbersAreRefused)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--frames", "4294967296"},           // 2^32: would wrap to 0
        {"--frames", "4294967301"},           // 2^32 + 5: would wrap to 5
        {"--frames", "18446744073709551616"}, // 2^64
        {"--frames", "-1"},                   // would wrap to 2^32 - 1
        {"--frames", "-4294967295"},          // would wrap to 1
        {"--frames", "100000001"},            // above the largest count accepted
        {"--frames", "99999999999999999999999999999999"},
        {"--frames", "12abc"},
        {"--frames", ""},
        {"--scale", "4294967299"},            // would wrap to 3
        {"--scale", "-2147483648"},
        {"--scale", "17"},
    };
    for (const auto& args : bad) {
        testing::internal::CaptureStderr();
        const CommandLine c = parse(args);
        const std::string error = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(c.run) << args[0] << " " << args[1];
        EXPECT_EQ(c.exitCode, exitBadCommandLine) << args[0] << " " << args[1];
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    }
}

TEST(CommandLineEdges, LargestValuesAreTaken)
{
    const CommandLine c = parse({"--frames", "100000000", "--scale", "16"});
    ASSERT_TRUE(c.run);
    EXPECT_EQ(c.options.frames, 100000000u);
    EXPECT_EQ(c.options.scale, 16);
}

// The whole program: an unknown option or a huge number ends it before anything starts,
// with exit code 2 and exactly one line on stderr.
TEST(CommandLineEdges, ProgramRefusesWithOneLine)
{
    const std::filesystem::path program = std::filesystem::path(OLLENDOR_BINARY_DIR) / "ollendor";
    const std::filesystem::path errors = std::filesystem::temp_directory_path() /
                                         ("ollendor-edges-" + std::to_string(getpid()) + ".txt");
    for (const char* arguments : {"--headless --bogus", "--headless --frames 4294967301",
                                  "--headless --frames -1", "--headless --frames 0"}) {
        const std::string command = program.string() + " " + arguments + " 2>" + errors.string();
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << arguments;
        EXPECT_EQ(WEXITSTATUS(status), exitBadCommandLine) << arguments;
        std::ifstream in(errors);
        const std::string text(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << arguments << ": " << text;
    }
    std::filesystem::remove(errors);
}

} // namespace
