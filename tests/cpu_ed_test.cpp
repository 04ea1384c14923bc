// ED page: block instructions across slice ends, 16-bit arithmetic, NEG, I/O, interrupt
// control, LD A,R, and the unrecognised opcodes.
#include <string>

#include <gtest/gtest.h>

#include "tests/cpu_test_bus.h"

using namespace ollendor;


namespace {

// Source bytes at 0x4000 and the destination at 0x6000 for the copy tests.
Z80State copySetup(uint8_t op, uint16_t count)
{
    Z80State cpu = freshCpu({0xED, op}, 0x0100);
    cpu.setHL(0x4000);
    cpu.setDE(0x6000);
    cpu.setBC(count);
    for (int i = 0; i < 0x100; ++i)
        TestBus::memory[0x4000 + i] = uint8_t(i + 1);
    return cpu;
}

} // namespace

TEST(CpuED, LdirFinishesWithinTheSlice)
{
    Z80State cpu = copySetup(0xB0, 3);
    cpu.F = 0xFF;
    EXPECT_EQ(runToTrap(cpu), 58); // 21 + 21 + 16
    EXPECT_EQ(cpu.BC(), 0);
    EXPECT_EQ(cpu.F, 0xE9);           // P/V, H and N clear; S, Z, C, bits 5/3 kept
    EXPECT_EQ(cpu.PC, 0x0104); // past the LDIR and the end trap
    EXPECT_EQ(TestBus::memory[0x6002], 3);
    EXPECT_EQ(TestBus::memory[0x6003], 0);
}

TEST(CpuED, LdirStopsAtSliceEndAndResumes)
{
    Z80State cpu = copySetup(0xB0, 0x1000);
    // The first slice copies 5 bytes: 79, 58, 37, 16, -5.
    cpu.cyclesLeft = 100;
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(TestBus::hookCalls[0].cyclesLeft, -5);
    EXPECT_EQ(cpu.BC(), 0x0FFB);
    EXPECT_EQ(cpu.PC, 0x0100); // back on the ED byte
    EXPECT_TRUE(cpu.F & flagPV);
    EXPECT_EQ(TestBus::memory[0x6004], 5);
    EXPECT_EQ(TestBus::memory[0x6005], 0);

    // The next slice goes on where it stopped.
    cpu.cyclesLeft = 100;
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(cpu.BC(), 0x0FF6);
    EXPECT_EQ(TestBus::memory[0x6009], 10);
    EXPECT_EQ(cpu.DE(), 0x600A);
}

TEST(CpuED, LdirStopsWhenTheBudgetIsExactlySpent)
{
    Z80State cpu = copySetup(0xB0, 0x1000);
    cpu.cyclesLeft = 42; // 21, 0: two steps, no third
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(TestBus::hookCalls[0].cyclesLeft, 0);
    EXPECT_EQ(cpu.BC(), 0x0FFE);
    EXPECT_EQ(TestBus::memory[0x6002], 0);
}

TEST(CpuED, InterruptBetweenRepetitionsReturnsToTheBlock)
{
    Z80State cpu = copySetup(0xB8, 0x0100); // LDDR
    cpu.intState = IFF1 | IM1;
    cpu.SP = 0x9000;
    TestBus::hookAnswers = {0x00FF};
    cpu.cyclesLeft = 50;
    TestBus::memory[0x0038] = 0x76; // HALT in the handler ends the test
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(TestBus::memory[0x8FFE], 0x00); // pushed PC: the LDDR's ED byte
    EXPECT_EQ(TestBus::memory[0x8FFF], 0x01);
    EXPECT_EQ(cpu.BC(), 0x00FD);
    EXPECT_EQ(cpu.HL(), 0x3FFD);
}

TEST(CpuED, CompareRepeatStopsAtMatch)
{
    Z80State cpu = freshCpu({0xED, 0xB1}); // CPIR
    cpu.A = 0x41;
    cpu.F = 0x01;
    cpu.setHL(0x5000);
    cpu.setBC(0x0010);
    TestBus::memory[0x5000] = 0x10;
    TestBus::memory[0x5001] = 0x41;
    EXPECT_EQ(runToTrap(cpu), 37); // 21 + 16
    EXPECT_EQ(cpu.HL(), 0x5002);
    EXPECT_EQ(cpu.BC(), 0x000E);
    EXPECT_EQ(cpu.F, 0x47); // Z, P/V (BC not 0), N, C kept
    EXPECT_EQ(cpu.PC, 0x0004); // past the CPIR and the end trap
}

TEST(CpuED, CompareRepeatRunsOutOfCount)
{
    Z80State cpu = freshCpu({0xED, 0xB9}); // CPDR
    cpu.A = 0x00;
    cpu.setHL(0x5001);
    cpu.setBC(0x0002);
    TestBus::memory[0x5000] = 0x01;
    TestBus::memory[0x5001] = 0x02;
    EXPECT_EQ(runToTrap(cpu), 37);
    EXPECT_EQ(cpu.HL(), 0x4FFF);
    EXPECT_EQ(cpu.F, 0x92); // A - 1: S, H, N; P/V clear since BC is 0
}

TEST(CpuED, InputRepeatEndsWithZeroAndSubtract)
{
    Z80State cpu = freshCpu({0xED, 0xB2}); // INIR
    cpu.F = 0xFF;
    cpu.setBC(0x0307);
    cpu.setHL(0x7000);
    TestBus::portInputs = {0xAA, 0xBB, 0xCC};
    EXPECT_EQ(runToTrap(cpu), 58);
    EXPECT_EQ(cpu.F, 0x42); // the carry is cleared too
    EXPECT_EQ(TestBus::portInCalls, std::vector<uint16_t>({7, 7, 7}));
    EXPECT_EQ(TestBus::memory[0x7002], 0xCC);
    EXPECT_EQ(cpu.HL(), 0x7003);

    cpu = freshCpu({0xED, 0xA3}); // OUTI, B not yet 0
    cpu.setBC(0x0210);
    cpu.setHL(0x7000);
    TestBus::memory[0x7000] = 0x5A;
    runSlice(cpu);
    EXPECT_EQ(cpu.F, 0x02);
    const std::vector<std::pair<uint16_t, uint8_t>> written = {{0x10, 0x5A}};
    EXPECT_EQ(TestBus::portOutCalls, written);
}

TEST(CpuED, ArithmeticFlags)
{
    struct Row {
        const char* what;
        std::initializer_list<uint8_t> code;
        uint8_t a, f;
        uint16_t hl, bc;
        uint8_t expectedA, expectedF;
        uint16_t expectedHL;
        uint8_t expectedMemory = 0x20; // at 0x8000, which holds 0x20 before
    };
    const Row rows[] = {
        {"NEG of 0x80", {0xED, 0x44}, 0x80, 0x00, 0, 0, 0x80, 0x87, 0},
        {"NEG of 0", {0xED, 0x44}, 0x00, 0x01, 0, 0, 0x00, 0x42, 0},
        {"NEG of 1", {0xED, 0x44}, 0x01, 0x00, 0, 0, 0xFF, 0x93, 0},
        {"SBC HL,HL with carry", {0xED, 0x62}, 0, 0x01, 0x1234, 0, 0, 0x93, 0xFFFF},
        {"SBC HL,BC to zero", {0xED, 0x42}, 0, 0x00, 0x1234, 0x1234, 0, 0x42, 0x0000},
        {"SBC HL,BC overflows", {0xED, 0x42}, 0, 0x00, 0x8000, 0x0001, 0, 0x16, 0x7FFF},
        {"ADC HL,BC overflows", {0xED, 0x4A}, 0, 0x00, 0x7FFF, 0x0001, 0, 0x94, 0x8000},
        {"ADC HL,BC carries", {0xED, 0x4A}, 0, 0x01, 0xFFFF, 0x0000, 0, 0x51, 0x0000},
        {"RLD", {0xED, 0x6F}, 0x84, 0x01, 0x8000, 0, 0x82, 0x85, 0x8000, 0x04},
        {"RRD", {0xED, 0x67}, 0x84, 0x00, 0x8000, 0, 0x80, 0x80, 0x8000, 0x42},
    };
    for (const auto& row : rows) {
        Z80State cpu = freshCpu(row.code);
        cpu.A = row.a;
        cpu.F = row.f;
        cpu.setHL(row.hl);
        cpu.setBC(row.bc);
        TestBus::memory[0x8000] = 0x20;
        runSlice(cpu);
        EXPECT_EQ(cpu.A, row.expectedA) << row.what;
        EXPECT_EQ(cpu.F, row.expectedF) << row.what;
        EXPECT_EQ(cpu.HL(), row.expectedHL) << row.what;
        EXPECT_EQ(TestBus::memory[0x8000], row.expectedMemory) << row.what;
    }
}

TEST(CpuED, LoadAFromRFollowsTheCycleCounter)
{
    Z80State cpu = freshCpu({0xED, 0x5F, 0x76}); // LD A,R; HALT
    cpu.F = 0x01;
    cpu.intState = IFF1;
    runSlice(cpu, 1000);
    EXPECT_EQ(cpu.A, 0x21); // 1000 - 9 = 0x3DF; -0xDF = 0x21
    EXPECT_EQ(cpu.F, 0x05); // P/V from IFF1, carry kept

    // Right after a hook call the counter restarts from cyclesPerHook.
    cpu = freshCpu({0x00, 0xED, 0x5F, 0x76}); // NOP; LD A,R; HALT
    cpu.cyclesLeft = 1;
    TestBus::hookAnswers = {hookContinue};
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(cpu.A, 0x09); // 2048 - 9 = 0x7F7; -0xF7 = 0x09
}

TEST(CpuED, InterruptControl)
{
    Z80State cpu = freshCpu({0xED, 0x5E, 0xED, 0x47, 0xED, 0x57}); // IM 2; LD I,A; LD A,I
    cpu.A = 0x80;
    cpu.intState = IM1;
    EXPECT_EQ(runToTrap(cpu), 26);
    EXPECT_EQ(cpu.intState, IM2);
    EXPECT_EQ(cpu.I, 0x80);
    EXPECT_EQ(cpu.F, 0x80); // S from A, P/V from the clear IFF1

    cpu = freshCpu({0xED, 0x45}, 0x0100); // RETN copies IFF2 into IFF1
    cpu.intState = IFF2;
    cpu.SP = 0x9000;
    TestBus::memory[0x9001] = 0x12;
    EXPECT_EQ(runSlice(cpu), 14);
    EXPECT_EQ(cpu.intState, IFF1 | IFF2);
    EXPECT_EQ(cpu.PC, 0x1200);
    EXPECT_EQ(cpu.SP, 0x9002);
}

TEST(CpuED, UnrecognisedOpcodesDoNothingForFree)
{
    for (uint8_t op : {0x4C, 0x71, 0xFF, 0x00, 0xB4}) {
        Z80State cpu = freshCpu({0xED, op, 0x00}); // then NOP
        cpu.setAF(0x1234);
        cpu.setBC(0x5678);
        Z80State before = cpu;
        testing::internal::CaptureStdout();
        EXPECT_EQ(runSlice(cpu), 4) << int(op); // only the NOP costs
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << int(op);
        EXPECT_EQ(cpu.PC, 0x0003) << int(op);
        EXPECT_EQ(cpu.AF(), before.AF());
        EXPECT_EQ(cpu.BC(), before.BC());
    }

    Z80State cpu = freshCpu({0x00, 0xED, 0x4C, 0x00}, 0x0200);
    cpu.reportUnknown = 1;
    cpu.cpuId = 0x1A;
    testing::internal::CaptureStdout();
    runSlice(cpu, 8);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[Z80 1A] Unrecognized instruction: ED 4C at PC=0201\n");
}

TEST(CpuED, SecondPrefixAndTapeTrap)
{
    Z80State cpu = freshCpu({0xED, 0xED, 0x44}); // ED ED NEG: the second ED starts over
    cpu.A = 0x01;
    EXPECT_EQ(runSlice(cpu), 8);
    EXPECT_EQ(cpu.A, 0xFF);

    cpu = freshCpu({}); // only the tape trap
    cpu.F = 0xA5;
    EXPECT_EQ(runToTrap(cpu), 0);
    EXPECT_EQ(cpu.F, 0xA5);
    EXPECT_EQ(cpu.PC, 0x0002);
}
