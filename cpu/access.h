// Code-stream, word and stack access over the bus, shared by every opcode page.
//
// Words are little-endian: the low byte at the address, the high byte at the next one
// (wrapping at 64 KiB). Pushes write the high byte first at SP-1, then the low byte at SP-2.
#pragma once

#include <cstdint>

#include "cpu/bus.h"

namespace ollendor {

// The byte at PC; PC moves past it.
template <Z80Bus Bus>
inline uint8_t fetchByte(Bus bus, Z80State& cpu)
{
    return bus.memRead(cpu.PC++);
}

// A signed displacement from the code stream.
template <Z80Bus Bus>
inline int8_t fetchDisplacement(Bus bus, Z80State& cpu)
{
    return int8_t(bus.memRead(cpu.PC++));
}

// A 16-bit immediate, low byte first.
template <Z80Bus Bus>
inline uint16_t fetchWord(Bus bus, Z80State& cpu)
{
    const uint8_t low = bus.memRead(cpu.PC++);
    const uint8_t high = bus.memRead(cpu.PC++);
    return uint16_t(high << 8 | low);
}

template <Z80Bus Bus>
inline uint16_t readWord(Bus bus, uint16_t address)
{
    const uint8_t low = bus.memRead(address);
    const uint8_t high = bus.memRead(uint16_t(address + 1));
    return uint16_t(high << 8 | low);
}

template <Z80Bus Bus>
inline void writeWord(Bus bus, uint16_t address, uint16_t value)
{
    bus.memWrite(address, uint8_t(value));
    bus.memWrite(uint16_t(address + 1), uint8_t(value >> 8));
}

template <Z80Bus Bus>
inline void push(Bus bus, Z80State& cpu, uint16_t value)
{
    bus.memWrite(uint16_t(cpu.SP - 1), uint8_t(value >> 8));
    bus.memWrite(uint16_t(cpu.SP - 2), uint8_t(value));
    cpu.SP = uint16_t(cpu.SP - 2);
}

template <Z80Bus Bus>
inline uint16_t pop(Bus bus, Z80State& cpu)
{
    const uint16_t value = readWord<Bus>(bus, cpu.SP);
    cpu.SP = uint16_t(cpu.SP + 2);
    return value;
}

// EX (SP),rr: the low byte is exchanged before the high byte; SP stays.
template <Z80Bus Bus>
inline uint16_t exchangeWithStack(Bus bus, Z80State& cpu, uint16_t value)
{
    const uint8_t low = bus.memRead(cpu.SP);
    bus.memWrite(cpu.SP, uint8_t(value));
    const uint16_t highAddress = uint16_t(cpu.SP + 1);
    const uint8_t high = bus.memRead(highAddress);
    bus.memWrite(highAddress, uint8_t(value >> 8));
    return uint16_t(high << 8 | low);
}

// The bytes of IX and IY, which the index pages address separately.
inline uint8_t highByte(uint16_t word) { return uint8_t(word >> 8); }
inline uint8_t lowByte(uint16_t word) { return uint8_t(word); }
inline void setHighByte(uint16_t& word, uint8_t value) { word = uint16_t((word & 0x00FF) | value << 8); }
inline void setLowByte(uint16_t& word, uint8_t value) { word = uint16_t((word & 0xFF00) | value); }

} // namespace ollendor
