// Arithmetic, logic, rotate and bit operations with their flag rules, shared by the pages.
//
// Operations whose F is built from flagsSZ/flagsSZP leave bits 5 and 3 clear; those that
// mask the old F (the accumulator rotates, 16-bit ADD, BIT) keep them.
#pragma once

#include <cstdint>

#include "cpu/tables.h"
#include "cpu/z80.h"

namespace ollendor {

// Bits of F that the masking operations keep.
inline constexpr uint8_t keptBySZPV = flagS | flagZ | flagPV | flag5 | flag3;

inline void addToA(Z80State& cpu, uint8_t value, int carry)
{
    const int a = cpu.A;
    const int sum = a + value + carry;
    const uint8_t result = uint8_t(sum);
    const int overflow = (~(a ^ value) & (a ^ result) & 0x80) >> 5;
    cpu.F = uint8_t(flagsSZ[result] | ((a ^ value ^ result) & flagH) | overflow | (sum >> 8));
    cpu.A = result;
}

// A - value - carry with the SUB flags; A is left alone, so CP uses it directly.
inline uint8_t subtractFromA(Z80State& cpu, uint8_t value, int carry)
{
    const int a = cpu.A;
    const int difference = a - value - carry;
    const uint8_t result = uint8_t(difference);
    const int overflow = ((a ^ value) & (a ^ result) & 0x80) >> 5;
    cpu.F = uint8_t(flagsSZ[result] | ((a ^ value ^ result) & flagH) | overflow | flagN |
                    ((difference >> 8) & flagC));
    return result;
}

inline void add8(Z80State& cpu, uint8_t value) { addToA(cpu, value, 0); }
inline void adc8(Z80State& cpu, uint8_t value) { addToA(cpu, value, cpu.F & flagC); }
inline void sub8(Z80State& cpu, uint8_t value) { cpu.A = subtractFromA(cpu, value, 0); }
inline void sbc8(Z80State& cpu, uint8_t value) { cpu.A = subtractFromA(cpu, value, cpu.F & flagC); }
inline void cp8(Z80State& cpu, uint8_t value) { subtractFromA(cpu, value, 0); }

inline void and8(Z80State& cpu, uint8_t value)
{
    cpu.A &= value;
    cpu.F = uint8_t(flagsSZP[cpu.A] | flagH);
}

inline void xor8(Z80State& cpu, uint8_t value)
{
    cpu.A ^= value;
    cpu.F = flagsSZP[cpu.A];
}

inline void or8(Z80State& cpu, uint8_t value)
{
    cpu.A |= value;
    cpu.F = flagsSZP[cpu.A];
}

inline uint8_t inc8(Z80State& cpu, uint8_t value)
{
    const uint8_t result = uint8_t(value + 1);
    cpu.F = uint8_t(flagsSZ[result] | ((result & 0x0F) == 0 ? flagH : 0) |
                    (result == 0x80 ? flagPV : 0) | (cpu.F & flagC));
    return result;
}

inline uint8_t dec8(Z80State& cpu, uint8_t value)
{
    const uint8_t result = uint8_t(value - 1);
    cpu.F = uint8_t(flagsSZ[result] | ((result & 0x0F) == 0x0F ? flagH : 0) |
                    (result == 0x7F ? flagPV : 0) | flagN | (cpu.F & flagC));
    return result;
}

// ADD HL/IX/IY,rr: H from bit 11, C from bit 15; S, Z, P/V and bits 5 and 3 kept.
inline uint16_t add16(Z80State& cpu, uint16_t left, uint16_t right)
{
    const int sum = left + right;
    cpu.F = uint8_t((cpu.F & keptBySZPV) | (((left ^ right ^ sum) >> 8) & flagH) | (sum >> 16));
    return uint16_t(sum);
}

// ADC HL,rr (ED page): every flag from the 16-bit result; bits 5 and 3 clear.
inline uint16_t adc16(Z80State& cpu, uint16_t left, uint16_t right)
{
    const int sum = left + right + (cpu.F & flagC);
    const uint16_t result = uint16_t(sum);
    cpu.F = uint8_t(((result >> 8) & flagS) | (result == 0 ? flagZ : 0) |
                    (((left ^ right ^ sum) >> 8) & flagH) |
                    ((((result ^ right) & ~(left ^ right)) >> 13) & flagPV) | ((sum >> 16) & flagC));
    return result;
}

// SBC HL,rr (ED page).
inline uint16_t sbc16(Z80State& cpu, uint16_t left, uint16_t right)
{
    const int difference = left - right - (cpu.F & flagC);
    const uint16_t result = uint16_t(difference);
    cpu.F = uint8_t(((result >> 8) & flagS) | (result == 0 ? flagZ : 0) |
                    (((left ^ right ^ difference) >> 8) & flagH) |
                    ((((result ^ left) & (left ^ right)) >> 13) & flagPV) | flagN |
                    ((difference >> 16) & flagC));
    return result;
}

// The CB-page rotates and shifts: the whole F from flagsSZP plus the bit shifted out.
inline uint8_t shiftResult(Z80State& cpu, int result, int carry)
{
    cpu.F = uint8_t(flagsSZP[uint8_t(result)] | carry);
    return uint8_t(result);
}

inline uint8_t rlc(Z80State& cpu, uint8_t v) { return shiftResult(cpu, v << 1 | v >> 7, v >> 7); }
inline uint8_t rrc(Z80State& cpu, uint8_t v) { return shiftResult(cpu, v >> 1 | v << 7, v & 1); }
inline uint8_t rl(Z80State& cpu, uint8_t v) { return shiftResult(cpu, v << 1 | (cpu.F & flagC), v >> 7); }
inline uint8_t rr(Z80State& cpu, uint8_t v) { return shiftResult(cpu, v >> 1 | (cpu.F & flagC) << 7, v & 1); }
inline uint8_t sla(Z80State& cpu, uint8_t v) { return shiftResult(cpu, v << 1, v >> 7); }
inline uint8_t sra(Z80State& cpu, uint8_t v) { return shiftResult(cpu, v >> 1 | (v & 0x80), v & 1); }
inline uint8_t sll(Z80State& cpu, uint8_t v) { return shiftResult(cpu, v << 1 | 1, v >> 7); }
inline uint8_t srl(Z80State& cpu, uint8_t v) { return shiftResult(cpu, v >> 1, v & 1); }

// BIT n: Z from the bit, H set, N clear; S, P/V, C and bits 5 and 3 kept.
inline void bitTest(Z80State& cpu, int bit, uint8_t value)
{
    cpu.F = uint8_t((cpu.F & ~(flagZ | flagN)) | ((value >> bit) & 1 ? 0 : flagZ) | flagH);
}

// RLCA, RRCA, RLA, RRA: C from the bit shifted out; H and N clear; the rest kept.
inline void rotateA(Z80State& cpu, int result, int carry)
{
    cpu.A = uint8_t(result);
    cpu.F = uint8_t((cpu.F & keptBySZPV) | carry);
}

} // namespace ollendor
