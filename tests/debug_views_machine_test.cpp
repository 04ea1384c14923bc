// The views' edits of the machine: only while paused, a recording ends there, and going
// back stops at the edit instead of bringing back a past that never led to it. (What the
// CPU and memory views show is made below them: tests/debug_view_models_test.cpp.)
#include "tests/debug_views_support.h"

#include "tests/support/scratch_files.h"

using namespace ollendor;

TEST(DebugMachineEdits, TheRecordingEndsThere)
{
    ControlRig rig;
    ScratchFolder folder;
    std::string error;
    ASSERT_TRUE(rig.session.startRecording(folder.path() / "run.rec", error)) << error;
    rig.control.pause();
    const uint64_t jumps = rig.control.jumps();
    rig.control.edit([](Mtx& m) { m.cpu.A = 0x42; });
    EXPECT_EQ(rig.control.jumps(), jumps + 1) << "the followers are told";
    EXPECT_EQ(rig.machine().cpu.A, 0x42);
    EXPECT_FALSE(rig.session.recording()) << "a recording cannot hold the edit";
    EXPECT_FALSE(rig.host.warnings.empty());
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "run.rec")) << "what was recorded is kept";
}

TEST(DebugMachineEdits, GoingBackStopsAtTheEditAndKeepsIt)
{
    ControlRig rig;
    rig.control.pause();
    for (int i = 0; i < 5; ++i)
        rig.control.stepInto();
    // Before the edit the run can be gone back over.
    ASSERT_TRUE(rig.control.reverseStep(1).ok);
    rig.control.stepInto();

    const uint16_t marker = 0xBEEF;
    rig.control.edit([&](Mtx& m) { m.cpu.IY = marker; });
    EXPECT_FALSE(rig.control.reverseStep(1).ok) << "the past before the edit did not lead here";
    EXPECT_EQ(rig.machine().cpu.IY, marker);

    // After the edit, stepping on and back again keeps it (the ROM leaves IY alone).
    rig.control.stepInto();
    rig.control.stepInto();
    const auto back = rig.control.reverseStep(2);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(rig.machine().cpu.IY, marker);
}

