// The debugger beside the CPU: breakpoints, stepping goals, the call stack and the trace,
// fed by a watching bus that the machine runs over only while something is armed. The
// plain run (machineRun) knows nothing of it and pays nothing for it.
//
//   Debugger debugger;
//   debugger.breakpoints.add(BreakKind::exec, 0x0AAE, 0x0AAE, {});
//   debugRun(machine, debugger);           // until a frame ends, an event, or a stop
//   if (debugger.stop().reason == StopReason::breakpoint) ...
//
// A stop on an execution breakpoint or a goal that stops before an instruction happens
// before it runs; a stop on a memory, port, video register or interrupt breakpoint happens
// right after the instruction that made the access (after the interrupt was accepted).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "debug/breakpoints.h"
#include "debug/trace.h"
#include "machine/machine.h"

namespace ollendor {

enum class StopReason : uint8_t {
    none,       // running
    user,       // paused by the user
    breakpoint, // a breakpoint's condition held
    step,       // a step (into, over, out, frames, reverse) came to its end
    runTo,      // the address asked for was reached
    rewind,     // the machine was taken back in time to a frame start
    reset,      // the machine was reset
};

struct StopInfo {
    StopReason reason = StopReason::none;
    int breakpoint = 0; // its id, with StopReason::breakpoint
    std::string text() const; // "breakpoint 3", "step", "user", "run to", "rewind"
};

// One routine the CPU is in: entered by a CALL, an RST or an accepted interrupt.
struct CallFrame {
    enum class Kind : uint8_t { call, rst, interrupt };
    Kind kind = Kind::call;
    uint16_t from = 0;     // the address of the CALL or RST, or where the interrupt came
    uint16_t target = 0;   // where it went
    uint16_t returnTo = 0; // the address pushed
    uint16_t sp = 0;       // SP just after the push: the frame ends when SP rises above it
};

// The call stack at one point of a run, with what the debugger holds beside it (an interrupt
// accepted whose handler has not started yet), to take up following it again from there.
struct CallStackState {
    std::vector<CallFrame> frames;
    bool fromStart = false; // followed since the machine started: empty means the top level
    bool interruptPending = false;
    uint16_t interruptFrom = 0;
};

class Debugger {
public:
    Breakpoints breakpoints;

    // The call stack is kept while watching is on, the trace while tracing is on.
    bool watching = false;
    bool tracing = false;
    // Who asks for them: the debugger's views and an automation client choose each on
    // their own, and each history is kept while anyone asks. Kept again after a time
    // without, a history starts afresh (what was kept before has a gap up to now).
    enum class Keeper : uint8_t { views = 1, client = 2 };
    void keepCallStack(Keeper who, bool keep);
    void keepTrace(Keeper who, bool keep);
    const std::vector<CallFrame>& callStack() const { return callStack_; }
    // The call stack has been kept since the machine started (a reset): empty, it means
    // the top level. Kept from some later moment, routines entered before are missing.
    bool callStackFromStart() const { return callStackFromStart_; }
    void callStackStartsNow() { callStackFromStart_ = true; }
    const TraceRing& trace() const { return trace_; }
    CallStackState callStackState() const;
    void setCallStackState(CallStackState state);
    // Takes the call stack and the trace another debugger followed (a run of the past).
    void takeHistory(Debugger& from);
    // The trace's count of instructions goes on from `total` (see TraceRing::total).
    void traceCountsFrom(uint64_t total) { trace_.countFrom(total); }
    // Count the times the call stack or the trace was cleared: what was known of them
    // before is gone.
    uint64_t callStackClears() const { return callStackClears_; }
    uint64_t traceClears() const { return traceClears_; }
    void clearHistory();
    // Each on its own: kept again after a time without, what was kept has a gap up to now.
    void clearCallStack();
    void clearTrace()
    {
        trace_.clear();
        ++traceClears_;
    }

    // Goals: each is met once and then cleared.
    void runTo(uint16_t address);                       // stop before executing at address
                                                        // (not at once, where the run starts)
    void stepOver(uint16_t returnAddress, uint16_t sp); // stop at returnAddress with SP >= sp
    void stepOut(uint16_t sp);                          // stop after a return above sp
    void clearGoal() { goal_ = {}; }
    bool hasGoal() const { return goal_.kind != Goal::Kind::none; }

    // The machine must run over the watching bus: a breakpoint, a goal, or the views.
    bool armed() const { return breakpoints.armed() || hasGoal() || watching || tracing; }

    const StopInfo& stop() const { return stop_; }
    void setStop(StopInfo stop) { stop_ = stop; }
    // An execution breakpoint at the address the machine stopped on would stop it again at
    // once: the first instruction after a stop is not checked against them.
    void resumeFrom(uint16_t pc) { skipExecAt_ = pc; skipExecArmed_ = true; }

    // Collecting instead of stopping (for going back to the last hit): every breakpoint hit
    // adds the position at which it would have stopped the machine, and the run goes on.
    struct Hit {
        MachinePosition position;
        int breakpoint;
    };
    bool collecting = false;
    std::vector<Hit> collected;
    // The machine's slice count, for positions (set by debugRun and debugStep).
    const uint64_t* slices = nullptr;
    // The machine's memory, for conditions on memory bytes (set by debugRun and debugStep).
    const MemoryPages* memory = nullptr;

    // --- called by the watching bus -------------------------------------------------
    // Sets up the checks for a run: what the run has to look at cannot change during it
    // (a goal met, a breakpoint hit, end it). debugRun and debugStep call it.
    void prepare(Z80State& cpu)
    {
        cpu_ = &cpu;
        fastPath_ = !tracing && !watching && !hasGoal() && !breakpoints.watchesAnyRead() && !interruptPending_ &&
                    !collecting;
    }
    // Only execution breakpoints are armed: the run can go over the bus that looks at
    // nothing but the address of each instruction.
    bool execOnly() const { return fastPath_ && breakpoints.onlyExec(); }
    bool beforeInstructionExecOnly(Z80State& cpu)
    {
        return !breakpoints.watchesExec(cpu.PC) || checkExec(cpu);
    }
    // Before an instruction: false stops the run before it. `read` gives the byte at an
    // address as the CPU sees it; `clock` the emulated time now (asked only when tracing).
    template <class Read, class Clock>
    bool beforeInstruction(Z80State& cpu, Read&& read, Clock&& clock)
    {
        const uint16_t pc = cpu.PC;
        if (fastPath_) {
            // Breakpoints only (the common case while a program runs to one): a bit test.
            return !breakpoints.watchesExec(pc) || checkExec(cpu);
        }
        if (interruptPending_)
            noteInterrupt(cpu, uint16_t(read(cpu.SP) | read(uint16_t(cpu.SP + 1)) << 8));
        const std::array<uint8_t, 4> bytes = {read(pc), read(uint16_t(pc + 1)), read(uint16_t(pc + 2)),
                                              read(uint16_t(pc + 3))};
        // Traced once it is sure to run: an instruction the machine stops before is traced
        // when it runs after the stop, not twice.
        if (!checkBefore(cpu, bytes))
            return false;
        if (tracing)
            trace_.add(TraceEntry{clock(), pc, bytes, cpu.AF(), cpu.BC(), cpu.DE(), cpu.HL(), cpu.IX, cpu.IY, cpu.SP});
        return true;
    }
    void afterInstruction(Z80State& cpu)
    {
        if (!fastPath_)
            afterInstructionWatched(cpu);
    }
    void access(BreakKind kind, uint16_t value);
    bool isFetch(uint16_t address) const { return uint16_t(address - fetchStart_) < fetchLength_; }
    void interruptDue(uint16_t code, Z80State& cpu);

private:
    uint8_t callStackKeepers_ = 0; // Keeper bits
    bool callStackFromStart_ = false;
    uint8_t traceKeepers_ = 0;
    uint64_t callStackClears_ = 0;
    uint64_t traceClears_ = 0;
    bool checkBefore(Z80State& cpu, const std::array<uint8_t, 4>& bytes);
    void afterInstructionWatched(Z80State& cpu);
    bool checkExec(Z80State& cpu);
    void noteInterrupt(Z80State& cpu, uint16_t returnTo);
    struct Goal {
        enum class Kind : uint8_t { none, runTo, stepOver, stepOut } kind = Kind::none;
        uint16_t address = 0;
        uint16_t sp = 0;
    };

    void stopHere(StopInfo stop, Z80State& cpu);

    StopInfo stop_;
    Goal goal_;
    bool fastPath_ = false;    // only execution and access breakpoints to look at
    Z80State* cpu_ = nullptr;  // the CPU of the run prepared for
    std::vector<CallFrame> callStack_;
    TraceRing trace_;
    uint16_t fetchStart_ = 0;  // the instruction being executed: its bytes are fetches,
    uint16_t fetchLength_ = 0; // not data reads
    uint16_t spBefore_ = 0;
    uint8_t flowBefore_ = 0;   // Flow of the instruction being executed
    uint16_t targetBefore_ = 0;
    bool interruptPending_ = false; // accepted at the slice end; seen at the next instruction
    uint16_t interruptFrom_ = 0;
    bool skipExecArmed_ = false;
    uint16_t skipExecAt_ = 0;
    int collectAfter_ = 0; // a hit in this instruction (its id): its position comes after it
    MachinePosition positionNow(const Z80State& cpu) const;
};

// Runs over the watching bus until a frame ends, an event is raised, a breakpoint or goal
// stops the machine. Like machineRun otherwise.
void debugRun(Mtx& machine, Debugger& debugger);
// One instruction over the watching bus (a breakpoint it meets is counted and noted, and
// the step ends there anyway).
void debugStep(Mtx& machine, Debugger& debugger);
// machineRunTo over the watching bus.
bool debugRunTo(Mtx& machine, Debugger& debugger, const MachinePosition& target);

} // namespace ollendor
