// DD/FD pages and the indexed bit page DD CB / FD CB.
#include <string>

#include <gtest/gtest.h>

#include "tests/cpu_test_bus.h"

using namespace ollendor;


TEST(CpuIndex, DisplacementWrapsAt64K)
{
    struct Row {
        const char* what;
        std::initializer_list<uint8_t> code;
        uint16_t ix;
        uint16_t address; // the byte LD A,(IX+d) must read
    };
    const Row rows[] = {
        {"IX = 0xFFFF, d = +1", {0xDD, 0x7E, 0x01}, 0xFFFF, 0x0000},
        {"IX = 0, d = -128", {0xDD, 0x7E, 0x80}, 0x0000, 0xFF80},
        {"IX = 0x1000, d = -1", {0xDD, 0x7E, 0xFF}, 0x1000, 0x0FFF},
    };
    for (const auto& row : rows) {
        Z80State cpu = freshCpu(row.code, 0x4000);
        cpu.IX = row.ix;
        TestBus::memory[row.address] = 0x5A;
        EXPECT_EQ(runSlice(cpu), 19) << row.what;
        EXPECT_EQ(cpu.A, 0x5A) << row.what;
    }
}

TEST(CpuIndex, FormsAndCycles)
{
    struct Row {
        const char* what;
        std::initializer_list<uint8_t> code;
        int cycles;
        uint16_t ix, iy, hl, bc; // after
    };
    // Before each row: IX = 0x1122, IY = 0x3344, HL = 0x5566, BC = 0x7788, (IX+5) = 0x99,
    // the word at IX 0xF00D.
    const Row rows[] = {
        {"LD IX,nn", {0xDD, 0x21, 0x34, 0x12}, 14, 0x1234, 0x3344, 0x5566, 0x7788},
        {"LD H,(IX+5) loads the real H", {0xDD, 0x66, 0x05}, 19, 0x1122, 0x3344, 0x9966, 0x7788},
        {"LD IXH,n sets only the high byte", {0xDD, 0x26, 0x56}, 9, 0x5622, 0x3344, 0x5566, 0x7788},
        {"LD IXH,IXL", {0xDD, 0x65}, 9, 0x2222, 0x3344, 0x5566, 0x7788},
        {"LD IYL,IYH", {0xFD, 0x6C}, 9, 0x1122, 0x3333, 0x5566, 0x7788},
        {"LD B,IXL", {0xDD, 0x45}, 9, 0x1122, 0x3344, 0x5566, 0x2288},
        {"LD IYL,C", {0xFD, 0x69}, 9, 0x1122, 0x3388, 0x5566, 0x7788},
        {"LD BC,nn behind DD costs nothing", {0xDD, 0x01, 0x34, 0x12}, 0, 0x1122, 0x3344, 0x5566, 0x1234},
        {"EX DE,HL behind DD is on HL", {0xDD, 0xEB}, 0, 0x1122, 0x3344, 0x0000, 0x7788},
        {"DD DD: the first prefix is dropped", {0xDD, 0xDD, 0x21, 0x34, 0x12}, 14, 0x1234, 0x3344, 0x5566, 0x7788},
        {"DD FD: IY is loaded", {0xDD, 0xFD, 0x21, 0x34, 0x12}, 14, 0x1122, 0x1234, 0x5566, 0x7788},
        {"INC IY", {0xFD, 0x23}, 10, 0x1122, 0x3345, 0x5566, 0x7788},
        {"ADD IX,IX", {0xDD, 0x29}, 15, 0x2244, 0x3344, 0x5566, 0x7788},
        {"LD SP,IX then POP IY", {0xDD, 0xF9, 0xFD, 0xE1}, 24, 0x1122, 0xF00D, 0x5566, 0x7788},
    };
    for (const auto& row : rows) {
        Z80State cpu = freshCpu(row.code);
        cpu.IX = 0x1122;
        cpu.IY = 0x3344;
        cpu.setHL(0x5566);
        cpu.setBC(0x7788);
        TestBus::memory[0x1127] = 0x99;
        TestBus::memory[0x1122] = 0x0D;
        TestBus::memory[0x1123] = 0xF0;
        EXPECT_EQ(runToTrap(cpu), row.cycles) << row.what;
        EXPECT_EQ(cpu.IX, row.ix) << row.what;
        EXPECT_EQ(cpu.IY, row.iy) << row.what;
        EXPECT_EQ(cpu.HL(), row.hl) << row.what;
        EXPECT_EQ(cpu.BC(), row.bc) << row.what;
    }
}

TEST(CpuIndex, UnprefixedFormsGetNoTakenSurcharge)
{
    Z80State cpu = freshCpu({0xDD, 0x20, 0x02, 0x00, 0x00}); // DD JR NZ,+2 (taken)
    EXPECT_EQ(runToTrap(cpu), 0);
    EXPECT_EQ(cpu.PC, 0x0007);

    cpu = freshCpu({0xDD, 0x10, 0x00}); // DD DJNZ +0 (taken)
    cpu.B = 2;
    EXPECT_EQ(runToTrap(cpu), 0);
    EXPECT_EQ(cpu.B, 1);
}

TEST(CpuIndex, MemoryOperandsAndAlu)
{
    Z80State cpu = freshCpu({0xFD, 0x36, 0x02, 0x99}); // LD (IY+2),0x99
    cpu.IY = 0x8000;
    EXPECT_EQ(runToTrap(cpu), 19);
    EXPECT_EQ(TestBus::memory[0x8002], 0x99);

    cpu = freshCpu({0xDD, 0x35, 0xFE}); // DEC (IX-2): one read, one write
    cpu.IX = 0x8002;
    TestBus::memory[0x8000] = 0x01;
    EXPECT_EQ(runToTrap(cpu), 23);
    const std::vector<TestBus::Access> expected = {{false, 0x8000, 0x01}, {true, 0x8000, 0x00}};
    EXPECT_EQ(TestBus::accessesAt(0x8000), expected);
    EXPECT_EQ(cpu.F, 0x42);

    cpu = freshCpu({0xDD, 0x84, 0xFD, 0xBD}); // ADD A,IXH; CP IYL
    cpu.A = 0x7F;
    cpu.IX = 0x0100;
    cpu.IY = 0x0080;
    EXPECT_EQ(runToTrap(cpu), 18);
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_EQ(cpu.F, 0x42); // 0x80 - 0x80: Z and N

    cpu = freshCpu({0xDD, 0xE3}); // EX (SP),IX
    cpu.SP = 0x9000;
    cpu.IX = 0xAABB;
    TestBus::memory[0x9000] = 0x11;
    TestBus::memory[0x9001] = 0x22;
    EXPECT_EQ(runToTrap(cpu), 23);
    EXPECT_EQ(cpu.IX, 0x2211);
    EXPECT_EQ(TestBus::memory[0x9000], 0xBB);
    EXPECT_EQ(TestBus::memory[0x9001], 0xAA);
}

TEST(CpuIndex, HaltBehindPrefixResumesPastTheHalt)
{
    Z80State cpu = freshCpu({0xDD, 0x76, 0x00}, 0x0100);
    cpu.intState = IFF1 | IM1;
    cpu.SP = 0x9000;
    TestBus::memory[0x0038] = 0xED; // the handler: the end trap
    TestBus::memory[0x0039] = 0xFE;
    TestBus::hookAnswers = {hookContinue, 0x00FF};
    cpu.cyclesLeft = 100;
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(TestBus::hookCalls[0].pc, 0x0101); // on the 76 byte, not the prefix
    EXPECT_EQ(TestBus::memory[0x8FFE], 0x02);    // the interrupt returns past the 76 byte
    EXPECT_EQ(TestBus::memory[0x8FFF], 0x01);
    EXPECT_FALSE(cpu.intState & HALTED);
}

TEST(CpuIndex, EdAfterPrefix)
{
    // DD ED: silent; 44 then runs as LD B,H.
    Z80State cpu = freshCpu({0xDD, 0xED, 0x44}, 0x4000);
    cpu.H = 0x12;
    testing::internal::CaptureStdout();
    runToTrap(cpu);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(cpu.B, 0x12);

    // FD ED always reports, without the CPU number.
    cpu = freshCpu({0xFD, 0xED, 0x44}, 0x4000);
    cpu.H = 0x34;
    testing::internal::CaptureStdout();
    runToTrap(cpu);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unrecognized instruction: FD ED at PC=4000\n");
    EXPECT_EQ(cpu.B, 0x34);

    // DD ED reports only when asked to.
    cpu = freshCpu({0xDD, 0xED, 0x44}, 0x4000);
    cpu.reportUnknown = 1;
    cpu.cpuId = 2;
    testing::internal::CaptureStdout();
    runToTrap(cpu);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[Z80 2] Unrecognized instruction: DD ED at PC=4000\n");
}

TEST(CpuIndexCB, Forms)
{
    struct Row {
        const char* what;
        std::initializer_list<uint8_t> code;
        uint16_t address; // operand address with IX = IY = 0x1000
        uint8_t value, f;
        int cycles;
        uint8_t expectedValue, expectedF;
    };
    const Row rows[] = {
        {"RLC (IX+5)", {0xDD, 0xCB, 0x05, 0x06}, 0x1005, 0x80, 0x00, 23, 0x01, 0x01},
        {"SLL (IX+0) of 0x80", {0xDD, 0xCB, 0x00, 0x36}, 0x1000, 0x80, 0x00, 23, 0x01, 0x01},
        {"SRL (IY-1)", {0xFD, 0xCB, 0xFF, 0x3E}, 0x0FFF, 0x01, 0xFF, 23, 0x00, 0x45},
        {"BIT 0,(IX+0) of 0", {0xDD, 0xCB, 0x00, 0x46}, 0x1000, 0x00, 0xA9, 20, 0x00, 0xF9},
        {"BIT 0 as DD CB 00 47", {0xDD, 0xCB, 0x00, 0x47}, 0x1000, 0x00, 0xA9, 20, 0x00, 0xF9},
        {"BIT 0 as DD CB 00 40", {0xDD, 0xCB, 0x00, 0x40}, 0x1000, 0x01, 0x42, 20, 0x01, 0x10},
        {"RES 3,(IX+2)", {0xDD, 0xCB, 0x02, 0x9E}, 0x1002, 0xFF, 0x00, 23, 0xF7, 0x00},
        {"SET 7,(IY+2) keeps F", {0xFD, 0xCB, 0x02, 0xFE}, 0x1002, 0x00, 0xD7, 23, 0x80, 0xD7},
        {"undocumented SET 0,(IX+0),B does nothing", {0xDD, 0xCB, 0x00, 0xC0}, 0x1000, 0x00, 0x00, 0, 0x00, 0x00},
        {"undocumented RLC (IX+0),B does nothing", {0xDD, 0xCB, 0x00, 0x00}, 0x1000, 0x80, 0x00, 0, 0x80, 0x00},
    };
    for (const auto& row : rows) {
        Z80State cpu = freshCpu(row.code, 0x0100);
        cpu.IX = cpu.IY = 0x1000;
        cpu.F = row.f;
        cpu.B = 0x55;
        TestBus::memory[row.address] = row.value;
        testing::internal::CaptureStdout();
        EXPECT_EQ(runToTrap(cpu), row.cycles) << row.what;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << row.what;
        EXPECT_EQ(TestBus::memory[row.address], row.expectedValue) << row.what;
        EXPECT_EQ(cpu.F, row.expectedF) << row.what;
        EXPECT_EQ(cpu.B, 0x55) << row.what;
        EXPECT_EQ(cpu.PC, 0x0106) << row.what; // past the opcode byte and the trap
    }
}

TEST(CpuIndexCB, BitReadsOnlyAndUnknownFormsTouchNothing)
{
    Z80State cpu = freshCpu({0xDD, 0xCB, 0xFF, 0x46}); // BIT 0,(IX-1)
    cpu.IX = 0x0000;
    runToTrap(cpu);
    const std::vector<TestBus::Access> expected = {{false, 0xFFFF, 0x00}};
    EXPECT_EQ(TestBus::accessesAt(0xFFFF), expected);

    cpu = freshCpu({0xFD, 0xCB, 0x03, 0xC1}, 0x0200);
    cpu.IY = 0x8000;
    cpu.reportUnknown = 1;
    testing::internal::CaptureStdout();
    runToTrap(cpu);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[Z80 0] Unrecognized instruction: FD CB 03 C1 at PC=0200\n");
    EXPECT_TRUE(TestBus::accessesAt(0x8003).empty());
}

// Forms that cost no T-states must not keep the periodic hook from running: a program
// stuck in them would otherwise freeze the window and could never be quit.
TEST(CpuRunLoop, ZeroCostLoopsStillReachTheHook)
{
    struct Row {
        const char* what;
        std::initializer_list<uint8_t> code;
    };
    const Row rows[] = {
        {"DD before JR back onto itself", {0xDD, 0x18, 0xFD}},
        {"unrecognised ED opcode and JR through DD", {0xED, 0x00, 0xDD, 0x18, 0xFB}},
        {"unrecognised DD CB form in a loop", {0xDD, 0xCB, 0x00, 0xC0, 0xDD, 0x18, 0xF9}},
    };
    for (const auto& row : rows) {
        Z80State cpu = freshCpu(row.code, 0x0100);
        TestBus::hookAnswers = {hookContinue};
        cpu.cyclesLeft = 2048;
        cpuRun(TestBus{}, cpu); // the second hook call quits
        ASSERT_EQ(TestBus::hookCalls.size(), 2u) << row.what;
        EXPECT_EQ(TestBus::hookCalls[0].cyclesLeft, 0) << row.what;
        EXPECT_EQ(cpu.zeroCostSteps, 0) << row.what << ": the count starts again each slice";
    }

    // Memory full of DD bytes: every one is a dropped prefix, and PC runs round for ever.
    Z80State cpu = freshCpu({});
    TestBus::memory.fill(0xDD);
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(TestBus::hookCalls.size(), 1u);
}
