// build/ollendor-cpm: console output through the BDOS traps, the T-state report, the
// T-state limit, and refusal of unusable files (folders, FIFOs, devices) and arguments.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode;
    std::string out, err;
};

// A file of this test's own, since ctest runs the test cases in parallel.
std::string tempPath(const std::string& name)
{
    std::string path = testing::TempDir();
    path += "ollendor_cpm_";
    path += testing::UnitTest::GetInstance()->current_test_info()->name();
    path += "_";
    path += name;
    return path;
}

std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = tempPath(name);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// A path in single quotes for the shell. (Built with += to keep GCC 12's -Wrestrict
// false positive on chained string + away.)
std::string quoted(const std::string& path)
{
    std::string text = "'";
    text += path;
    text += "'";
    return text;
}

// Runs the tool under a time limit (a file that makes it wait must not hang the suite):
// exit code 124 means it was still running after 10 seconds.
ToolRun runTool(const std::string& arguments, const std::string& output = "")
{
    std::string command = "timeout -k 2 10 " OLLENDOR_BINARY_DIR "/ollendor-cpm ";
    command += arguments;
    command += " 2>";
    command += quoted(tempPath("stderr.txt"));
    if (!output.empty()) {
        command += " >";
        command += output;
    }
    ToolRun run{};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {-1, "", "popen failed"};
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(tempPath("stderr.txt"));
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

} // namespace

TEST(CpmTool, PrintsThroughBdosAndCountsTStates)
{
    const std::vector<uint8_t> program = {
        0x11, 0x12, 0x01, // LD DE,message          10
        0x0E, 0x09,       // LD C,9                  7
        0xCD, 0x05, 0x00, // CALL 5: JP, trap, RET  17 + 10 + 10
        0x1E, 0x21,       // LD E,'!'                7
        0x0E, 0x02,       // LD C,2                  7
        0xCD, 0x05, 0x00, // CALL 5                 17 + 10 + 10
        0xC3, 0x00, 0x00, // JP 0: warm boot        10
        'H', 'i', '$',
    };
    const ToolRun run = runTool(quoted(writeFile("hello.com", program)));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Hi!\n"); // a final newline is added when the program left none
    EXPECT_TRUE(std::regex_match(run.err, std::regex("T-states: 115, seconds: [0-9.]+, MHz: [0-9.]+\n")))
        << run.err;
}

TEST(CpmTool, StopsAtTheTStateLimit)
{
    const ToolRun run = runTool(quoted(writeFile("loop.com", {0x18, 0xFE})) + " --max-tstates 10000");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(run.err, match, std::regex("T-states: ([0-9]+),"))) << run.err;
    const long tStates = std::stol(match[1]);
    EXPECT_GE(tStates, 10000);
    EXPECT_LT(tStates, 10000 + 2048 + 12); // stops at the first slice end past the limit
}

// A file the tool cannot use ends it with exit code 1 and says why; bad arguments with 2.
// Neither may run the program, crash, or wait.
TEST(CpmTool, RefusesUnusableInput)
{
    const std::string fifo = tempPath("fifo.com");
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = tempPath("folder.com");
    std::filesystem::create_directories(folder);
    const std::string ends = quoted(writeFile("ends.com", {0xC3, 0x00, 0x00})); // JP 0

    struct Row {
        const char* what;
        std::string arguments;
        int exitCode;
        const char* message; // expected in stderr
    };
    const std::vector<Row> rows = {
        {"missing file", quoted(tempPath("no_such.com")), 1, "cannot open"},
        {"empty file", quoted(writeFile("empty.com", {})), 1, "is empty"},
        {"too large", quoted(writeFile("big.com", std::vector<uint8_t>(0xFD01, 0))), 1,
         "is too large: 64769 bytes, at most 64768"},
        {"a folder", quoted(folder), 1, "is a folder, not a file"},            // was an uncaught exception
        {"endless device", "/dev/zero", 1, "character device, not a regular file"}, // read 2 GB first
        {"a FIFO", quoted(fifo), 1, "is a FIFO, not a regular file"},         // waited for a writer
        {"no file named", "", 2, "file is required"},
        {"limit not a number", "x.com --max-tstates many", 2, "'many' is not a whole number"},
        {"limit -1", ends + " --max-tstates -1", 2, "cannot be negative"},     // taken as no limit
        {"limit -5", ends + " --max-tstates -5", 2, "cannot be negative"},
        {"limit past 2^64", ends + " --max-tstates 99999999999999999999999", 2, "out of range"},
        {"limit empty", ends + " --max-tstates ''", 2, "is not a whole number"},
        {"limit in hex", ends + " --max-tstates 0x10", 2, "is not a whole number"},
    };
    for (const auto& row : rows) {
        const ToolRun run = runTool(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.what << ": " << run.err;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << row.what << ": " << run.err;
        EXPECT_EQ(run.err.find("T-states:"), std::string::npos) << row.what << ": nothing may run";
        EXPECT_EQ(run.out, "") << row.what;
    }
    std::remove(fifo.c_str());
    std::filesystem::remove(folder);
}

// The largest limit there is is a limit, not an error.
TEST(CpmTool, TakesTheLargestLimit)
{
    const ToolRun run = runTool(quoted(writeFile("ends.com", {0xC3, 0x00, 0x00})) +
                                " --max-tstates 18446744073709551615");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("T-states: "), std::string::npos) << run.err;
}

// Output that cannot be written (here a full disk) is a failure, not a success.
TEST(CpmTool, UnwritableOutputIsAFailure)
{
    const ToolRun help = runTool("--help", "/dev/full");
    EXPECT_EQ(help.exitCode, 1) << help.err;
    EXPECT_NE(help.err.find("cannot write to standard output"), std::string::npos) << help.err;

    const std::vector<uint8_t> prints = {
        0x1E, 'A',        // LD E,'A'
        0x0E, 0x02,       // LD C,2
        0xCD, 0x05, 0x00, // CALL 5
        0xC3, 0x00, 0x00, // JP 0
    };
    const ToolRun run = runTool(quoted(writeFile("prints.com", prints)), "/dev/full");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("cannot write to standard output"), std::string::npos) << run.err;
}
