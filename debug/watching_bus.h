// The debugger's buses: the machine's own bus with what the debugger needs shown to it
// first. Templates over the inner bus, so the same watching serves the MTX and the CP/M
// harness of the benchmarks; the cores compiled over them are further instantiations, and
// the plain one is untouched.
//
// Two of them: ExecWatchingBus looks only at the address of each instruction (execution
// breakpoints, the case of a program run to a breakpoint), and costs one bit test per
// instruction; WatchingBus shows the debugger every access and every instruction (memory,
// port, register and interrupt breakpoints, goals, call stack, trace).
#pragma once

#include "cpu/bus.h"
#include "debug/debugger.h"
#include "machine/bus.h"

namespace ollendor {

// The emulated time a bus keeps, for the trace; 0 on buses that keep none.
template <Z80Bus Bus>
uint64_t busCycles(const Bus& bus)
{
    if constexpr (requires { bus.cycles(); })
        return bus.cycles();
    else
        return 0;
}

template <Z80Bus Inner>
struct WatchingBus {
    // Small enough to be passed in registers, as the plain buses are.
    [[no_unique_address]] Inner inner;
    Debugger* debugger;

    uint8_t memRead(uint16_t address) const
    {
        if (debugger->breakpoints.watchesAnyRead() && debugger->breakpoints.watchesRead(address) &&
            !debugger->isFetch(address)) [[unlikely]]
            debugger->access(BreakKind::read, address);
        return inner.memRead(address);
    }
    void memWrite(uint16_t address, uint8_t value) const
    {
        if (debugger->breakpoints.watchesAnyMemory() && debugger->breakpoints.watchesWrite(address)) [[unlikely]]
            debugger->access(BreakKind::write, address);
        inner.memWrite(address, value);
    }
    uint8_t portIn(uint16_t port) const
    {
        if (debugger->breakpoints.watchesIn(uint8_t(port)))
            debugger->access(BreakKind::in, uint8_t(port));
        return inner.portIn(port);
    }
    void portOut(uint16_t port, uint8_t value) const
    {
        if (debugger->breakpoints.watchesOut(uint8_t(port)))
            debugger->access(BreakKind::out, uint8_t(port));
        if constexpr (requires { inner.registerWritten(port, value); }) {
            const int reg = inner.registerWritten(port, value);
            if (reg >= 0 && debugger->breakpoints.watchesVdpRegister(unsigned(reg)))
                debugger->access(BreakKind::vdpRegister, uint16_t(reg));
        }
        inner.portOut(port, value);
    }
    uint16_t periodicHook(Z80State& state) const
    {
        const uint16_t code = inner.periodicHook(state);
        if (code != hookContinue && code != hookQuit)
            debugger->interruptDue(code, state);
        return code;
    }
    void tapeTrap(Z80State& state) const { inner.tapeTrap(state); }
    void diagnostic(Z80State& state, const char* line) const { inner.diagnostic(state, line); }

    bool beforeInstruction(Z80State& state) const
    {
        return debugger->beforeInstruction(state, [this](uint16_t address) { return inner.memRead(address); },
                                           [this] { return busCycles(inner); });
    }
    void afterInstruction(Z80State& state) const { debugger->afterInstruction(state); }
};

template <Z80Bus Inner>
struct ExecWatchingBus {
    [[no_unique_address]] Inner inner;
    Debugger* debugger;

    uint8_t memRead(uint16_t address) const { return inner.memRead(address); }
    void memWrite(uint16_t address, uint8_t value) const { inner.memWrite(address, value); }
    uint8_t portIn(uint16_t port) const { return inner.portIn(port); }
    void portOut(uint16_t port, uint8_t value) const { inner.portOut(port, value); }
    uint16_t periodicHook(Z80State& state) const { return inner.periodicHook(state); }
    void tapeTrap(Z80State& state) const { inner.tapeTrap(state); }
    void diagnostic(Z80State& state, const char* line) const { inner.diagnostic(state, line); }
    bool beforeInstruction(Z80State& state) const { return debugger->beforeInstructionExecOnly(state); }
    void afterInstruction(Z80State&) const {}
};

} // namespace ollendor
