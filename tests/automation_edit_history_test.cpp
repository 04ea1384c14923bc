// After every tool that edits the machine (a register, memory, a loaded state), stepping
// forward and going back by as many instructions returns to the edited machine, not to the
// machine before the edit: the past the tools go back through starts at the edit.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/automation_harness.h"

using namespace ollendor;

namespace {

struct Edit {
    std::string tool;
    Json arguments;
    Json read; // read_memory arguments that show the edit (none: the registers show it)
};

// Every register the tool sets, each given a value other than the one it holds.
std::vector<Edit> registerEdits(const Json& registers, uint16_t elsewhere)
{
    std::vector<Edit> edits;
    // The 8-bit registers, from the pairs they are part of.
    const struct {
        const char* name;
        const char* word;
        int shift;
    } bytes[] = {{"a", "af", 8}, {"f", "af", 0}, {"b", "bc", 8}, {"c", "bc", 0}, {"d", "de", 8},
                 {"e", "de", 0}, {"h", "hl", 8}, {"l", "hl", 0}, {"i", "i", 0}};
    for (const auto& byte : bytes) {
        const int now = (registers[byte.word].get<int>() >> byte.shift) & 0xFF;
        edits.push_back({"set_register", {{"name", byte.name}, {"value", (now + 0x5B) & 0xFF}}, Json()});
    }
    for (const char* name : {"af", "bc", "de", "hl", "af_", "bc_", "de_", "hl_", "ix", "iy"})
        edits.push_back({"set_register", {{"name", name}, {"value", registers[name].get<int>() ^ 0x1357}}, Json()});
    edits.push_back({"set_register", {{"name", "sp"}, {"value", (registers["sp"].get<int>() - 0x40) & 0xFFFF}}, Json()});
    edits.push_back({"set_register", {{"name", "pc"}, {"value", elsewhere}}, Json()});
    edits.push_back({"set_register", {{"name", "im"}, {"value", (registers["im"].get<int>() + 1) % 3}}, Json()});
    edits.push_back({"set_register", {{"name", "iff1"}, {"value", registers["iff1"].get<bool>() ? 0 : 1}}, Json()});
    edits.push_back({"set_register", {{"name", "iff2"}, {"value", registers["iff2"].get<bool>() ? 0 : 1}}, Json()});
    return edits;
}

} // namespace

TEST(AutomationEditHistory, SteppingOnAndBackReturnsToTheEditNotToBeforeIt)
{
    AutomationHarness m;
    m.data("step_frames", {{"count", 20}});
    m.data("save_state", {{"slot", 2}});
    m.data("step_frames", {{"count", 10}});
    const uint16_t elsewhere = m.symbol("showClock");

    std::vector<Edit> edits = registerEdits(m.data("get_registers"), elsewhere);
    edits.push_back({"write_memory", {{"area", "cpu"}, {"address", 0xC100}, {"hex", "A55A"}},
                     {{"area", "cpu"}, {"address", 0xC100}, {"length", 2}}});
    edits.push_back({"write_memory", {{"area", "page"}, {"page", 3}, {"address", 0x5678}, {"hex", "C3"}},
                     {{"area", "page"}, {"page", 3}, {"address", 0x5678}, {"length", 1}}});
    edits.push_back({"write_memory", {{"area", "vram"}, {"address", 0x3ABC}, {"hex", "9E"}},
                     {{"area", "vram"}, {"address", 0x3ABC}, {"length", 1}}});
    edits.push_back({"load_state", {{"slot", 2}}, Json()});

    for (const Edit& edit : edits) {
        const std::string what = edit.tool + " " + edit.arguments.dump();
        const Json before = m.data("get_registers");
        const Json shownBefore = edit.read.is_null() ? Json() : m.data("read_memory", edit.read)["hex"];
        m.data(edit.tool, edit.arguments);
        const Json edited = m.data("get_registers");
        const Json shownEdited = edit.read.is_null() ? Json() : m.data("read_memory", edit.read)["hex"];
        ASSERT_TRUE(edited != before || shownEdited != shownBefore) << what << " changed nothing to look at";

        m.data("step_into", {{"count", 5}});
        m.data("reverse_step", {{"count", 5}});
        EXPECT_EQ(m.data("get_registers"), edited) << what << ": back to the edit, registers";
        if (!edit.read.is_null()) {
            EXPECT_EQ(m.data("read_memory", edit.read)["hex"], shownEdited) << what << ": back to the edit, memory";
        }
        // And forward again from there, so the next edit starts from a machine that ran on.
        m.data("step_into", {{"count", 50}});
    }
}
