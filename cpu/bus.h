// What the Z80 core needs from the machine it runs in.
//
// A bus is a type with static inline functions; the core is a template over it, so every
// memory access inlines into the executors with no call through a pointer. The MTX machine
// (machine/bus.h) and the test harnesses (a flat 64 KiB CP/M bus) are both buses.
#pragma once

#include <concepts>
#include <cstdint>

#include "cpu/z80.h"

template <class B>
concept Z80Bus = requires(uint16_t address, uint8_t value, Z80State& cpu) {
    { B::memRead(address) } -> std::same_as<uint8_t>;  // every CPU read, opcode fetches included
    { B::memWrite(address, value) };                   // every CPU write
    { B::portIn(address) } -> std::same_as<uint8_t>;   // IN; the port is the 8-bit number, zero-extended
    { B::portOut(address, value) };                    // OUT
    { B::periodicHook(cpu) } -> std::same_as<uint16_t>; // every cyclesPerHook T-states
    { B::tapeTrap(cpu) };                              // ED FE
};
