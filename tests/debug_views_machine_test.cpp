// The views that show and change the machine's state: the CPU's registers and flags by
// name, edits only while paused (a recording ends there, and going back stops at the
// edit instead of bringing back a past that never led to it), the memory view's rows from
// each source with the bytes changed since the pause before marked, and writes into the
// byte each source shows.
#include "tests/debug_views_support.h"

#include "ui/debugger/cpu_view.h"
#include "ui/debugger/memory_view.h"
#include "ui/debugger/pause_memory.h"
#include "tests/support/scratch_files.h"

using namespace ollendor;

TEST(DebugCpuView, RegistersByNameFlagsAndInterruptMode)
{
    Z80State cpu{};
    cpuReset(cpu);
    for (const char* name : {"AF", "BC", "DE", "HL", "AF'", "BC'", "DE'", "HL'", "IX", "IY", "SP", "PC", "I"}) {
        SCOPED_TRACE(name);
        const uint16_t value = std::string_view(name) == "I" ? 0x5A : 0xA55A;
        ASSERT_TRUE(setCpuRegister(cpu, name, value));
        bool found = false;
        for (const RegisterValue& reg : cpuRegisters(cpu))
            if (std::string_view(reg.name) == name) {
                EXPECT_EQ(reg.value, value);
                found = true;
            }
        EXPECT_TRUE(found);
    }
    EXPECT_EQ(cpu.A, 0xA5);
    EXPECT_EQ(cpu.F, 0x5A);
    EXPECT_EQ(cpu.B, 0xA5) << "the high byte of a pair is its first register";
    EXPECT_FALSE(setCpuRegister(cpu, "R", 1));
    EXPECT_FALSE(setCpuRegister(cpu, "AF''", 1));
    // The automation server's spelling names the same registers.
    ASSERT_TRUE(setCpuRegister(cpu, "de_", 0x1234));
    EXPECT_EQ(cpu.altDE, 0x1234);
    ASSERT_TRUE(setCpuRegister(cpu, "e", 0x1FF));
    EXPECT_EQ(cpu.DE(), 0xA5FF) << "an 8-bit register takes the low byte";
    cpu.intState |= HALTED;
    setCpuRegister(cpu, "SP", 0xF000);
    EXPECT_TRUE(cpu.intState & HALTED);
    setCpuRegister(cpu, "PC", 0x1000);
    EXPECT_FALSE(cpu.intState & HALTED) << "moved off its HALT, the CPU runs on from the new PC";

    EXPECT_EQ(flagsText(0x00), "--------");
    EXPECT_EQ(flagsText(0xFF), "SZ5H3PNC");
    EXPECT_EQ(flagsText(0x41), "-Z-----C");

    for (int mode : {2, 0, 1}) {
        setInterruptMode(cpu, mode);
        EXPECT_EQ(interruptMode(cpu), mode);
    }
    cpu.intState |= IFF1 | HALTED;
    setInterruptMode(cpu, 2);
    EXPECT_EQ(cpu.intState & (IFF1 | HALTED), IFF1 | HALTED) << "the other bits stay";
}

TEST(DebugCpuView, WhatTheNextStepMeets)
{
    ControlRig rig(0);
    Z80State& cpu = rig.machine().cpu;
    cpu.intState = IFF1;
    EXPECT_EQ(nextStepText(rig.machine()), "");
    cpu.intState = IFF1 | HALTED;
    EXPECT_NE(nextStepText(rig.machine()).find("into its handler"), std::string::npos);
    cpu.intState = HALTED;
    EXPECT_NE(nextStepText(rig.machine()).find("interrupts off"), std::string::npos);
    cpu.sliceEndDue = true;
    EXPECT_NE(nextStepText(rig.machine()).find("slice is spent"), std::string::npos);
}

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

TEST(DebugMemoryView, SourcesReadAndWriteTheBytesTheyShow)
{
    ControlRig rig(0);
    Mtx& m = rig.machine();
    setPages(m.memory, 0x13); // ROM page 1, RAM page 3
    const MemorySource cpu{}, page3{MemorySource::Kind::page, 3}, video{MemorySource::Kind::video, 0};
    EXPECT_EQ(memorySize(cpu), 0x10000u);
    EXPECT_EQ(memorySize(video), 0x4000u);
    EXPECT_EQ(memorySourceName(m, cpu), "CPU (ROM 1, RAM 3)");

    writeMemoryByte(m, cpu, 0x5000, 0x77);
    EXPECT_EQ(m.memory.page[3][0x5000], 0x77) << "the RAM page the CPU sees there";
    EXPECT_EQ(memoryByte(m, page3, 0x5000), 0x77);
    writeMemoryByte(m, cpu, 0xC000, 0x66);
    EXPECT_EQ(m.memory.page[0][0xC000], 0x66) << "common RAM is page 0";
    writeMemoryByte(m, cpu, 0x0100, 0x55);
    EXPECT_EQ(m.memory.page[1][0x0100], 0x55) << "ROM is patched in the store, where the CPU cannot write";
    EXPECT_EQ(memoryByte(m, cpu, 0x0100), 0x55);
    writeMemoryByte(m, video, 0x3FFF, 0x44);
    EXPECT_EQ(m.vdp.vram[0x3FFF], 0x44);
    writeMemoryByte(m, video, 0x4000, 0x33); // past the end: nothing
    EXPECT_EQ(memoryByte(m, video, 0x4000), 0);

    PauseMemory changes;
    const MemoryRow row = memoryRow(m, changes, video, 0x3FF0);
    EXPECT_EQ(row.count, 16u);
    EXPECT_EQ(row.bytes[15], 0x44);
    EXPECT_EQ(row.characters.size(), 16u);
    EXPECT_EQ(row.characters[15], 'D');
    EXPECT_TRUE(row.changed.none()) << "nothing kept: nothing marked";
}

TEST(DebugMemoryView, BytesChangedSinceThePauseBeforeAreMarked)
{
    ControlRig rig;
    PauseMemory changes;
    const MemorySource cpu{};
    rig.control.pause();
    changes.notice(rig.control); // the view opens: the reference is now
    EXPECT_FALSE(memoryByteChanged(rig.machine(), changes, cpu, 0xC000));

    rig.control.edit([](Mtx& m) { m.memory.page[0][0xC000] ^= 0xFF; });
    changes.edited(rig.machine());
    changes.notice(rig.control);
    EXPECT_TRUE(memoryByteChanged(rig.machine(), changes, cpu, 0xC000)) << "an edit is a change";
    EXPECT_FALSE(memoryByteChanged(rig.machine(), changes, cpu, 0xC001));

    // The next pause: the reference becomes the memory of the last one, so the edit made
    // before it is no longer marked; what the frame changed is.
    rig.control.stepFrames(1);
    ASSERT_TRUE(rig.runUntilPaused());
    changes.notice(rig.control);
    EXPECT_FALSE(memoryByteChanged(rig.machine(), changes, cpu, 0xC000));
    size_t marked = 0;
    for (uint32_t a = 0; a < 0x10000; ++a)
        marked += memoryByteChanged(rig.machine(), changes, cpu, a);
    EXPECT_GT(marked, 0u) << "a frame of the ROM changes its counters in RAM";
    const MemoryRow row = memoryRow(rig.machine(), changes, cpu, 0xF000);
    for (unsigned i = 0; i < 16; ++i)
        EXPECT_EQ(row.changed[i], memoryByteChanged(rig.machine(), changes, cpu, 0xF000 + i));

    changes.release();
    EXPECT_FALSE(changes.active());
    EXPECT_FALSE(memoryByteChanged(rig.machine(), changes, cpu, 0xC000));
}
