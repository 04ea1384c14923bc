#include "debug/debugger.h"

#include "cpu/run.h"
#include "debug/disassembler.h"
#include "debug/watching_bus.h"
#include "machine/bus.h"
#include "machine/run_to.h"

namespace ollendor {

std::string StopInfo::text() const
{
    switch (reason) {
    case StopReason::none: return "";
    case StopReason::user: return "user";
    case StopReason::breakpoint: return "breakpoint " + std::to_string(breakpoint);
    case StopReason::step: return "step";
    case StopReason::runTo: return "run to";
    case StopReason::rewind: return "rewind";
    case StopReason::reset: return "reset";
    }
    return "";
}

void Debugger::clearHistory()
{
    clearCallStack();
    clearTrace();
}

void Debugger::clearCallStack()
{
    callStack_.clear();
    callStackFromStart_ = false;
    interruptPending_ = false;
    ++callStackClears_;
}

CallStackState Debugger::callStackState() const
{
    return CallStackState{callStack_, callStackFromStart_, interruptPending_, interruptFrom_};
}

void Debugger::setCallStackState(CallStackState state)
{
    callStack_ = std::move(state.frames);
    callStackFromStart_ = state.fromStart;
    interruptPending_ = state.interruptPending;
    interruptFrom_ = state.interruptFrom;
}

void Debugger::takeHistory(Debugger& from)
{
    setCallStackState(from.callStackState());
    std::swap(trace_, from.trace_);
}

namespace {

// Sets or clears who's bit; true when the history goes from not kept to kept.
bool updateKeepers(uint8_t& keepers, Debugger::Keeper who, bool keep)
{
    const bool before = keepers != 0;
    const auto bit = static_cast<uint8_t>(who);
    keepers = keep ? uint8_t(keepers | bit) : uint8_t(keepers & ~bit);
    return keepers != 0 && !before;
}

} // namespace

void Debugger::keepCallStack(Keeper who, bool keep)
{
    if (updateKeepers(callStackKeepers_, who, keep) && !watching)
        clearCallStack();
    watching = callStackKeepers_ != 0;
}

void Debugger::keepTrace(Keeper who, bool keep)
{
    if (updateKeepers(traceKeepers_, who, keep) && !tracing)
        clearTrace();
    tracing = traceKeepers_ != 0;
}

void Debugger::runTo(uint16_t address)
{
    goal_ = Goal{Goal::Kind::runTo, address, 0};
}

void Debugger::stepOver(uint16_t returnAddress, uint16_t sp)
{
    goal_ = Goal{Goal::Kind::stepOver, returnAddress, sp};
}

void Debugger::stepOut(uint16_t sp)
{
    goal_ = Goal{Goal::Kind::stepOut, 0, sp};
}

void Debugger::stopHere(StopInfo stop, Z80State& cpu)
{
    if (collecting && stop.reason == StopReason::breakpoint) {
        if (!collectAfter_)
            collectAfter_ = stop.breakpoint;
        return;
    }
    stop_ = stop;
    requestStop(cpu);
}

MachinePosition Debugger::positionNow(const Z80State& cpu) const
{
    return MachinePosition{slices ? *slices : 0, cyclesLeftInSlice(cpu), cpu.zeroCostSteps};
}

bool Debugger::checkExec(Z80State& cpu)
{
    if (skipExecArmed_ && cpu.PC == skipExecAt_) {
        skipExecArmed_ = false;
        return true;
    }
    skipExecArmed_ = false;
    if (const int id = breakpoints.hit(BreakKind::exec, cpu.PC, cpu, memory)) {
        if (collecting) {
            collected.push_back(Hit{positionNow(cpu), id});
            return true;
        }
        stop_ = StopInfo{StopReason::breakpoint, id};
        return false;
    }
    return true;
}

bool Debugger::checkBefore(Z80State& cpu, const std::array<uint8_t, 4>& bytes)
{
    const uint16_t pc = cpu.PC;
    // The first instruction after a stop, at the address stopped on.
    const bool resuming = skipExecArmed_ && pc == skipExecAt_;
    if (breakpoints.watchesExec(pc)) {
        if (!checkExec(cpu))
            return false;
    } else {
        skipExecArmed_ = false;
    }
    switch (goal_.kind) {
    case Goal::Kind::runTo:
        // Asked for where the machine stands: the next time it comes there, as an
        // execution breakpoint would.
        if (pc == goal_.address && !resuming) {
            goal_ = {};
            stop_ = StopInfo{StopReason::runTo, 0};
            return false;
        }
        break;
    case Goal::Kind::stepOver:
        if (pc == goal_.address && cpu.SP >= goal_.sp) {
            goal_ = {};
            stop_ = StopInfo{StopReason::step, 0};
            return false;
        }
        break;
    default: break;
    }
    const InstructionShape shape = instructionShape(pc, bytes);
    fetchStart_ = pc;
    fetchLength_ = shape.length;
    spBefore_ = cpu.SP;
    flowBefore_ = uint8_t(shape.flow);
    targetBefore_ = shape.target.value_or(0);
    return true;
}

void Debugger::afterInstructionWatched(Z80State& cpu)
{
    const Flow flow = Flow(flowBefore_);
    if (watching) {
        const bool called = (flow == Flow::call || flow == Flow::conditionalCall || flow == Flow::rst) &&
                            cpu.SP == uint16_t(spBefore_ - 2) && cpu.PC == targetBefore_;
        if (called) {
            CallFrame frame;
            frame.kind = flow == Flow::rst ? CallFrame::Kind::rst : CallFrame::Kind::call;
            frame.from = fetchStart_;
            frame.target = cpu.PC;
            frame.returnTo = uint16_t(fetchStart_ + fetchLength_);
            frame.sp = cpu.SP;
            callStack_.push_back(frame);
        }
        // A frame ends when the stack rises above the return address it pushed: a RET, or
        // code that dropped the address some other way.
        while (!callStack_.empty() && callStack_.back().sp < cpu.SP)
            callStack_.pop_back();
    }
    if (goal_.kind == Goal::Kind::stepOut && (flow == Flow::ret || flow == Flow::conditionalRet) &&
        cpu.SP > goal_.sp && cpu.SP != spBefore_) {
        goal_ = {};
        stopHere(StopInfo{StopReason::step, 0}, cpu);
    }
    if (collectAfter_) {
        collected.push_back(Hit{positionNow(cpu), collectAfter_});
        collectAfter_ = 0;
    }
    fetchLength_ = 0;
    flowBefore_ = uint8_t(Flow::next);
}

void Debugger::access(BreakKind kind, uint16_t value)
{
    if (const int id = breakpoints.hit(kind, value, *cpu_, memory))
        stopHere(StopInfo{StopReason::breakpoint, id}, *cpu_);
}

void Debugger::interruptDue(uint16_t code, Z80State& cpu)
{
    // Accepted when interrupts are on, or always for the non-maskable one; the handler's
    // frame is taken at the next instruction, once the CPU has pushed its return address.
    if (code != hookNmi && !(cpu.intState & IFF1))
        return;
    interruptPending_ = watching;
    interruptFrom_ = cpu.PC;
    if (interruptPending_)
        fastPath_ = false;
    if (code != hookNmi && breakpoints.watchesInterrupt((code >> 1) & 3)) {
        if (const int id = breakpoints.hit(BreakKind::interrupt, uint16_t((code >> 1) & 3), cpu, memory)) {
            if (collecting) // the stop would come after the acceptance, at the new slice's start
                collected.push_back(Hit{MachinePosition{slices ? *slices : 0, cpu.cyclesPerHook, 0}, id});
            else
                stopHere(StopInfo{StopReason::breakpoint, id}, cpu);
        }
    }
}

void Debugger::noteInterrupt(Z80State& cpu, uint16_t returnTo)
{
    interruptPending_ = false;
    CallFrame frame;
    frame.kind = CallFrame::Kind::interrupt;
    frame.from = interruptFrom_;
    frame.target = cpu.PC;
    frame.returnTo = returnTo;
    frame.sp = cpu.SP;
    callStack_.push_back(frame);
}

namespace {

// A tape request the host did not answer counts as a missing tape (as machineRun does).
void settle(Mtx& machine)
{
    if (machine.tape.requestPending)
        tapeMissing(machine);
}

} // namespace

void debugRun(Mtx& machine, Debugger& debugger)
{
    settle(machine);
    debugger.slices = &machine.timing.hookCalls;
    debugger.memory = &machine.memory;
    debugger.prepare(machine.cpu);
    if (debugger.execOnly())
        cpuRun(ExecWatchingBus<MtxBus>{MtxBus{&machine}, &debugger}, machine.cpu);
    else
        cpuRun(WatchingBus<MtxBus>{MtxBus{&machine}, &debugger}, machine.cpu);
}

bool debugRunTo(Mtx& machine, Debugger& debugger, const MachinePosition& target)
{
    settle(machine);
    debugger.slices = &machine.timing.hookCalls;
    debugger.memory = &machine.memory;
    debugger.prepare(machine.cpu);
    return runToPosition(machine, WatchingBus<MtxBus>{MtxBus{&machine}, &debugger}, target);
}

void debugStep(Mtx& machine, Debugger& debugger)
{
    settle(machine);
    debugger.slices = &machine.timing.hookCalls;
    debugger.memory = &machine.memory;
    debugger.prepare(machine.cpu);
    WatchingBus<MtxBus> bus{MtxBus{&machine}, &debugger};
    if (machine.cpu.sliceEndDue) {
        cpuStep(bus, machine.cpu);
        return;
    }
    // The step is not asked to stop before its instruction, but the debugger still notes
    // what it is (for the call stack and the trace).
    bus.beforeInstruction(machine.cpu);
    cpuStep(bus, machine.cpu);
}

} // namespace ollendor
