// The CPU's run loop and interrupt acceptance; the one header a machine includes to run
// the core over its bus: cpuRun(MtxBus{machine}, machine.cpu).
//
// The loop executes one instruction at a time, subtracting its T-states from cyclesLeft.
// When the slice is spent it calls the bus's periodicHook, reloads a full cyclesPerHook
// (the overshoot is dropped: each hook call stands for exactly one slice of emulated
// time) and acts on the hook's answer: go on, return, or deliver an interrupt. Interrupts
// are therefore only taken between instructions at slice ends; EI has no delay. The bus
// may ask the loop to return at the next instruction boundary (requestStop) without
// changing where slices end, so a machine can stop for an event and go on seamlessly.
#pragma once

#include <cstdint>

#include "cpu/bus.h"
#include "cpu/exec.h"
#include "cpu/exec_base.h"
#include "cpu/exec_cb.h"
#include "cpu/exec_ed.h"
#include "cpu/exec_index.h"
#include "cpu/exec_index_cb.h"

namespace ollendor {

// Accepts or drops one interrupt request. A maskable request while IFF1 is clear is
// dropped, not remembered. Accepting one costs no T-states.
template <Z80Bus Bus>
void cpuInterrupt(Bus bus, Z80State& cpu, uint16_t code)
{
    const bool enabled = cpu.intState & IFF1;
    if (!enabled && code != hookNmi)
        return;
    cpu.intState = uint8_t((cpu.intState & ~(IFF1 | IFF2)) | (enabled ? IFF2 : 0));
    if (cpu.intState & HALTED) {
        cpu.PC = uint16_t(cpu.PC + 1); // resume past the HALT
        cpu.intState &= uint8_t(~HALTED);
    }
    push<Bus>(bus, cpu, cpu.PC);
    if (code == hookNmi)
        cpu.PC = 0x0066;
    else if (cpu.intState & IM2)
        cpu.PC = readWord<Bus>(bus, uint16_t(cpu.I << 8 | (code & 0xFF)));
    else if (cpu.intState & IM1)
        cpu.PC = 0x0038;
    else
        cpu.PC = code; // mode 0: the code is the address to call
}

// One instruction at PC: fetch, charge its cycles, execute.
template <Z80Bus Bus>
[[gnu::always_inline]] inline void cpuExecute(Bus bus, Z80State& cpu)
{
    const uint8_t op = fetchByte<Bus>(bus, cpu);
    cpu.cyclesLeft -= cyclesBase[op];
    execBase<Bus, true>(bus, cpu, op);
}

// Ends a spent slice: calls the periodic hook, starts a new slice (the overshoot is
// dropped: each hook call stands for exactly one slice of emulated time) and acts on the
// hook's answer. True when the run is to return: the hook said quit, or a stop was asked
// for by the hook (a frame ends) or while an interrupt was accepted.
template <Z80Bus Bus>
[[gnu::noinline]] bool cpuEndSlice(Bus bus, Z80State& cpu)
{
    cpu.sliceEndDue = false;
    const uint16_t code = bus.periodicHook(cpu);
    // A stop asked for by the hook applies to the new slice, which is whole.
    cpu.cyclesHeld = 0;
    cpu.cyclesLeft = cpu.cyclesPerHook;
    cpu.zeroCostSteps = 0;
    if (code == hookQuit) {
        cpu.stopRequested = false;
        return true;
    }
    if (code != hookContinue)
        cpuInterrupt<Bus>(bus, cpu, code);
    if (cpu.stopRequested) {
        cpu.stopRequested = false;
        cpu.cyclesLeft += cpu.cyclesHeld;
        cpu.cyclesHeld = 0;
        return true;
    }
    return false;
}

// After an instruction that left cyclesLeft at 0 or below. A stop asked for during the
// instruction returns at once, with the cycles set aside given back; a slice that is then
// spent ends when the run goes on (sliceEndDue), so what the stop was for (an event, a
// watched access) is seen before anything the slice end brings, such as an interrupt.
// Otherwise the slice is spent and ends now. True when the run is to return.
template <Z80Bus Bus>
[[gnu::noinline]] bool cpuAfterInstruction(Bus bus, Z80State& cpu)
{
    if (cpu.stopRequested) {
        cpu.stopRequested = false;
        cpu.cyclesLeft += cpu.cyclesHeld;
        cpu.cyclesHeld = 0;
        cpu.sliceEndDue = cpu.cyclesLeft <= 0;
        return true;
    }
    return cpuEndSlice<Bus>(bus, cpu);
}

// Runs until a stop is asked for (see requestStop) or the hook answers hookQuit; gives PC
// then. A slice end left due by the last stop comes first.
template <Z80Bus Bus>
uint16_t cpuRun(Bus bus, Z80State& cpu)
{
    if (cpu.sliceEndDue && cpuEndSlice<Bus>(bus, cpu))
        return cpu.PC;
    for (;;) {
        if constexpr (InstructionWatcher<Bus>) {
            if (!bus.beforeInstruction(cpu))
                return cpu.PC;
        }
        cpuExecute<Bus>(bus, cpu);
        if constexpr (InstructionWatcher<Bus>)
            bus.afterInstruction(cpu);
        if (cpu.cyclesLeft > 0) [[likely]]
            continue;
        if (cpuAfterInstruction<Bus>(bus, cpu))
            return cpu.PC;
    }
}

// One step: a slice end left due by the last stop if there is one (and nothing more when
// it asks to stop), else exactly one instruction and the slice end after it if it falls
// due (the hook, and an interrupt it raises: a HALT with an interrupt due steps into the
// handler). True when a stop was asked for on the way or the hook said quit. A watching
// bus is not asked before the instruction: a step always executes it.
template <Z80Bus Bus>
bool cpuStep(Bus bus, Z80State& cpu)
{
    if (cpu.sliceEndDue)
        return cpuEndSlice<Bus>(bus, cpu);
    cpuExecute<Bus>(bus, cpu);
    if constexpr (InstructionWatcher<Bus>)
        bus.afterInstruction(cpu);
    return cpu.cyclesLeft <= 0 && cpuAfterInstruction<Bus>(bus, cpu);
}

} // namespace ollendor
