// The automation server's options: what they set, and the combinations refused.
#include <gtest/gtest.h>

#include <vector>

#include "frontend/options.h"

using namespace ollendor;

namespace {

CommandLine parseQuietly(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "ollendor");
    testing::internal::CaptureStderr();
    CommandLine line = parseCommandLine(int(arguments.size()), arguments.data());
    testing::internal::GetCapturedStderr();
    return line;
}

} // namespace

TEST(AutomationCommandLine, TransportsTokenAndPaused)
{
    CommandLine line = parseQuietly({"--headless", "--mcp-stdio", "--paused"});
    ASSERT_TRUE(line.run);
    EXPECT_TRUE(line.options.mcpStdio);
    EXPECT_TRUE(line.options.paused);
    EXPECT_FALSE(line.options.mcpHttpPort.has_value());
    EXPECT_TRUE(line.options.automation());

    line = parseQuietly({"--mcp-http", "0", "--mcp-token", "abc"});
    ASSERT_TRUE(line.run);
    EXPECT_EQ(line.options.mcpHttpPort, 0);
    EXPECT_EQ(line.options.mcpToken, "abc");
    EXPECT_TRUE(line.options.automation());

    line = parseQuietly({"--paused"});
    ASSERT_TRUE(line.run) << "the window can resume it";
    EXPECT_FALSE(line.options.automation());

    for (const std::vector<const char*>& refused : std::vector<std::vector<const char*>>{
             {"--mcp-http", "65536"},
             {"--mcp-http", "-1"},
             {"--mcp-http", "http"},
             {"--mcp-token", "abc"},                      // no HTTP server to guard
             {"--mcp-http", "80", "--mcp-token", ""},     // an empty token
             {"--headless", "--paused"}}) {               // nothing could resume it
        const CommandLine bad = parseQuietly(refused);
        EXPECT_FALSE(bad.run) << refused[0];
        EXPECT_EQ(bad.exitCode, exitBadCommandLine) << refused[0];
    }
}
