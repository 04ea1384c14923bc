// A scripted bus for the CPU tests: flat 64 KiB RAM with a log of every data access, ports
// that answer from a script and log what they were given, and a periodic hook that records
// each call and answers from a script (quit once the script is used up). The tape trap
// opcode ED FE marks the end of a test's code: it costs nothing, so the cycles left when it
// runs tell exactly what the code before it cost; it then ends the slice.
#pragma once

#include <array>
#include <cstdio>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include <gtest/gtest.h>

#include "cpu/run.h"

using namespace ollendor;

struct TestBus {
    struct Access {
        bool write;
        uint16_t address;
        uint8_t value;
        bool operator==(const Access&) const = default;
    };
    struct HookCall {
        uint16_t pc;
        int32_t cyclesLeft;
    };

    static inline std::array<uint8_t, 0x10000> memory{};
    static inline std::vector<Access> accesses;            // every memRead/memWrite, in order
    static inline std::deque<uint8_t> portInputs;          // answers of portIn, in order (then 0xFF)
    static inline std::vector<uint16_t> portInCalls;       // ports read
    static inline std::vector<std::pair<uint16_t, uint8_t>> portOutCalls; // ports written
    static inline std::deque<uint16_t> hookAnswers;        // answers of periodicHook (then quit)
    static inline std::vector<HookCall> hookCalls;         // each periodicHook call
    static inline int tapeTraps = 0;                       // tapeTrap calls
    static inline int32_t cyclesLeftAtTrap = 0;            // cyclesLeft at the last tapeTrap

    static uint8_t memRead(uint16_t address)
    {
        accesses.push_back({false, address, memory[address]});
        return memory[address];
    }
    static void memWrite(uint16_t address, uint8_t value)
    {
        accesses.push_back({true, address, value});
        memory[address] = value;
    }
    static uint8_t portIn(uint16_t port)
    {
        portInCalls.push_back(port);
        if (portInputs.empty())
            return 0xFF;
        const uint8_t value = portInputs.front();
        portInputs.pop_front();
        return value;
    }
    static void portOut(uint16_t port, uint8_t value) { portOutCalls.push_back({port, value}); }
    static uint16_t periodicHook(Z80State& cpu)
    {
        hookCalls.push_back({cpu.PC, cpu.cyclesLeft});
        if (hookAnswers.empty())
            return hookQuit;
        const uint16_t answer = hookAnswers.front();
        hookAnswers.pop_front();
        return answer;
    }
    static void tapeTrap(Z80State& cpu)
    {
        ++tapeTraps;
        cyclesLeftAtTrap = cpu.cyclesLeft;
        endSlice(cpu);
    }
    // Printed as the machine prints them, so the tests read them from standard output.
    static void diagnostic(Z80State&, const char* line) { std::printf("%s\n", line); }

    static void clear()
    {
        memory.fill(0);
        accesses.clear();
        portInputs.clear();
        portInCalls.clear();
        portOutCalls.clear();
        hookAnswers.clear();
        hookCalls.clear();
        tapeTraps = 0;
        cyclesLeftAtTrap = 0;
    }

    // Data accesses (reads or writes) at one address.
    static std::vector<Access> accessesAt(uint16_t address)
    {
        std::vector<Access> found;
        for (const auto& access : accesses)
            if (access.address == address)
                found.push_back(access);
        return found;
    }
};

// A fresh CPU in its power-on state, an empty bus, and `code` at `origin` followed by the
// end-of-test trap ED FE.
inline Z80State freshCpu(std::initializer_list<uint8_t> code, uint16_t origin = 0x0000)
{
    TestBus::clear();
    Z80State cpu{};
    cpu.cyclesPerHook = 2048;
    cpuReset(cpu);
    cpu.PC = origin;
    uint16_t address = origin;
    for (uint8_t byte : code)
        TestBus::memory[address++] = byte;
    TestBus::memory[address++] = 0xED;
    TestBus::memory[address] = 0xFE;
    return cpu;
}

// Runs one slice of `budget` T-states (the hook then quits) and gives the T-states used.
// A budget of 1 executes exactly one instruction that costs anything.
inline int runSlice(Z80State& cpu, int budget = 1)
{
    cpu.cyclesLeft = budget;
    cpuRun(TestBus{}, cpu);
    return budget - TestBus::hookCalls.back().cyclesLeft;
}

// Runs the code up to its end-of-test trap and gives the T-states it took.
inline int runToTrap(Z80State& cpu)
{
    constexpr int budget = 100000;
    cpu.cyclesLeft = budget;
    cpuRun(TestBus{}, cpu);
    EXPECT_EQ(TestBus::tapeTraps, 1) << "the code did not reach its end";
    return budget - TestBus::cyclesLeftAtTrap;
}
