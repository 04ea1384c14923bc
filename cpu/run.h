// The CPU's run loop and interrupt acceptance; the one header a machine includes to run
// the core over its bus: cpuRun<MtxBus>(cpu).
//
// The loop executes one instruction at a time, subtracting its T-states from cyclesLeft.
// When the slice is spent it calls the bus's periodicHook, reloads a full cyclesPerHook
// (the overshoot is dropped: each hook call stands for exactly one slice of emulated
// time) and acts on the hook's answer: go on, return, or deliver an interrupt. Interrupts
// are therefore only taken between instructions at slice ends; EI has no delay.
#pragma once

#include <cstdint>

#include "cpu/bus.h"
#include "cpu/exec.h"
#include "cpu/exec_base.h"
#include "cpu/exec_cb.h"
#include "cpu/exec_ed.h"
#include "cpu/exec_index.h"
#include "cpu/exec_index_cb.h"

// Asked before each instruction while traceFlag is set; false stops cpuRun. No tracer is
// attached, so it always lets the program go on.
inline bool traceStep(Z80State&)
{
    return true;
}

// Accepts or drops one interrupt request. A maskable request while IFF1 is clear is
// dropped, not remembered. Accepting one costs no T-states.
template <Z80Bus Bus>
void cpuInterrupt(Z80State& cpu, uint16_t code)
{
    const bool enabled = cpu.intState & IFF1;
    if (!enabled && code != hookNmi)
        return;
    cpu.intState = uint8_t((cpu.intState & ~(IFF1 | IFF2)) | (enabled ? IFF2 : 0));
    if (cpu.intState & HALTED) {
        cpu.PC = uint16_t(cpu.PC + 1); // resume past the HALT
        cpu.intState &= uint8_t(~HALTED);
    }
    push<Bus>(cpu, cpu.PC);
    if (code == hookNmi)
        cpu.PC = 0x0066;
    else if (cpu.intState & IM2)
        cpu.PC = readWord<Bus>(uint16_t(cpu.I << 8 | (code & 0xFF)));
    else if (cpu.intState & IM1)
        cpu.PC = 0x0038;
    else
        cpu.PC = code; // mode 0: the code is the address to call
}

// Runs until the periodic hook answers hookQuit (or a tracer says stop); gives PC then.
template <Z80Bus Bus>
uint16_t cpuRun(Z80State& cpu)
{
    for (;;) {
        if (cpu.PC == cpu.traceAddress) [[unlikely]]
            cpu.traceFlag = 1;
        if (cpu.traceFlag && !traceStep(cpu))
            return cpu.PC;

        const uint8_t op = fetchByte<Bus>(cpu);
        cpu.cyclesLeft -= cyclesBase[op];
        execBase<Bus, true>(cpu, op);

        if (cpu.cyclesLeft > 0) [[likely]]
            continue;
        const uint16_t code = Bus::periodicHook(cpu);
        cpu.cyclesLeft = cpu.cyclesPerHook;
        if (code == hookQuit)
            return cpu.PC;
        if (code != hookContinue)
            cpuInterrupt<Bus>(cpu, code);
    }
}
