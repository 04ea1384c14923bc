// What the Z80 core needs from the machine it runs in.
//
// A bus is a small handle, passed by value, with inline member (or static) functions; the
// core is a template over it, so every memory access inlines into the executors with no
// call through a pointer. The MTX machine's bus (machine/bus.h) holds a reference to one
// machine value; the test harnesses' buses (a flat 64 KiB CP/M bus) may be empty.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "cpu/z80.h"

namespace ollendor {

// Room for one diagnostic line (an unrecognised prefixed opcode), terminator included.
inline constexpr std::size_t diagnosticLength = 96;

template <class B>
concept Z80Bus = std::copyable<B> && requires(B bus, uint16_t address, uint8_t value, Z80State& cpu,
                                              const char* line) {
    { bus.memRead(address) } -> std::same_as<uint8_t>;   // every CPU read, opcode fetches included
    { bus.memWrite(address, value) };                    // every CPU write
    { bus.portIn(address) } -> std::same_as<uint8_t>;    // IN; the port is the 8-bit number, zero-extended
    { bus.portOut(address, value) };                     // OUT
    { bus.periodicHook(cpu) } -> std::same_as<uint16_t>; // every cyclesPerHook T-states
    { bus.tapeTrap(cpu) };                               // ED FE
    { bus.diagnostic(cpu, line) };                       // one line about an unrecognised opcode
};

// A bus that wants to see every instruction (the debugger's): before each one it may stop
// the run without executing it (an execution breakpoint), and after each one it looks at
// what happened (call stack, trace, stepping goals). Plain buses have neither, and the run
// loop compiled for them has no trace of the checks.
template <class B>
concept InstructionWatcher = requires(B bus, Z80State& cpu) {
    { bus.beforeInstruction(cpu) } -> std::same_as<bool>; // false: stop before this instruction
    { bus.afterInstruction(cpu) };
};

} // namespace ollendor
