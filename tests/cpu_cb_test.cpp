// CB page: rotates, shifts and bit operations.
#include <gtest/gtest.h>

#include "tests/cpu_test_bus.h"

using namespace ollendor;


TEST(CpuCB, RotateAndShiftFlags)
{
    struct Row {
        const char* what;
        uint8_t op;    // second byte, operand A
        uint8_t value, f;
        uint8_t result, expectedF;
    };
    const Row rows[] = {
        {"RLC of 0x80", 0x07, 0x80, 0x00, 0x01, 0x01},
        {"RLC of 0x00", 0x07, 0x00, 0x00, 0x00, 0x44},
        {"RR of 0x01 with C clear", 0x1F, 0x01, 0x00, 0x00, 0x45},
        {"RR shifts the carry in", 0x1F, 0x00, 0x01, 0x80, 0x80},
        {"SRA keeps bit 7", 0x2F, 0x81, 0x00, 0xC0, 0x85},
        {"SLL shifts a 1 in", 0x37, 0x80, 0x00, 0x01, 0x01},
        {"SRL clears bits 5/3 of F", 0x3F, 0x02, 0x28, 0x01, 0x00},
        {"RL takes the old carry", 0x17, 0x00, 0x01, 0x01, 0x00},
    };
    for (const auto& row : rows) {
        Z80State cpu = freshCpu({0xCB, row.op});
        cpu.A = row.value;
        cpu.F = row.f;
        EXPECT_EQ(runSlice(cpu), 8) << row.what;
        EXPECT_EQ(cpu.A, row.result) << row.what;
        EXPECT_EQ(cpu.F, row.expectedF) << row.what;
    }
}

TEST(CpuCB, BitChangesOnlyZHN)
{
    Z80State cpu = freshCpu({0xCB, 0x7F}); // BIT 7,A
    cpu.A = 0x7F;
    cpu.F = 0xAF; // S, bit 5, bit 3, P/V, N, C
    runSlice(cpu);
    EXPECT_EQ(cpu.F, 0xFD); // Z and H set, N clear, the rest as it was
    EXPECT_EQ(cpu.A, 0x7F);

    cpu = freshCpu({0xCB, 0x47}); // BIT 0,A
    cpu.A = 0x01;
    cpu.F = 0x40;
    runSlice(cpu);
    EXPECT_EQ(cpu.F, 0x10);
}

TEST(CpuCB, MemoryOperandAccessesAndCycles)
{
    struct Row {
        const char* what;
        uint8_t op;
        int cycles;
        std::vector<TestBus::Access> accesses; // at 0x8000
    };
    const std::vector<Row> rows = {
        {"RLC (HL)", 0x06, 15, {{false, 0x8000, 0x81}, {true, 0x8000, 0x03}}},
        {"BIT 0,(HL) never writes", 0x46, 12, {{false, 0x8000, 0x81}}},
        {"RES 1,(HL) writes an unchanged byte back", 0x8E, 15, {{false, 0x8000, 0x81}, {true, 0x8000, 0x81}}},
        {"SET 7,(HL) writes an unchanged byte back", 0xFE, 15, {{false, 0x8000, 0x81}, {true, 0x8000, 0x81}}},
        {"SET 1,(HL)", 0xCE, 15, {{false, 0x8000, 0x81}, {true, 0x8000, 0x83}}},
        {"RLC B", 0x00, 8, {}},
    };
    for (const auto& row : rows) {
        Z80State cpu = freshCpu({0xCB, row.op});
        cpu.setHL(0x8000);
        TestBus::memory[0x8000] = 0x81;
        EXPECT_EQ(runSlice(cpu), row.cycles) << row.what;
        EXPECT_EQ(TestBus::accessesAt(0x8000), row.accesses) << row.what;
    }
}
