// Unprefixed instructions and the run loop's slice accounting.
#include <gtest/gtest.h>

#include "tests/cpu_test_bus.h"

using namespace ollendor;


namespace {

struct AluCase {
    const char* what;
    uint8_t a, f;                  // before
    std::initializer_list<uint8_t> code;
    uint8_t expectedA, expectedF;  // after
};

} // namespace

TEST(CpuBase, AccumulatorFlags)
{
    const AluCase cases[] = {
        {"ADD A,1 overflows into the sign", 0x7F, 0x00, {0xC6, 0x01}, 0x80, 0x94},
        {"SUB 1 from 0 borrows", 0x00, 0x00, {0xD6, 0x01}, 0xFF, 0x93},
        {"CP 0x80 from 0 keeps A", 0x00, 0x00, {0xFE, 0x80}, 0x00, 0x87},
        {"SBC A,A with carry", 0x55, 0x01, {0x9F}, 0xFF, 0x93},
        {"ADC A,n adds the carry", 0x0F, 0x01, {0xCE, 0x00}, 0x10, 0x10},
        {"ADD A,A carries out of bit 7", 0x80, 0x00, {0x87}, 0x00, 0x45},
        {"AND sets H and parity, clears bits 5/3", 0xFF, 0x29, {0xE6, 0x0F}, 0x0F, 0x14},
        {"XOR A gives zero with parity", 0x5A, 0xFF, {0xAF}, 0x00, 0x44},
        {"OR n", 0x10, 0x01, {0xF6, 0x01}, 0x11, 0x04},
        {"INC A 0x7F keeps carry", 0x7F, 0x01, {0x3C}, 0x80, 0x95},
        {"DEC A 0x80 keeps carry", 0x80, 0x01, {0x3D}, 0x7F, 0x17},
        {"INC A 0xFF wraps with H and Z", 0xFF, 0x00, {0x3C}, 0x00, 0x50},
        {"CCF with carry: C clear, H set", 0x00, 0x01, {0x3F}, 0x00, 0x10},
        {"SCF clears H and N, keeps the rest", 0x00, 0xFA, {0x37}, 0x00, 0xE9},
        {"CPL sets H and N, keeps the rest", 0x0F, 0x29, {0x2F}, 0xF0, 0x3B},
        {"RLCA keeps S, Z, P/V, bits 5/3", 0x81, 0xEC, {0x07}, 0x03, 0xED},
        {"RRA shifts the carry in", 0x01, 0x00, {0x1F}, 0x00, 0x01},
        {"DAA after 0x15 + 0x27", 0x3C, 0x00, {0x27}, 0x42, 0x14},
    };
    for (const auto& c : cases) {
        Z80State cpu = freshCpu(c.code);
        cpu.A = c.a;
        cpu.F = c.f;
        runSlice(cpu);
        EXPECT_EQ(cpu.A, c.expectedA) << c.what;
        EXPECT_EQ(cpu.F, c.expectedF) << c.what;
    }
}

TEST(CpuBase, AddToHLKeepsSignZeroParity)
{
    Z80State cpu = freshCpu({0x09}); // ADD HL,BC
    cpu.setHL(0x0FFF);
    cpu.setBC(0xF001);
    cpu.F = 0xEE; // S, Z, bits 5 and 3, P/V, N
    runSlice(cpu);
    EXPECT_EQ(cpu.HL(), 0x0000);
    EXPECT_EQ(cpu.F, 0xFD); // H and C from the sum, N cleared, the rest kept
}

TEST(CpuBase, IncDecMemoryReadOnceWriteOnce)
{
    Z80State cpu = freshCpu({0x34}); // INC (HL)
    cpu.setHL(0x8000);
    TestBus::memory[0x8000] = 0x0F;
    EXPECT_EQ(runSlice(cpu), 11);
    const std::vector<TestBus::Access> expected = {{false, 0x8000, 0x0F}, {true, 0x8000, 0x10}};
    EXPECT_EQ(TestBus::accessesAt(0x8000), expected);
    EXPECT_EQ(cpu.F, 0x10);
}

TEST(CpuBase, BranchCycles)
{
    struct Row {
        const char* what;
        uint8_t f;
        std::initializer_list<uint8_t> code;
        int cycles;
        uint16_t pc;
    };
    const Row rows[] = {
        {"JR NZ taken", 0x00, {0x20, 0x10}, 12, 0x0012},
        {"JR NZ not taken", 0x40, {0x20, 0x10}, 7, 0x0002},
        {"JR back onto itself", 0x00, {0x18, 0xFE}, 12, 0x0000},
        {"JP C taken", 0x01, {0xDA, 0x34, 0x12}, 10, 0x1234},
        {"JP C not taken", 0x00, {0xDA, 0x34, 0x12}, 10, 0x0003},
        {"CALL PE taken", 0x04, {0xEC, 0x34, 0x12}, 17, 0x1234},
        {"CALL PE not taken", 0x00, {0xEC, 0x34, 0x12}, 10, 0x0003},
        {"RET M taken", 0x80, {0xF8}, 11, 0x5678},
        {"RET M not taken", 0x00, {0xF8}, 5, 0x0001},
        {"RST 28h", 0x00, {0xEF}, 11, 0x0028},
    };
    for (const auto& row : rows) {
        Z80State cpu = freshCpu(row.code);
        cpu.F = row.f;
        cpu.SP = 0x9000;
        TestBus::memory[0x9000] = 0x78;
        TestBus::memory[0x9001] = 0x56;
        EXPECT_EQ(runSlice(cpu), row.cycles) << row.what;
        EXPECT_EQ(cpu.PC, row.pc) << row.what;
    }
}

TEST(CpuBase, DecrementAndJump)
{
    Z80State cpu = freshCpu({0x10, 0x10}); // DJNZ +0x10
    cpu.B = 1;
    EXPECT_EQ(runSlice(cpu), 8);
    EXPECT_EQ(cpu.B, 0);
    EXPECT_EQ(cpu.PC, 0x0002);

    cpu = freshCpu({0x10, 0x10});
    cpu.B = 0;
    EXPECT_EQ(runSlice(cpu), 13);
    EXPECT_EQ(cpu.B, 0xFF);
    EXPECT_EQ(cpu.PC, 0x0012);
}

TEST(CpuBase, StackWrapsAndCallPushesReturnAddress)
{
    Z80State cpu = freshCpu({0xC5}, 0x0100); // PUSH BC
    cpu.SP = 0x0001;
    cpu.setBC(0xABCD);
    runSlice(cpu);
    EXPECT_EQ(TestBus::memory[0x0000], 0xAB); // high byte at SP-1 first
    EXPECT_EQ(TestBus::memory[0xFFFF], 0xCD);
    EXPECT_EQ(cpu.SP, 0xFFFF);
    ASSERT_GE(TestBus::accesses.size(), 3u);
    EXPECT_EQ(TestBus::accesses[1].address, 0x0000);

    cpu = freshCpu({0xCD, 0x00, 0x20}, 0x0100); // CALL 0x2000
    cpu.SP = 0x8000;
    runSlice(cpu);
    EXPECT_EQ(cpu.PC, 0x2000);
    EXPECT_EQ(TestBus::memory[0x7FFF], 0x01);
    EXPECT_EQ(TestBus::memory[0x7FFE], 0x03);
}

TEST(CpuBase, ExchangeWithStackLowByteFirst)
{
    Z80State cpu = freshCpu({0xE3}, 0x0100); // EX (SP),HL
    cpu.SP = 0x8000;
    cpu.setHL(0x1122);
    TestBus::memory[0x8000] = 0x33;
    TestBus::memory[0x8001] = 0x44;
    EXPECT_EQ(runSlice(cpu), 19);
    EXPECT_EQ(cpu.HL(), 0x4433);
    const std::vector<TestBus::Access> expected = {
        {false, 0x8000, 0x33}, {true, 0x8000, 0x22}, {false, 0x8001, 0x44}, {true, 0x8001, 0x11}};
    EXPECT_EQ(std::vector<TestBus::Access>(TestBus::accesses.begin() + 1, TestBus::accesses.end()), expected);
    EXPECT_EQ(cpu.SP, 0x8000);
}

TEST(CpuBase, RegisterSwaps)
{
    Z80State cpu = freshCpu({0x08, 0xD9, 0xEB}); // EX AF,AF'; EXX; EX DE,HL
    cpu.setAF(0x1234);
    cpu.altAF = 0x5678;
    cpu.setBC(0x1111);
    cpu.setDE(0x2222);
    cpu.setHL(0x3333);
    cpu.altBC = 0x4444;
    cpu.altDE = 0x5555;
    cpu.altHL = 0x6666;
    EXPECT_EQ(runToTrap(cpu), 12);
    EXPECT_EQ(cpu.AF(), 0x5678);
    EXPECT_EQ(cpu.altAF, 0x1234);
    EXPECT_EQ(cpu.BC(), 0x4444);
    EXPECT_EQ(cpu.DE(), 0x6666);
    EXPECT_EQ(cpu.HL(), 0x5555);
    EXPECT_EQ(cpu.altBC, 0x1111);
    EXPECT_EQ(cpu.altDE, 0x2222);
    EXPECT_EQ(cpu.altHL, 0x3333);
}

TEST(CpuBase, PortsUseTheImmediateNumber)
{
    Z80State cpu = freshCpu({0xDB, 0x05, 0xD3, 0x06}); // IN A,(5); OUT (6),A
    cpu.A = 0x7F;
    TestBus::portInputs = {0x42};
    EXPECT_EQ(runToTrap(cpu), 22);
    EXPECT_EQ(TestBus::portInCalls, std::vector<uint16_t>{0x0005}); // whatever A held
    const std::vector<std::pair<uint16_t, uint8_t>> written = {{0x0006, 0x42}};
    EXPECT_EQ(TestBus::portOutCalls, written);
}

TEST(CpuRunLoop, HaltWaitsOneHookPerExecution)
{
    Z80State cpu = freshCpu({0x76}); // HALT at 0, interrupts disabled
    cpu.cyclesLeft = 0;
    TestBus::hookAnswers = {hookContinue, 0x0038, hookContinue}; // the interrupt is dropped
    EXPECT_EQ(cpuRun(TestBus{}, cpu), 0x0000);
    ASSERT_EQ(TestBus::hookCalls.size(), 4u);
    for (const auto& call : TestBus::hookCalls) {
        EXPECT_EQ(call.pc, 0x0000);
        EXPECT_EQ(call.cyclesLeft, 0);
    }
    // One opcode fetch of HALT per hook call.
    EXPECT_EQ(TestBus::accesses.size(), 4u);
    EXPECT_TRUE(cpu.intState & HALTED);
}

TEST(CpuRunLoop, OvershootIsDroppedAtSliceEnd)
{
    Z80State cpu = freshCpu({0xC3, 0x00, 0x00}); // JP 0, 10 T-states, forever
    cpu.cyclesPerHook = 20;
    cpu.cyclesLeft = 15;
    TestBus::hookAnswers = {hookContinue, hookContinue};
    cpuRun(TestBus{}, cpu);
    ASSERT_EQ(TestBus::hookCalls.size(), 3u);
    EXPECT_EQ(TestBus::hookCalls[0].cyclesLeft, -5); // 15 - 10 - 10
    EXPECT_EQ(TestBus::hookCalls[1].cyclesLeft, 0);  // a fresh 20, not 15
    EXPECT_EQ(TestBus::hookCalls[2].cyclesLeft, 0);
}
