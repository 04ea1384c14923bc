// Through the tools: the history after going back, a picture that shows what was written
// while paused, and how much the rewind history holds.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/automation_harness.h"

using namespace ollendor;

namespace {

std::vector<uint8_t> screenshot(AutomationHarness& m)
{
    const Json result = m.call("screenshot");
    for (const Json& item : result["content"])
        if (item["type"] == "image")
            return fromBase64(item["data"]);
    ADD_FAILURE() << "no image: " << result.dump();
    return {};
}

} // namespace

// Asked for the first time after a reverse step, the trace and the call stack tell what ran
// up to there, not "from now on" nor nothing.
TEST(AutomationHistory, TraceAndCallStackAfterAReverseStep)
{
    AutomationHarness m;
    m.data("step_frames", {{"count", 8}});
    m.data("step_into", {{"count", 29}});
    const Json lastRan = m.data("get_registers"); // before the instruction that leads back here
    m.data("step_into", {{"count", 2}});
    m.data("reverse_step", {{"count", 1}});
    const Json trace = m.data("get_trace", {{"count", 5}, {"keep", false}});
    ASSERT_EQ(trace["entries"].size(), 5u) << trace.dump();
    const Json& last = trace["entries"][4];
    EXPECT_EQ(last["pc"], lastRan["pc"]) << "the last instruction traced ran last, with the registers it started from";
    EXPECT_EQ(last["af"], lastRan["af"]);
    EXPECT_EQ(last["sp"], lastRan["sp"]);
    EXPECT_EQ(trace["from_frame"], 0) << "the whole run is held";
    const Json stack = m.data("get_call_stack", {{"keep", false}});
    EXPECT_EQ(stack["from_frame"], 0);
    EXPECT_FALSE(stack["kept"].get<bool>());
}

// A write to video memory while paused shows in the next screenshot, without running.
TEST(AutomationHistory, AScreenshotWhilePausedShowsVideoMemoryWritten)
{
    AutomationHarness m;
    m.data("step_frames", {{"count", 40}}); // the menu is up
    const std::vector<uint8_t> shown = screenshot(m);
    // Every pattern and name byte set: whatever the mode, the picture changes.
    m.data("write_memory", {{"area", "vram"}, {"address", 0}, {"hex", std::string(2 * 0x3000, 'F')}});
    const std::vector<uint8_t> written = screenshot(m);
    EXPECT_TRUE(written != shown) << "the picture shows the bytes written while paused";
    EXPECT_EQ(m.data("get_status")["state"], "paused");
}

TEST(AutomationHistory, GetHistorySaysHowMuchIsHeld)
{
    AutomationHarness m; // a rewind buffer of 120 captures
    Json history = m.data("get_history");
    EXPECT_EQ(history["frames"], 1);
    EXPECT_EQ(history["oldest_frame"], 0);
    m.data("step_frames", {{"count", 150}});
    history = m.data("get_history");
    EXPECT_EQ(history["frames"], 120);
    EXPECT_EQ(history["newest_frame"], 150);
    EXPECT_EQ(history["oldest_frame"], 31);
    EXPECT_NEAR(history["seconds"].get<double>(), 119 * 133120 / 4e6, 1e-6);
    EXPECT_GT(history["memory_bytes"].get<size_t>(), 0u);
    EXPECT_LE(history["memory_bytes"].get<size_t>(), history["budget_bytes"].get<size_t>());
    m.data("rewind", {{"frames", 20}});
    EXPECT_EQ(m.data("get_history")["newest_frame"], 130);
}
