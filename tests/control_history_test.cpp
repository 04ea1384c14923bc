// The call stack and the trace over the span the rewind history holds, whenever first asked:
// a run that never asked for them, taken back by a reverse step, a rewind or a reverse
// continue (or stopped at a breakpoint), must answer exactly what a run that followed them
// from the start holds at the same point. On tests/asm/debug_steps.asm, run as the OS ROM:
// nested calls, RST, and counter/timer interrupts every 4,096 cycles.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "control/control.h"
#include "debug/disassembler.h"
#include "debug/symbol_file.h"
#include "debug/symbols.h"
#include "machine/rom_set.h"
#include "tests/support/steps_rom.h"

using namespace ollendor;

namespace {

uint16_t addressOf(const char* label)
{
    static Symbols symbols = [] {
        Symbols loaded;
        loadSymbolFile(loaded, stepsProgram + ".labels");
        return loaded;
    }();
    const auto address = symbols.addressOf(label);
    EXPECT_TRUE(address.has_value()) << label;
    return address.value_or(0);
}

// One emulator: session, rewind history and control.
struct Rig {
    Session session{stepsRom()};
    RewindBuffer rewind{400};
    Control control{session, rewind};
    Debugger& debugger() { return control.debugger(); }
    MachinePosition position() { return machinePosition(session.machine()); }
    void frames(unsigned count)
    {
        for (unsigned i = 0; i < count; ++i)
            control.runFrame();
    }
    void runUntilPaused()
    {
        for (unsigned i = 0; i < 300 && !control.paused(); ++i)
            control.runFrame();
        ASSERT_TRUE(control.paused());
    }
};

// What the history says at one point.
struct History {
    std::vector<TraceEntry> trace;
    std::vector<CallFrame> stack;
    bool fromStart = false;
};

// What the debugger holds, made fresh first (rebuilt where it was not followed) or as it is.
History historyOf(Rig& rig, bool fresh = true)
{
    if (fresh) {
        const Control::Result made = rig.control.freshHistory();
        EXPECT_TRUE(made.ok) << made.error;
    }
    History history;
    const TraceRing& trace = rig.debugger().trace();
    for (size_t i = 0; i < trace.size(); ++i)
        history.trace.push_back(trace.at(i));
    history.stack = rig.debugger().callStack();
    history.fromStart = rig.debugger().callStackFromStart();
    return history;
}

void expectSame(const History& rebuilt, const History& followed, const char* how)
{
    SCOPED_TRACE(how);
    ASSERT_EQ(rebuilt.trace.size(), followed.trace.size());
    for (size_t i = 0; i < followed.trace.size(); ++i) {
        const TraceEntry& a = rebuilt.trace[i];
        const TraceEntry& b = followed.trace[i];
        ASSERT_TRUE(a.cycle == b.cycle && a.pc == b.pc && a.bytes == b.bytes && a.af == b.af && a.bc == b.bc &&
                    a.de == b.de && a.hl == b.hl && a.ix == b.ix && a.iy == b.iy && a.sp == b.sp)
            << "trace entry " << i << " of " << followed.trace.size() << ": pc " << a.pc << " against " << b.pc;
    }
    ASSERT_EQ(rebuilt.stack.size(), followed.stack.size());
    for (size_t i = 0; i < followed.stack.size(); ++i) {
        const CallFrame& a = rebuilt.stack[i];
        const CallFrame& b = followed.stack[i];
        EXPECT_TRUE(a.kind == b.kind && a.from == b.from && a.target == b.target && a.returnTo == b.returnTo &&
                    a.sp == b.sp)
            << "call frame " << i;
    }
    EXPECT_EQ(rebuilt.fromStart, followed.fromStart);
}

// The run that follows both from power-on as it runs, to be compared against: what it
// holds is taken as it is, never rebuilt.
struct Followed : Rig {
    Followed()
    {
        debugger().keepCallStack(Debugger::Keeper::client, true);
        debugger().keepTrace(Debugger::Keeper::client, true);
        control.callStackStartsHere(); // followed from power-on
    }
    History here() { return historyOf(*this, false); }
};

} // namespace

// Deep enough into the run that the trace ring is full (about 1,500 instructions a frame)
// and mid-frame, inside a routine.
constexpr unsigned framesBefore = 90;
constexpr unsigned stepsBefore = 1237;

TEST(ControlHistory, AReverseStepGivesTheHistoryOfTheRunThatFollowedIt)
{
    Followed followed;
    followed.frames(framesBefore);
    followed.control.stepInto(stepsBefore);
    const History expected = followed.here();
    ASSERT_FALSE(expected.stack.empty()) << "in a routine";
    ASSERT_TRUE(followed.debugger().trace().full());

    Rig rig;
    rig.frames(framesBefore);
    rig.control.stepInto(stepsBefore);
    const MachinePosition point = rig.position();
    rig.control.stepInto(700);
    rig.control.resume();
    rig.frames(3);
    rig.control.pause();
    rig.control.stepInto(5);
    ASSERT_FALSE(rig.debugger().tracing || rig.debugger().watching) << "never asked";
    EXPECT_TRUE(rig.debugger().trace().size() == 0 && rig.debugger().callStack().empty());
    // Back to the point by counting the instructions between.
    unsigned between = 0;
    {
        Rig counter;
        counter.frames(framesBefore);
        counter.control.stepInto(stepsBefore);
        while (counter.position() < rig.position()) {
            counter.control.stepInto();
            ++between;
        }
    }
    ASSERT_TRUE(rig.control.reverseStep(between).ok);
    ASSERT_EQ(rig.position(), point);
    expectSame(historyOf(rig), expected, "asked first after the reverse step");

    // Asked again after stepping back further: rebuilt from a capture near the end, the
    // same as the run that followed it.
    ASSERT_TRUE(rig.control.reverseStep(40).ok);
    Followed earlier;
    earlier.frames(framesBefore);
    earlier.control.stepInto(stepsBefore - 40);
    ASSERT_EQ(rig.position(), earlier.position());
    expectSame(historyOf(rig), earlier.here(), "asked again after going back further");
}

TEST(ControlHistory, ARewindGivesTheHistoryUpToTheFrameStart)
{
    Followed followed;
    followed.frames(framesBefore);
    const History expected = followed.here();

    Rig rig;
    rig.frames(framesBefore + 12);
    rig.control.pause();
    ASSERT_TRUE(rig.control.rewindFrames(12).ok);
    ASSERT_EQ(rig.position(), followed.position());
    expectSame(historyOf(rig), expected, "after a rewind");
}

// Asked first at a breakpoint: the instructions that led there; and after a reverse
// continue back to that hit from a later one, the same.
TEST(ControlHistory, AtABreakpointAndAfterAReverseContinue)
{
    Followed followed;
    followed.frames(framesBefore);
    followed.debugger().breakpoints.add(BreakKind::exec, addressOf("inner"), addressOf("inner"), {});
    followed.control.resume();
    followed.runUntilPaused();
    ASSERT_EQ(followed.session.machine().cpu.PC, addressOf("inner"));
    const History expected = followed.here();
    ASSERT_EQ(expected.stack.size(), 2u) << "routine, then inner";

    Rig rig;
    rig.frames(framesBefore);
    rig.debugger().breakpoints.add(BreakKind::exec, addressOf("inner"), addressOf("inner"), {});
    rig.control.resume();
    rig.runUntilPaused();
    const MachinePosition hit = rig.position();
    const History atHit = historyOf(rig);
    expectSame(atHit, expected, "asked first at the breakpoint");
    const Instruction last = decodeInstruction(atHit.trace.back().pc, atHit.trace.back().bytes);
    EXPECT_EQ(std::string(last.text).rfind("CALL", 0), 0u) << "the call that led there: " << last.text;

    rig.debugger().keepCallStack(Debugger::Keeper::client, false);
    rig.debugger().keepTrace(Debugger::Keeper::client, false);
    rig.control.resume();
    rig.runUntilPaused();
    ASSERT_TRUE(hit < rig.position()) << "the next hit";
    ASSERT_TRUE(rig.control.reverseContinue().ok);
    ASSERT_EQ(rig.position(), hit);
    expectSame(historyOf(rig), expected, "after the reverse continue");
}

// Where the history holds less than the run: it says from which frame it is known.
TEST(ControlHistory, SaysFromWhenTheHistoryIsKnown)
{
    Session session{stepsRom()};
    RewindBuffer rewind{20};
    Control control{session, rewind};
    for (int i = 0; i < 50; ++i)
        control.runFrame();
    ASSERT_TRUE(control.freshHistory().ok);
    EXPECT_EQ(control.historyFromFrame(), control.oldestCaptureFrame().value());
    EXPECT_EQ(control.historyFromFrame(), 50u - 19u);
    EXPECT_FALSE(control.debugger().callStackFromStart());

    control.reset();
    control.runFrame();
    ASSERT_TRUE(control.freshHistory().ok);
    EXPECT_TRUE(control.debugger().callStackFromStart()) << "followed since the reset";
}
