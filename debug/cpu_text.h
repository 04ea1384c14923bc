// The CPU as the debugger shows it: the register values in the order shown, the flags as
// letters, the interrupt mode, and what the next step meets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debug/registers.h"
#include "machine/machine.h"

namespace ollendor {

struct RegisterValue {
    const char* name; // as the register table names it
    uint16_t value;
    bool wide;        // 16 bits (I is 8)
};

// The registers in the order shown.
std::vector<RegisterValue> cpuRegisters(const Z80State& cpu);

// "SZ-H-PNC" with '-' for each clear flag: S Z Y H X P/V N C from bit 7 down, where the
// undocumented Y and X show as 5 and 3 when set.
std::string flagsText(uint8_t f);

// The interrupt mode from the CPU's state: 0, 1 or 2.
int interruptMode(const Z80State& cpu);
void setInterruptMode(Z80State& cpu, int mode);

// What the next step meets, in a sentence: the slice end (and the interrupt it may bring),
// a HALT waiting for an interrupt, or nothing special (empty).
std::string nextStepText(const Mtx& machine);

} // namespace ollendor
