// The one door: every change to the machine from outside a run, whether it comes through an
// automation tool, a debugger view (Control::edit) or the program's keys, ends a recording
// in progress with a message, tells the followers (the count of jumps moves), and leaves the
// debugger's history as it should be.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/automation_harness.h"
#include "support/scratch_files.h"

namespace ollendor {
namespace {

struct DoorCase {
    const char* what;
    std::function<void(AutomationHarness&, const std::filesystem::path&)> change;
    bool keepsCallStack; // an edit: what ran is still true
};

TEST(ControlDoor, EveryChangeEndsTheRecordingAndMovesTheFollowers)
{
    const DoorCase cases[] = {
        {"set_register", [](AutomationHarness& m, auto&) { m.data("set_register", {{"name", "b"}, {"value", 7}}); }, true},
        {"write_memory",
         [](AutomationHarness& m, auto&) { m.data("write_memory", {{"area", "cpu"}, {"address", 0xC100}, {"hex", "AA"}}); },
         true},
        {"a view's edit", [](AutomationHarness& m, auto&) { m.control.edit([](Mtx& x) { x.cpu.IY = 0x1234; }); }, true},
        {"load_state", [](AutomationHarness& m, auto& state) { m.data("load_state", {{"path", state.string()}}); }, false},
        {"rewind", [](AutomationHarness& m, auto&) { m.data("rewind", {{"frames", 2}}); }, false},
        {"reverse_step", [](AutomationHarness& m, auto&) { m.data("reverse_step", {{"count", 3}}); }, false},
        {"reverse_continue",
         [](AutomationHarness& m, auto&) {
             m.data("set_breakpoint", {{"kind", "exec"}, {"address", m.symbol("showClock")}});
             m.data("reverse_continue");
         },
         false},
        {"reset", [](AutomationHarness& m, auto&) { m.control.reset(); }, false},
    };
    for (const DoorCase& c : cases) {
        SCOPED_TRACE(c.what);
        AutomationHarness m;
        ScratchFolder folder;
        const auto state = folder.path() / "earlier.state";
        m.data("step_frames", {{"count", 10}});
        m.data("save_state", {{"path", state.string()}});
        std::string error;
        ASSERT_TRUE(m.session.startRecording(folder.path() / "run.rec", error)) << error;
        m.control.debugger().keepCallStack(Debugger::Keeper::client, true);
        m.data("step_frames", {{"count", 5}});
        m.data("pause");
        const uint64_t jumps = m.control.jumps(), generation = m.control.generation();

        testing::internal::CaptureStderr();
        c.change(m, state);
        const std::string said = testing::internal::GetCapturedStderr();

        EXPECT_FALSE(m.session.recording()) << "a recording cannot follow the change";
        EXPECT_NE(said.find("the recording ends here"), std::string::npos) << said;
        EXPECT_TRUE(std::filesystem::exists(folder.path() / "run.rec")) << "what was recorded is kept";
        EXPECT_GT(m.control.jumps(), jumps) << "the sound and the picture follow";
        EXPECT_GT(m.control.generation(), generation);
        if (!c.keepsCallStack) {
            EXPECT_TRUE(m.control.debugger().callStack().empty()) << "the history of another point is gone";
        }
    }
}

// Inputs go through the door too: the generation moves, the machine stays where it is.
TEST(ControlDoor, InputsMoveTheGenerationButAreNoJumps)
{
    AutomationHarness m;
    const uint64_t jumps = m.control.jumps(), generation = m.control.generation();
    m.data("type_text", {{"text", "1"}});
    m.control.mountTape("tapes/OLLENDEMO");
    m.control.unmountTape();
    EXPECT_EQ(m.control.jumps(), jumps);
    EXPECT_EQ(m.control.generation(), generation + 3);
}

} // namespace
} // namespace ollendor
