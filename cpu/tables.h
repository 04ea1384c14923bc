// The CPU's read-only tables: result flags and T-state counts, built at compile time.
//
// flagsSZ and flagsSZP give S, Z (and P) of a result byte so the executors never compute
// sign, zero or parity; they never set bits 5 and 3. daaTable holds the whole AF word after
// DAA for every A and C/H/N combination. The cycle tables hold each opcode's full cost,
// prefix included, charged when the opcode byte is fetched.
#pragma once

#include <array>
#include <cstdint>

#include "cpu/z80.h"

namespace ollendor {

namespace z80tables {

constexpr std::array<uint8_t, 256> makeFlagsSZ()
{
    std::array<uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v)
        table[v] = uint8_t((v & 0x80 ? flagS : 0) | (v == 0 ? flagZ : 0));
    return table;
}

constexpr std::array<uint8_t, 256> makeFlagsSZP()
{
    std::array<uint8_t, 256> table = makeFlagsSZ();
    for (int v = 0; v < 256; ++v) {
        int ones = 0;
        for (int bit = 0; bit < 8; ++bit)
            ones += (v >> bit) & 1;
        if (ones % 2 == 0)
            table[v] |= flagPV;
    }
    return table;
}

// Index: A + 0x100 if C + 0x200 if H + 0x400 if N. Entry: the new AF (A high, F low).
constexpr std::array<uint16_t, 2048> makeDaaTable()
{
    std::array<uint16_t, 2048> table{};
    const auto szp = makeFlagsSZP();
    for (int index = 0; index < 2048; ++index) {
        const int a = index & 0xFF;
        const bool carry = index & 0x100;
        const bool half = index & 0x200;
        const bool subtract = index & 0x400;
        const bool lowAbove9 = (a & 0x0F) > 9;
        int correction = 0;
        bool newCarry = carry;
        if (half || lowAbove9)
            correction |= 0x06;
        if (carry || a > 0x99) {
            correction |= 0x60;
            newCarry = true;
        }
        const int result = (subtract ? a - correction : a + correction) & 0xFF;
        const bool newHalf = subtract ? half && (a & 0x0F) < 6 : lowAbove9;
        const int f = szp[result] | (result & (flag5 | flag3)) | (newHalf ? flagH : 0) |
                      (subtract ? flagN : 0) | (newCarry ? flagC : 0);
        table[index] = uint16_t(result << 8 | f);
    }
    return table;
}

} // namespace z80tables

inline constexpr std::array<uint8_t, 256> flagsSZ = z80tables::makeFlagsSZ();
inline constexpr std::array<uint8_t, 256> flagsSZP = z80tables::makeFlagsSZP();
inline constexpr std::array<uint16_t, 2048> daaTable = z80tables::makeDaaTable();

// Unprefixed opcodes. Conditional jumps, calls and returns hold the not-taken count; the
// taken surcharge is charged by the instruction. The prefixes CB, DD, ED, FD cost 0 here.
inline constexpr std::array<uint8_t, 256> cyclesBase = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     4, 10,  7,  6,  4,  4,  7,  4,  4, 11,  7,  6,  4,  4,  7,  4, // 0x
     8, 10,  7,  6,  4,  4,  7,  4, 12, 11,  7,  6,  4,  4,  7,  4, // 1x
     7, 10, 16,  6,  4,  4,  7,  4,  7, 11, 16,  6,  4,  4,  7,  4, // 2x
     7, 10, 13,  6, 11, 11, 10,  4,  7, 11, 13,  6,  4,  4,  7,  4, // 3x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4, // 4x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4, // 5x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4, // 6x
     7,  7,  7,  7,  7,  7,  4,  7,  4,  4,  4,  4,  4,  4,  7,  4, // 7x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4, // 8x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4, // 9x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4, // Ax
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4, // Bx
     5, 10, 10, 10, 10, 11,  7, 11,  5, 10, 10,  0, 10, 17,  7, 11, // Cx
     5, 10, 10, 11, 10, 11,  7, 11,  5,  4, 10, 11, 10,  0,  7, 11, // Dx
     5, 10, 10, 19, 10, 11,  7, 11,  5,  4, 10,  4, 10,  0,  7, 11, // Ex
     5, 10, 10,  4, 10, 11,  7, 11,  5,  6, 10,  4, 10,  0,  7, 11, // Fx
};

// CB page, prefix included: 8 for a register operand, 12 for BIT n,(HL), 15 for the other
// (HL) forms.
inline constexpr std::array<uint8_t, 256> cyclesCB = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // 0x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // 1x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // 2x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // 3x
     8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8, // 4x
     8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8, // 5x
     8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8, // 6x
     8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8, // 7x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // 8x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // 9x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // Ax
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // Bx
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // Cx
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // Dx
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // Ex
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8, // Fx
};

// ED page, prefix included. 0 marks an unrecognised opcode, and the block repeats B0-BB,
// which charge their own cycles per step.
inline constexpr std::array<uint8_t, 256> cyclesED = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // 0x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // 1x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // 2x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // 3x
    12, 12, 15, 20,  8, 14,  8,  9, 12, 12, 15, 20,  0, 14,  0,  9, // 4x
    12, 12, 15, 20,  0,  0,  8,  9, 12, 12, 15, 20,  0,  0,  8,  9, // 5x
    12, 12, 15, 20,  0,  0,  0, 18, 12, 12, 15, 20,  0,  0,  0, 18, // 6x
    12,  0, 15, 20,  0,  0,  0,  0, 12, 12, 15, 20,  0,  0,  0,  0, // 7x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // 8x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // 9x
    16, 16, 16, 16,  0,  0,  0,  0, 16, 16, 16, 16,  0,  0,  0,  0, // Ax
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // Bx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // Cx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // Dx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // Ex
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // Fx
};

// Second byte after DD or FD, both prefixes served by one table, prefix included. 0 for
// opcodes with no index form: their prefixed form runs as the unprefixed one, for free.
// The undocumented forms on IXH, IXL, IYH and IYL alone cost 9, LD XYH,n and LD XYL,n too.
inline constexpr std::array<uint8_t, 256> cyclesIndex = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     0,  0,  0,  0,  0,  0,  0,  0,  0, 15,  0,  0,  0,  0,  0,  0, // 0x
     0,  0,  0,  0,  0,  0,  0,  0,  0, 15,  0,  0,  0,  0,  0,  0, // 1x
     0, 14, 20, 10,  9,  9,  9,  0,  0, 15, 20, 10,  9,  9,  9,  0, // 2x
     0,  0,  0,  0, 23, 23, 19,  0,  0, 15,  0,  0,  0,  0,  0,  0, // 3x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0, // 4x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0, // 5x
     9,  9,  9,  9,  9,  9, 19,  9,  9,  9,  9,  9,  9,  9, 19,  9, // 6x
    19, 19, 19, 19, 19, 19, 19, 19,  0,  0,  0,  0,  9,  9, 19,  0, // 7x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0, // 8x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0, // 9x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0, // Ax
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0, // Bx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // Cx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, // Dx
     0, 14,  0, 23,  0, 15,  0,  0,  0,  8,  0,  0,  0,  0,  0,  0, // Ex
     0,  0,  0,  0,  0,  0,  0,  0,  0, 10,  0,  0,  0,  0,  0,  0, // Fx
};

// Fourth byte of DD CB d op and FD CB d op, both prefixes and d included: 20 for BIT, 23 for
// the other (XY+d) forms, 0 for the undocumented register-copying forms, which do nothing.
inline constexpr std::array<uint8_t, 256> cyclesIndexCB = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // 0x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // 1x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // 2x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // 3x
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, // 4x
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, // 5x
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, // 6x
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, // 7x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // 8x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // 9x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // Ax
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // Bx
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // Cx
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // Dx
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // Ex
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0, // Fx
};

} // namespace ollendor
