// build/ollendor-cpm: console output through the BDOS traps, the T-state report, the
// T-state limit, and refusal of unusable files and arguments.
#include <sys/wait.h>

#include <cstdio>
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

ToolRun runTool(const std::string& arguments)
{
    std::string command = OLLENDOR_BINARY_DIR "/ollendor-cpm ";
    command += arguments;
    command += " 2>";
    command += quoted(tempPath("stderr.txt"));
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

TEST(CpmTool, RefusesUnusableInput)
{
    struct Row {
        const char* what;
        std::string arguments;
        const char* message; // expected in stderr
    };
    const std::vector<Row> rows = {
        {"missing file", quoted(tempPath("no_such.com")), "cannot open"},
        {"empty file", quoted(writeFile("empty.com", {})), "is empty"},
        {"too large", quoted(writeFile("big.com", std::vector<uint8_t>(0xFD01, 0))), "too large"},
        {"no file named", "", "file is required"},
        {"limit not a number", "x.com --max-tstates many", "many"},
    };
    for (const auto& row : rows) {
        const ToolRun run = runTool(row.arguments);
        EXPECT_NE(run.exitCode, 0) << row.what;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << row.what << ": " << run.err;
        EXPECT_EQ(run.out, "") << row.what;
    }
}
