// The control API on a program made for it (tests/asm/debug_steps.asm, run as the OS ROM):
// what each step does with calls, returns, restarts, DJNZ, block copies, HALT and
// interrupts; each kind of breakpoint hit once per access; and going back in time exactly.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "control/control.h"
#include "debug/symbol_file.h"
#include "debug/symbols.h"
#include "machine/rom_set.h"
#include "tests/support/steps_rom.h"
#include "tests/support/machine_compare.h"
#include "tests/support/machine_digest.h"

using namespace ollendor;

namespace {

class ControlTest : public testing::Test {
protected:
    ControlTest() : session(stepsRom()), rewind(600), control(session, rewind)
    {
        const SymbolFileResult loaded = loadSymbolFile(symbols, stepsProgram + ".labels");
        EXPECT_TRUE(loaded.error.empty()) << loaded.error;
    }

    uint16_t at(const char* label) const
    {
        const auto address = symbols.addressOf(label);
        EXPECT_TRUE(address.has_value()) << label;
        return address.value_or(0);
    }
    Z80State& cpu() { return session.machine().cpu; }
    uint16_t word(uint16_t address) { return uint16_t(memRead(session.machine().memory, address) | memRead(session.machine().memory, uint16_t(address + 1)) << 8); }

    // Lets the loop run until the machine pauses (a goal met, a breakpoint), at most frames.
    void runUntilPaused(unsigned frames = 300)
    {
        for (unsigned i = 0; i < frames && !control.paused(); ++i)
            control.runFrame();
        ASSERT_TRUE(control.paused()) << "did not stop";
    }
    // Runs to an address and pauses there.
    void goTo(const char* label)
    {
        control.runTo(at(label));
        runUntilPaused();
        ASSERT_EQ(cpu().PC, at(label));
    }

    Session session;
    RewindBuffer rewind;
    Control control;
    Symbols symbols;
};

} // namespace

TEST_F(ControlTest, StepIntoTakesOneInstruction)
{
    control.pause();
    control.stepInto();
    EXPECT_EQ(cpu().PC, 0x0001) << "DI";
    control.stepInto();
    EXPECT_EQ(cpu().PC, at("setup")) << "JP setup";
    EXPECT_EQ(control.stop().text(), "step");
    EXPECT_TRUE(control.paused());
}

TEST_F(ControlTest, StepOverRunsACallToItsReturnAndStepOutLeavesTheRoutine)
{
    goTo("loop");
    const uint16_t sp = cpu().SP;
    const uint16_t calls = word(at("calls"));
    control.stepOver();
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("after_call"));
    EXPECT_EQ(cpu().SP, sp);
    EXPECT_EQ(word(at("calls")), calls + 1) << "the routine ran once";
    EXPECT_EQ(control.stop().text(), "step");

    goTo("loop");
    control.stepInto();
    EXPECT_EQ(cpu().PC, at("routine")) << "step into a CALL goes into it";
    control.stepInto(); // PUSH HL
    control.stepOut();
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("after_call")) << "out of routine, past the call within it";
    EXPECT_EQ(cpu().SP, sp);
}

// The views and an automation client each ask for the histories; one letting go leaves
// the other's, and only a history kept afresh starts empty.
TEST_F(ControlTest, TheCallStackAndTraceAreKeptWhileAnyoneAsks)
{
    Debugger& debugger = control.debugger();
    goTo("loop");
    debugger.keepCallStack(Debugger::Keeper::views, true);
    debugger.keepTrace(Debugger::Keeper::views, true);
    control.stepInto();
    ASSERT_EQ(debugger.callStack().size(), 1u) << "in the routine";
    const size_t traced = debugger.trace().size();
    ASSERT_GT(traced, 0u);

    debugger.keepCallStack(Debugger::Keeper::client, true);
    debugger.keepTrace(Debugger::Keeper::client, true);
    EXPECT_EQ(debugger.callStack().size(), 1u) << "a second keeper keeps what is there";
    EXPECT_EQ(debugger.trace().size(), traced);
    debugger.keepCallStack(Debugger::Keeper::views, false);
    debugger.keepTrace(Debugger::Keeper::views, false);
    EXPECT_TRUE(debugger.watching && debugger.tracing) << "the client still asks";
    control.stepInto();
    EXPECT_EQ(debugger.trace().size(), traced + 1);

    debugger.keepCallStack(Debugger::Keeper::client, false);
    debugger.keepTrace(Debugger::Keeper::client, false);
    EXPECT_FALSE(debugger.watching || debugger.tracing);
    control.stepInto();
    debugger.keepCallStack(Debugger::Keeper::views, true);
    debugger.keepTrace(Debugger::Keeper::views, true);
    EXPECT_TRUE(debugger.callStack().empty()) << "kept afresh after a gap";
    EXPECT_EQ(debugger.trace().size(), 0u);
}

TEST_F(ControlTest, RunToTheAddressItStandsOnGoesRoundToItAgain)
{
    // As an execution breakpoint there would: the instruction the machine stands on runs,
    // and the run stops the next time the CPU comes to the address.
    goTo("loop");
    const uint16_t calls = word(at("calls"));
    const uint64_t stops = control.stops();
    control.runTo(at("loop"));
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("loop"));
    EXPECT_EQ(word(at("calls")), calls + 1) << "once round the loop";
    EXPECT_EQ(control.stops(), stops + 1);
    EXPECT_EQ(control.stop().text(), "run to");
}

TEST_F(ControlTest, CountedStepsOverAndOutStopOnceAtTheirEnd)
{
    // A caller waiting for the next stop (the automation server) must see the last of the
    // counted steps, not the machine running on between two of them.
    goTo("loop");
    const uint8_t b = cpu().B;
    uint64_t stops = control.stops();
    control.stepOver(3); // the call, the restart, DJNZ back to loop
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("loop"));
    EXPECT_EQ(cpu().B, uint8_t(b - 1));
    EXPECT_EQ(control.stops(), stops + 1);

    goTo("inner");
    stops = control.stops();
    control.stepOut(2); // out of inner, then out of routine
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("after_call"));
    EXPECT_EQ(control.stops(), stops + 1);

    // Steps over plain instructions only: one stop, however many (no recursion per step).
    goTo("after_djnz");
    stops = control.stops();
    control.stepOver(3);
    EXPECT_TRUE(control.paused());
    EXPECT_EQ(cpu().PC, at("after_djnz") + 9) << "LD HL, LD DE, LD BC";
    EXPECT_EQ(control.stops(), stops + 1);
}

TEST_F(ControlTest, RestartsDjnzAndBlockCopies)
{
    goTo("after_call");
    control.stepInto();
    EXPECT_EQ(cpu().PC, at("rst8")) << "step into RST 8";
    control.stepOut();
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("after_rst"));

    goTo("after_call");
    control.stepOver();
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("after_rst")) << "step over RST 8";

    // DJNZ: back to loop while B counts down, then on.
    const uint8_t b = cpu().B;
    control.stepInto();
    EXPECT_EQ(cpu().PC, b > 1 ? at("loop") : at("after_djnz"));

    goTo("after_djnz");
    control.stepInto(); // LD HL
    control.stepInto(); // LD DE
    control.stepInto(); // LD BC
    control.stepOver(); // LDIR, whole
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("after_ldir"));
    EXPECT_EQ(cpu().BC(), 0);
}

TEST_F(ControlTest, HaltWaitsUntilAnInterruptThenStepsIntoTheHandler)
{
    goTo("after_ldir");
    while (memRead(session.machine().memory, cpu().PC) != 0x76)
        control.stepInto();
    const uint16_t halt = cpu().PC;
    // Each step at the HALT is one slice end; one of them brings the interrupt.
    bool entered = false;
    for (int i = 0; i < 4 && !entered; ++i) {
        control.stepInto();
        entered = cpu().PC == at("tick");
        if (!entered) {
            EXPECT_EQ(cpu().PC, halt);
            EXPECT_TRUE(cpu().intState & HALTED);
        }
    }
    EXPECT_TRUE(entered) << "the timer runs out every other slice";
    EXPECT_EQ(word(cpu().SP), halt + 1) << "the handler returns past the HALT";
}

TEST_F(ControlTest, AnInterruptDuringStepOverIsTakenAndTheStepStillEndsAfterTheCall)
{
    // The routine waits longer than the timer's period: each call meets an interrupt,
    // whose handler runs (and returns) inside the step.
    for (int round = 0; round < 3; ++round) {
        goTo("loop");
        const uint16_t ticks = word(at("ticks"));
        const uint16_t sp = cpu().SP;
        control.stepOver();
        runUntilPaused();
        ASSERT_EQ(cpu().PC, at("after_call"));
        ASSERT_EQ(cpu().SP, sp);
        EXPECT_GT(word(at("ticks")), ticks) << "round " << round;
        EXPECT_EQ(control.stop().text(), "step");
    }
}

TEST_F(ControlTest, EachKindOfBreakpointIsHitOncePerAccess)
{
    Breakpoints& breakpoints = control.debugger().breakpoints;
    const int exec = breakpoints.add(BreakKind::exec, at("after_rst"), 0, {}).id;
    control.pause();
    control.resume();
    runUntilPaused();
    EXPECT_EQ(cpu().PC, at("after_rst")) << "stops before the instruction";
    EXPECT_EQ(control.stop().text(), "breakpoint " + std::to_string(exec));
    EXPECT_EQ(breakpoints.find(exec)->hits, 1u);
    control.resume();
    runUntilPaused();
    EXPECT_EQ(breakpoints.find(exec)->hits, 2u) << "the stopped-on instruction ran without a second hit";
    breakpoints.setEnabled(exec, false);

    // LD HL,(calls) reads two bytes of the range: two hits, one stop right after.
    const int read = breakpoints.add(BreakKind::read, at("calls"), at("calls") + 1, {}).id;
    control.resume();
    runUntilPaused();
    EXPECT_EQ(breakpoints.find(read)->hits, 2u);
    EXPECT_EQ(control.stop().breakpoint, read);
    EXPECT_EQ(cpu().PC, at("routine") + 4) << "after PUSH HL and LD HL,(calls)";
    breakpoints.remove(read);

    const int write = breakpoints.add(BreakKind::write, at("ticks"), at("ticks"), {}).id;
    control.resume();
    runUntilPaused();
    EXPECT_EQ(breakpoints.find(write)->hits, 1u) << "one of the two bytes the handler writes";
    breakpoints.remove(write);

    const int out = breakpoints.add(BreakKind::out, 5, 5, {}).id;
    const int in = breakpoints.add(BreakKind::in, 5, 5, {}).id;
    control.resume();
    runUntilPaused();
    EXPECT_EQ(control.stop().breakpoint, out);
    EXPECT_EQ(breakpoints.find(out)->hits, 1u);
    control.resume();
    runUntilPaused();
    EXPECT_EQ(control.stop().breakpoint, in);
    EXPECT_EQ(breakpoints.find(in)->hits, 1u);
    breakpoints.remove(out);
    breakpoints.remove(in);

    const int vdp = breakpoints.add(BreakKind::vdpRegister, 7, 7, {}).id;
    control.resume();
    runUntilPaused();
    EXPECT_EQ(control.stop().breakpoint, vdp);
    EXPECT_EQ(breakpoints.find(vdp)->hits, 1u);
    EXPECT_EQ(session.machine().vdp.registers[7], 0xF4) << "stopped right after the write";
    breakpoints.remove(vdp);

    const int interrupt = breakpoints.add(BreakKind::interrupt, 1, 1, {}).id;
    control.resume();
    runUntilPaused();
    EXPECT_EQ(control.stop().breakpoint, interrupt);
    EXPECT_EQ(cpu().PC, at("tick")) << "right after the interrupt was accepted";
    EXPECT_EQ(breakpoints.find(interrupt)->hits, 1u);
}

// A count of steps stops at a breakpoint as a run would, the reason shown; the
// instruction the user stands on does not stop it.
TEST_F(ControlTest, CountedStepsStopAtBreakpoints)
{
    Breakpoints& breakpoints = control.debugger().breakpoints;
    goTo("loop");
    const int here = breakpoints.add(BreakKind::exec, at("loop"), 0, {}).id;
    const int exec = breakpoints.add(BreakKind::exec, at("after_call"), 0, {}).id;
    control.stepInto(200000); // the routine waits some 70,000 instructions
    EXPECT_EQ(cpu().PC, at("after_call"));
    EXPECT_EQ(control.stop().text(), "breakpoint " + std::to_string(exec));
    EXPECT_EQ(breakpoints.find(exec)->hits, 1u);
    EXPECT_EQ(breakpoints.find(here)->hits, 0u) << "where the steps started";
    control.stepInto();
    EXPECT_EQ(breakpoints.find(exec)->hits, 1u) << "stepping off the stop counts no second hit";
    breakpoints.remove(here);
    breakpoints.remove(exec);

    goTo("loop");
    const int read = breakpoints.add(BreakKind::read, at("calls"), at("calls") + 1, {}).id;
    control.stepInto(1000);
    EXPECT_EQ(cpu().PC, at("routine") + 4) << "right after LD HL,(calls)";
    EXPECT_EQ(control.stop().breakpoint, read);
    breakpoints.remove(read);

    // Steps over: the ones that step plainly stop too.
    goTo("after_ldir");
    const uint16_t third = uint16_t(at("after_ldir") + 4); // LD A,0xF4; OUT (2),A; here
    const int next = breakpoints.add(BreakKind::exec, third, 0, {}).id;
    control.stepOver(1000);
    EXPECT_TRUE(control.paused());
    EXPECT_EQ(control.stop().breakpoint, next);
    EXPECT_EQ(cpu().PC, third);
}

TEST_F(ControlTest, AConditionDecidesWhetherAHitStops)
{
    Breakpoints& breakpoints = control.debugger().breakpoints;
    const ConditionParse condition = parseCondition("B == 1");
    ASSERT_TRUE(condition.condition) << condition.error;
    const int id = breakpoints.add(BreakKind::exec, at("loop"), 0, condition.condition).id;
    control.pause();
    control.resume();
    runUntilPaused();
    EXPECT_EQ(cpu().B, 1);
    EXPECT_EQ(breakpoints.find(id)->hits, 3u) << "B = 3 and B = 2 hit without stopping";
}

TEST_F(ControlTest, StepBackThenStepGivesTheMachineItWas)
{
    // Keys held over some frames, so that the input log takes part.
    session.setHostKeys([this](uint8_t key) { return key == '1' && session.frames() % 5 < 2; });
    for (int frame = 0; frame < 12; ++frame)
        control.runFrame();
    control.pause();
    std::vector<uint64_t> digests{machineDigest(session.machine())};
    for (int i = 0; i < 2500; ++i) {
        control.stepInto();
        digests.push_back(machineDigest(session.machine()));
    }
    EXPECT_GT(word(at("ticks")), 10) << "interrupts were taken on the way";
    // Back one at a time over the last stretch, then in long strides.
    for (int i = 2499; i >= 2400; --i) {
        const Control::Result back = control.reverseStep();
        ASSERT_TRUE(back.ok) << back.error;
        ASSERT_EQ(machineDigest(session.machine()), digests[size_t(i)]) << "back to step " << i;
    }
    for (int i = 2400; i > 0; i -= 600) {
        const unsigned stride = unsigned(std::min(600, i));
        ASSERT_TRUE(control.reverseStep(stride).ok);
        ASSERT_EQ(machineDigest(session.machine()), digests[size_t(i - int(stride))]);
    }
    // And forward again over the same inputs: the same machines.
    for (size_t i = 1; i <= 300; ++i) {
        control.stepInto();
        ASSERT_EQ(machineDigest(session.machine()), digests[i]) << "forward to step " << i;
    }
}

TEST_F(ControlTest, ReverseContinueGoesBackToTheLastHit)
{
    Breakpoints& breakpoints = control.debugger().breakpoints;
    const int id = breakpoints.add(BreakKind::exec, at("after_rst"), 0, {}).id;
    control.pause();
    control.resume();
    runUntilPaused();
    control.resume();
    runUntilPaused();
    const auto atSecondHit = std::make_unique<Mtx>(session.machine());
    control.stepInto(5); // on into the routine, not as far as the breakpoint again
    ASSERT_NE(cpu().PC, at("after_rst"));
    const uint64_t hits = breakpoints.find(id)->hits;
    const Control::Result back = control.reverseContinue();
    ASSERT_TRUE(back.ok) << back.error;
    expectSameMachine(*atSecondHit, session.machine(), "back at the last hit");
    EXPECT_EQ(control.stop().breakpoint, id);
    EXPECT_EQ(breakpoints.find(id)->hits, hits) << "the search does not count hits";
}

TEST_F(ControlTest, RewindingFramesGoesLiveFromThere)
{
    for (int frame = 0; frame < 30; ++frame)
        control.runFrame();
    const auto tenBack = std::make_unique<Mtx>();
    ASSERT_TRUE(rewind.peek(*tenBack, 10));
    ASSERT_TRUE(control.rewindFrames(10).ok);
    expectSameMachine(*tenBack, session.machine(), "ten frames back");
    EXPECT_EQ(session.machine().timing.frames, 20u);
    EXPECT_FALSE(control.rewindFrames(1000).ok);
}
