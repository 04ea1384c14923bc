// The debugger's bus: the machine's own bus with every access shown to the debugger first.
// A template over the inner bus, so the same watching serves the MTX and the CP/M harness
// of the benchmarks; the core compiled over it is a second instantiation, and the plain one
// is untouched.
#pragma once

#include "cpu/bus.h"
#include "debug/debugger.h"
#include "machine/bus.h"

namespace ollendor {

template <Z80Bus Inner>
struct WatchingBus {
    Inner inner;
    Debugger* debugger;
    Z80State* cpu;

    uint8_t memRead(uint16_t address) const
    {
        if (debugger->breakpoints.watchesRead(address) && !debugger->isFetch(address)) [[unlikely]]
            debugger->access(BreakKind::read, address, *cpu);
        return inner.memRead(address);
    }
    void memWrite(uint16_t address, uint8_t value) const
    {
        if (debugger->breakpoints.watchesWrite(address)) [[unlikely]]
            debugger->access(BreakKind::write, address, *cpu);
        inner.memWrite(address, value);
    }
    uint8_t portIn(uint16_t port) const
    {
        if (debugger->breakpoints.watchesIn(uint8_t(port)))
            debugger->access(BreakKind::in, uint8_t(port), *cpu);
        return inner.portIn(port);
    }
    void portOut(uint16_t port, uint8_t value) const
    {
        if (debugger->breakpoints.watchesOut(uint8_t(port)))
            debugger->access(BreakKind::out, uint8_t(port), *cpu);
        if constexpr (requires { inner.registerWritten(port, value); }) {
            const int reg = inner.registerWritten(port, value);
            if (reg >= 0 && debugger->breakpoints.watchesVdpRegister(unsigned(reg)))
                debugger->access(BreakKind::vdpRegister, uint16_t(reg), *cpu);
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
        uint64_t cycle = 0;
        if constexpr (requires { inner.cycles(); })
            cycle = inner.cycles();
        return debugger->beforeInstruction(state, [this](uint16_t address) { return inner.memRead(address); }, cycle);
    }
    void afterInstruction(Z80State& state) const { debugger->afterInstruction(state); }
};

} // namespace ollendor
