// Interrupt acceptance at slice ends: the three modes, NMI, dropped requests, HALT.
#include <gtest/gtest.h>

#include "tests/cpu_test_bus.h"

using namespace ollendor;


namespace {

// Runs a CPU sitting on NOPs at 0x0100 for one slice; the hook then answers `code`, and
// the next slice ends at once on the HALT placed at every possible target.
Z80State interruptAfterOneSlice(uint8_t intState, uint16_t code, bool halted = false)
{
    Z80State cpu = freshCpu({}, 0x0100);
    TestBus::memory[0x0100] = halted ? 0x76 : 0x00;
    TestBus::memory[0x0101] = 0x00; // NOPs from here on
    cpu.intState = intState;
    cpu.SP = 0x9000;
    cpu.I = 0xFE;
    TestBus::memory[0xFE0A] = 0x00; // mode 2 vector for code 0x0A: 0x3000
    TestBus::memory[0xFE0B] = 0x30;
    for (uint16_t target : {0x0012, 0x0038, 0x0066, 0x3000})
        TestBus::memory[target] = 0x76;
    TestBus::hookAnswers = {code};
    cpu.cyclesLeft = 1;
    cpuRun(TestBus{}, cpu);
    return cpu;
}

uint16_t pushedWord()
{
    return uint16_t(TestBus::memory[0x8FFF] << 8 | TestBus::memory[0x8FFE]);
}

} // namespace

TEST(CpuInterrupt, Acceptance)
{
    struct Row {
        const char* what;
        uint8_t intState;
        uint16_t code;
        uint16_t target;       // PC after the handler's HALT
        uint8_t intStateAfter; // HALTED by the handler's HALT
    };
    const Row rows[] = {
        {"mode 0 calls the code itself (0x38)", IFF1, 0x0038, 0x0038, IFF2 | HALTED},
        {"mode 0 calls the code itself (0x12)", IFF1, 0x0012, 0x0012, IFF2 | HALTED},
        {"mode 1 calls 0x38 whatever the code", IFF1 | IM1, 0x0012, 0x0038, IM1 | IFF2 | HALTED},
        {"mode 2 reads the vector at I, low byte", IFF1 | IM2, 0x000A, 0x3000, IM2 | IFF2 | HALTED},
        {"NMI with IFF1 clear copies the clear IFF1", IFF2, 0x0066, 0x0066, HALTED},
        {"NMI with IFF1 set", IFF1 | IM2, 0x0066, 0x0066, IM2 | IFF2 | HALTED},
    };
    for (const auto& row : rows) {
        Z80State cpu = interruptAfterOneSlice(row.intState, row.code);
        EXPECT_EQ(cpu.PC, row.target) << row.what;
        EXPECT_EQ(cpu.intState, row.intStateAfter) << row.what;
        EXPECT_EQ(cpu.SP, 0x8FFE) << row.what;
        EXPECT_EQ(pushedWord(), 0x0101) << row.what;
    }
}

TEST(CpuInterrupt, DroppedWhileDisabled)
{
    for (uint16_t code : {0x0038, 0x0012, 0x00FF}) {
        Z80State cpu = interruptAfterOneSlice(IFF2 | IM1, code);
        EXPECT_EQ(cpu.SP, 0x9000) << code;
        EXPECT_EQ(cpu.intState, IFF2 | IM1) << code;
        EXPECT_EQ(cpu.PC, 0x0101 + 2048 / 4) << code; // NOPs ran on through the next slice
    }
}

TEST(CpuInterrupt, HaltResumesPastTheHalt)
{
    Z80State cpu = interruptAfterOneSlice(IFF1 | IM2, 0x000A, true);
    EXPECT_EQ(pushedWord(), 0x0101);
    EXPECT_EQ(cpu.PC, 0x3000);
    EXPECT_EQ(cpu.intState, IM2 | IFF2 | HALTED); // halted again, by the handler
}

TEST(CpuInterrupt, NoDelayAfterEi)
{
    Z80State cpu = freshCpu({0xFB, 0x00}, 0x0100); // EI; NOP
    cpu.intState = IM1;
    cpu.SP = 0x9000;
    TestBus::memory[0x0038] = 0x76;
    TestBus::hookAnswers = {0x00FF};
    cpu.cyclesLeft = 1;
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(pushedWord(), 0x0101); // taken before the NOP
    EXPECT_EQ(cpu.PC, 0x0038);
}

TEST(CpuInterrupt, QuitReturnsThePC)
{
    Z80State cpu = freshCpu({0x00, 0x00}, 0x0200);
    TestBus::hookAnswers = {hookContinue};
    cpu.cyclesPerHook = 4;
    cpu.cyclesLeft = 4;
    EXPECT_EQ(cpuRun(TestBus{}, cpu), 0x0202);
    EXPECT_EQ(TestBus::hookCalls.size(), 2u);
}
