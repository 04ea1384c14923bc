// The CPU's constant tables and its power-on state.
#include <bit>

#include <gtest/gtest.h>

#include "cpu/tables.h"
#include "cpu/z80.h"

using namespace ollendor;

TEST(CpuTables, SignZeroAndParityFlags)
{
    EXPECT_EQ(flagsSZ[0x00], 0x40);
    EXPECT_EQ(flagsSZ[0x80], 0x80);
    EXPECT_EQ(flagsSZ[0x28], 0x00); // bits 5 and 3 are never copied
    EXPECT_EQ(flagsSZP[0x00], 0x44);
    EXPECT_EQ(flagsSZP[0x03], 0x04);
    EXPECT_EQ(flagsSZP[0x01], 0x00);
    EXPECT_EQ(flagsSZP[0xFF], 0x84);
    for (int v = 0; v < 256; ++v) {
        const int even = std::popcount(unsigned(v)) % 2 == 0;
        EXPECT_EQ(flagsSZP[v], flagsSZ[v] | (even ? 0x04 : 0)) << v;
        EXPECT_EQ(flagsSZP[v] & 0x3F, even ? 0x04 : 0) << v; // nothing but S, Z, P/V
    }
}

TEST(CpuTables, DecimalAdjust)
{
    struct Row {
        int index;
        uint16_t af;
    };
    const Row rows[] = {
        {0x00A, 0x1010}, // 0x0A: +6 gives 0x10, H set
        {0x09A, 0x0055}, // 0x9A: +0x66 gives 0x00 with Z, H, P and C
        {0x40F, 0x090E}, // 0x0F after a subtraction: -6 gives 0x09, bit 3, P, N
        {0x03C, 0x4214}, // 0x15 + 0x27 = 0x3C adjusts to 0x42, H set, P
        {0x100, 0x6025}, // 0x00 with C: +0x60, C stays, bit 5 and P from 0x60
        {0x60F, 0x090E}, // N and H with a low nibble of F: H clears
        {0x799, 0x3327}, // 0x99 with N, H, C: -0x66 gives 0x33, C kept, P, bit 5
        {0x699, 0x9386}, // 0x99 with N and H: -6 gives 0x93, S and P, H clears
    };
    for (const auto& row : rows)
        EXPECT_EQ(daaTable[row.index], row.af) << std::hex << row.index;
}

TEST(CpuTables, CycleCounts)
{
    EXPECT_EQ(cyclesIndex[0x66], 19); // LD H,(IX+d) costs like the other loads from (IX+d)
    EXPECT_EQ(cyclesIndex[0x6E], 19);
    EXPECT_EQ(cyclesIndex[0x64], 9);  // undocumented IXH form
    EXPECT_EQ(cyclesIndex[0x01], 0);  // no index form: free
    for (int prefix : {0xCB, 0xDD, 0xED, 0xFD})
        EXPECT_EQ(cyclesBase[prefix], 0) << prefix;
    EXPECT_EQ(cyclesBase[0x10], 8);   // DJNZ, not taken
    EXPECT_EQ(cyclesBase[0xCD], 17);  // CALL nn
    EXPECT_EQ(cyclesBase[0xE3], 19);  // EX (SP),HL
    EXPECT_EQ(cyclesED[0x5F], 9);     // LD A,R
    EXPECT_EQ(cyclesED[0xB0], 0);     // LDIR charges per step
    EXPECT_EQ(cyclesED[0x4C], 0);     // unrecognised
    for (int op = 0; op < 256; ++op) {
        const bool memoryOperand = (op & 7) == 6;
        const bool bit = op >= 0x40 && op < 0x80;
        EXPECT_EQ(cyclesCB[op], memoryOperand ? (bit ? 12 : 15) : 8) << op;
        EXPECT_EQ(cyclesIndexCB[op], bit ? 20 : memoryOperand ? 23 : 0) << op;
    }
}

TEST(CpuReset, PowerOnState)
{
    Z80State cpu{};
    cpu.A = 0x12;
    cpu.SP = 0x1234;
    cpu.intState = IFF1 | IFF2 | IM2 | HALTED;
    cpu.I = 0x55;
    cpu.altHL = 0x9999;
    cpuReset(cpu);
    EXPECT_EQ(cpu.PC, 0x0000);
    EXPECT_EQ(cpu.SP, 0xF000);
    EXPECT_EQ(cpu.AF(), 0);
    EXPECT_EQ(cpu.altHL, 0);
    EXPECT_EQ(cpu.intState, 0);
    EXPECT_EQ(cpu.I, 0);
    EXPECT_EQ(cpu.cyclesLeft, 0); // cyclesPerHook was still 0
}
