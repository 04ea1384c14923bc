// A flat 64 KiB RAM bus with just enough CP/M to run the instruction exercisers and other
// small .COM programs: the program sits at 0x0100, CALL 5 reaches a BDOS that knows
// function 2 (print the character in E) and 9 (print the string at DE up to '$'), and a
// jump to 0x0000 (warm boot) or function 0 ends the run. No ports, no interrupts.
//
// Both traps are ED FE opcodes: at 0x0000, and at the BDOS entry that 0x0005 jumps to,
// followed there by a RET. The word at 0x0006 (the top of the program area, which the
// exercisers load into SP) is that entry's address.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <span>

#include "cpu/z80.h"

namespace ollendor {

struct CpmBus {
    static constexpr uint16_t programStart = 0x0100; // where a .COM file is loaded
    static constexpr uint16_t bdosEntry = 0xFE00;    // BDOS trap; also the initial stack top
    static constexpr std::size_t maxProgramSize = bdosEntry - programStart;

    static inline std::array<uint8_t, 0x10000> memory{}; // the whole address space, RAM
    static inline std::FILE* console = stdout;           // program output; nullptr drops it
    static inline uint64_t tStates = 0;                  // T-states executed so far
    static inline uint64_t maxTStates = 0;               // stop at the first slice end past this; 0: no limit
    static inline bool finished = false;                 // the program ended (warm boot or function 0)
    static inline char lastOutput = '\n';                // the last character printed

    static uint8_t memRead(uint16_t address) { return memory[address]; }
    static void memWrite(uint16_t address, uint8_t value) { memory[address] = value; }
    static uint8_t portIn(uint16_t) { return 0xFF; }
    static void portOut(uint16_t, uint8_t) {}

    // Counts the T-states the slice really took (the core drops the overshoot) and stops
    // the run loop once the program ended or the limit is reached.
    static uint16_t periodicHook(Z80State& cpu)
    {
        if (!finished)
            tStates += uint64_t(cpu.cyclesPerHook - cpu.cyclesLeft);
        if (finished || (maxTStates != 0 && tStates >= maxTStates))
            return hookQuit;
        return hookContinue;
    }

    static void tapeTrap(Z80State& cpu)
    {
        const uint16_t trapAddress = uint16_t(cpu.PC - 2);
        if (trapAddress == bdosEntry && cpu.C != 0)
            callBdos(cpu);
        else if (trapAddress == bdosEntry || trapAddress == 0x0000)
            finish(cpu);
        // An ED FE anywhere else is an ordinary no-op.
    }

    // Warm boot or BDOS function 0: account for the partial slice and end at once.
    static void finish(Z80State& cpu)
    {
        tStates += uint64_t(cpu.cyclesPerHook - cpu.cyclesLeft);
        finished = true;
        endSlice(cpu);
    }

    // Unrecognised prefixed opcodes, reported on standard output as the program runs.
    static void diagnostic(Z80State&, const char* line) { std::printf("%s\n", line); }

    static void callBdos(Z80State& cpu)
    {
        if (cpu.C == 2) {
            put(char(cpu.E));
        } else if (cpu.C == 9) {
            // Bounded by the address space so a missing '$' cannot loop forever.
            uint16_t address = cpu.DE();
            for (int i = 0; i < 0x10000 && memory[address] != '$'; ++i)
                put(char(memory[address++]));
        }
    }

    static void put(char c)
    {
        lastOutput = c;
        if (console)
            std::fputc(c, console);
    }

    // Fills memory with the program and the two traps and makes the CPU ready to start it.
    // The program must fit below the BDOS entry.
    static void load(std::span<const uint8_t> program, Z80State& cpu)
    {
        assert(program.size() <= maxProgramSize);
        memory.fill(0);
        const uint8_t warmBoot[] = {0xED, 0xFE};
        const uint8_t jumpToBdos[] = {0xC3, uint8_t(bdosEntry), uint8_t(bdosEntry >> 8)};
        const uint8_t bdos[] = {0xED, 0xFE, 0xC9};
        std::copy(std::begin(warmBoot), std::end(warmBoot), memory.begin());
        std::copy(std::begin(jumpToBdos), std::end(jumpToBdos), memory.begin() + 5);
        std::copy(std::begin(bdos), std::end(bdos), memory.begin() + bdosEntry);
        std::copy(program.begin(), program.end(), memory.begin() + programStart);
        tStates = 0;
        finished = false;
        lastOutput = '\n';

        cpu = Z80State{};
        cpu.cyclesPerHook = 2048;
        cpuReset(cpu);
        cpu.PC = programStart;
        cpu.SP = bdosEntry;
        // A CP/M program returning with RET lands on the warm boot.
        memory[bdosEntry - 1] = 0x00;
        memory[bdosEntry - 2] = 0x00;
        cpu.SP = bdosEntry - 2;
    }
};

} // namespace ollendor
