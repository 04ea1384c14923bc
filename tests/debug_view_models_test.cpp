// The debugger's view models below the windows (debug/): the CPU's registers, flags and
// interrupt mode as shown, what the next step meets and what a step met (a slice end, an
// interrupt taken from a HALT, shown as the debugger notes it a step later), the memory
// rows with the bytes changed since the pause before, the counter/timer's and tone
// channels' values, the call stack's lines and the tape trap's names. No window and no Dear ImGui here: the automation tools use the same.
#include <gtest/gtest.h>

#include "control/control.h"
#include <cstdio>
#include <cstring>

#include "debug/builtin_symbols.h"
#include "debug/call_stack_lines.h"
#include "debug/chip_text.h"
#include "debug/cpu_text.h"
#include "debug/memory_rows.h"
#include "debug/step_report.h"
#include "debug/tape_names.h"
#include "machine/ctc.h"
#include "machine/rom_set.h"

using namespace ollendor;

namespace {

// A control on the built-in ROM, run a few frames in so that the ROM has set up its screen
// and its interrupts.
struct ModelRig {
    explicit ModelRig(unsigned frames = 20) : session(builtinRomSet()), rewind(120), control(session, rewind)
    {
        for (unsigned i = 0; i < frames; ++i)
            control.runFrame();
    }
    Mtx& machine() { return session.machine(); }
    bool runUntilPaused(unsigned frames = 300)
    {
        for (unsigned i = 0; i < frames && !control.paused(); ++i)
            control.runFrame();
        return control.paused();
    }
    // What the debugger part does once per frame of the views.
    void notice(PauseMemory& changes) { changes.notice(machine(), control.paused(), control.stops()); }

    Session session;
    RewindBuffer rewind;
    Control control;
};

} // namespace

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
    ModelRig rig(0);
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

TEST(DebugMemoryView, SourcesReadAndWriteTheBytesTheyShow)
{
    ModelRig rig(0);
    Mtx& m = rig.machine();
    setPages(m.memory, 0x13); // ROM page 1, RAM page 3
    const MemoryArea cpu{}, page3{MemoryArea::Kind::page, 3}, video{MemoryArea::Kind::video, 0};
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
    ModelRig rig;
    PauseMemory changes;
    const MemoryArea cpu{};
    rig.control.pause();
    rig.notice(changes); // the view opens: the reference is now
    EXPECT_FALSE(memoryByteChanged(rig.machine(), changes, cpu, 0xC000));

    rig.control.edit([](Mtx& m) { m.memory.page[0][0xC000] ^= 0xFF; });
    changes.edited(rig.machine());
    rig.notice(changes);
    EXPECT_TRUE(memoryByteChanged(rig.machine(), changes, cpu, 0xC000)) << "an edit is a change";
    EXPECT_FALSE(memoryByteChanged(rig.machine(), changes, cpu, 0xC001));

    // The next pause: the reference becomes the memory of the last one, so the edit made
    // before it is no longer marked; what the frame changed is.
    rig.control.stepFrames(1);
    ASSERT_TRUE(rig.runUntilPaused());
    rig.notice(changes);
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

TEST(DebugChipViews, CounterTimerChannelsAsTheChipHasThem)
{
    CtcState ctc{};
    ctcPowerOn(ctc);
    ctcWrite(ctc, 8, 0x18);       // vector base 0x18
    ctcWrite(ctc, 9, 0xA5);       // channel 1: interrupts, prescaler 256, constant follows
    ctcWrite(ctc, 9, 100);        // 100 x 256 cycles
    ctcWrite(ctc, 10, 0x05);      // channel 2: prescaler 16, constant follows...
    const auto channels = ctcSummary(ctc);
    EXPECT_TRUE(channels[1].running);
    EXPECT_TRUE(channels[1].interrupts);
    EXPECT_EQ(channels[1].timeConstant, 100);
    EXPECT_EQ(channels[1].vector, 0x18 | 2);
    EXPECT_EQ(channels[1].periodSlices, 13u) << "25,600 cycles: 12.5 slices, expiring at the 13th";
    EXPECT_NE(channels[1].controlText.find("prescaler 256"), std::string::npos);
    EXPECT_FALSE(channels[2].running);
    EXPECT_TRUE(channels[2].constantNext) << "...which has not come yet";
    EXPECT_EQ(channels[3].vector, 0x18 | 6);
    ctcWrite(ctc, 11, 0x05);
    ctcWrite(ctc, 11, 1); // 16 cycles: still once a slice at most
    EXPECT_EQ(ctcSummary(ctc)[3].periodSlices, 1u);
}

TEST(DebugChipViews, ToneChannelsGiveTheirFrequencyAndAttenuation)
{
    SoundChip chip{};
    soundChipPowerOn(chip);
    soundWriteData(chip, 0x80 | 0x0E); // channel 0 period low nibble E
    soundWriteData(chip, 0x0F);        // high six bits: period 0x0FE
    soundWriteData(chip, 0x90 | 0x03); // channel 0 attenuation 3
    soundWriteData(chip, 0xB0 | 0x0F); // channel 1 silent
    const auto tones = toneSummary(chip);
    EXPECT_EQ(tones[0].period, 0x0FE);
    EXPECT_EQ(tones[0].frequency, 4000000u / (0x0FE * 32u));
    EXPECT_EQ(tones[0].attenuation, 3u);
    EXPECT_EQ(tones[1].attenuation, 15u);
    EXPECT_EQ(chip.latchedChannel, 0u) << "an attenuation byte latches nothing";
    soundWriteData(chip, 0xC0 | 0x01); // channel 2 period
    EXPECT_EQ(toneSummary(chip)[2].period & 0x0F, 1);
    EXPECT_EQ(chip.latchedChannel, 2u);
}

TEST(DebugSteps, AStepFromAHaltIntoTheHandlerIsShownAsTheDebuggerNotesItNext)
{
    ModelRig rig;
    Debugger& debugger = rig.control.debugger();
    debugger.watching = debugger.tracing = true;
    const Symbols& symbols = builtinRomSymbols();
    const uint16_t poll = symbols.addressOf("poll").value();
    const uint16_t handler = symbols.addressOf("ctcInterrupt").value();
    rig.control.runTo(poll);
    ASSERT_TRUE(rig.runUntilPaused());
    ASSERT_EQ(memRead(rig.machine().memory, poll), 0x76) << "the ROM waits at a HALT";
    rig.control.stepInto(); // onto the HALT: it waits there

    std::optional<StepReport> report;
    bool sawSliceEndWithoutInterrupt = false;
    for (int i = 0; i < 10 && !(report && report->interrupt); ++i) {
        const StepStart before = stepStart(rig.machine());
        rig.control.stepInto();
        report = stepReport(before, rig.machine());
        if (report->sliceEnded && !report->interrupt)
            sawSliceEndWithoutInterrupt = true;
    }
    ASSERT_TRUE(report && report->interrupt);
    EXPECT_TRUE(report->sliceEnded);
    EXPECT_TRUE(sawSliceEndWithoutInterrupt) << "the timer runs out every few slices, not at each";
    const CallFrame shown = *report->interrupt;
    EXPECT_EQ(shown.target, handler);
    EXPECT_EQ(shown.from, poll);
    EXPECT_EQ(shown.returnTo, poll + 1) << "past the HALT";
    EXPECT_NE(report->text().find("interrupt was accepted"), std::string::npos);

    // One more step: the debugger's own frame is the one shown.
    rig.control.stepInto();
    ASSERT_FALSE(debugger.callStack().empty());
    const CallFrame noted = debugger.callStack().back();
    EXPECT_EQ(noted.kind, CallFrame::Kind::interrupt);
    EXPECT_EQ(noted.target, shown.target);
    EXPECT_EQ(noted.from, shown.from);
    EXPECT_EQ(noted.returnTo, shown.returnTo);
    EXPECT_EQ(noted.sp, shown.sp);
}

TEST(DebugSteps, OnlyAnInterruptClearsIff1UnnoticedAndAStepWithoutASliceEndReportsNothing)
{
    ModelRig rig(0);
    Mtx& machine = rig.machine();
    machine.memory.page[0][0xD100] = 0xF3; // DI
    machine.cpu.PC = 0xD100;
    machine.cpu.intState = IFF1 | IFF2 | IM2;
    const StepStart di = stepStart(machine);
    machine.cpu.intState = IM2;
    machine.cpu.PC = 0xD101;
    ++machine.timing.hookCalls; // the slice ended after it as well
    StepReport report = stepReport(di, machine);
    EXPECT_TRUE(report.sliceEnded);
    EXPECT_FALSE(report.interrupt) << "DI cleared it";

    const StepStart plain = stepStart(machine);
    EXPECT_EQ(stepReport(plain, machine).text(), "");
}

TEST(DebugCallStack, FramesInnermostFirstWithTheirNames)
{
    std::vector<CallFrame> frames(2);
    frames[0] = CallFrame{CallFrame::Kind::call, 0xD00A, 0xD000, 0xD00D, 0xEFFE};
    frames[1] = CallFrame{CallFrame::Kind::interrupt, 0xD002, 0x0038, 0xD002, 0xEFFC};
    Symbols symbols;
    symbols.add("start", 0xD000);
    symbols.add("again", 0xD00A);
    const auto lines = callStackLines(frames, symbols);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_STREQ(lines[0].kind, "interrupt");
    EXPECT_EQ(lines[0].target, 0x0038);
    EXPECT_EQ(lines[0].fromName, "start+$2");
    EXPECT_STREQ(lines[1].kind, "CALL");
    EXPECT_EQ(lines[1].targetName, "start");
    EXPECT_EQ(lines[1].returnTo, 0xD00D);
}

TEST(DebugChipViews, TapeNamesShowTheirBytesAndTheReportedRingOldestFirst)
{
    char name[tapeNameLength];
    std::memcpy(name, "GAME \"1\"\x01", tapeNameLength);
    EXPECT_EQ(tapeNameText(name), "\"GAME \\x221\\x22\\x01\"");

    TapeState tape{};
    tapePowerOn(tape);
    // Eighteen names into a ring of sixteen: the first two are gone, the third is oldest.
    for (unsigned i = 0; i < 18; ++i) {
        char entry[tapeNameLength];
        std::snprintf(entry, sizeof entry, "T%02u     ", i);
        std::memcpy(tape.reported[tape.reportedNext], entry, tapeNameLength);
        tape.reportedNext = uint8_t((tape.reportedNext + 1) % tapeReportedCapacity);
        if (tape.reportedCount < tapeReportedCapacity)
            ++tape.reportedCount;
    }
    const auto names = reportedTapeNames(tape);
    ASSERT_EQ(names.size(), 16u);
    EXPECT_EQ(names.front(), "\"T02     \\x00\"");
    EXPECT_EQ(names.back(), "\"T17     \\x00\"");
}
