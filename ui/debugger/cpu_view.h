// The CPU view: every register and flag, IFF1/IFF2, the interrupt mode, whether the CPU is
// halted, the cycles left in the slice and the hook count, with what the next step will
// meet (a slice end that may bring an interrupt, a HALT that waits for one). While paused
// the values can be changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "debug/registers.h"
#include "ui/debugger/debug_context.h"

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

struct CpuView {
    uint64_t seenStops = ~uint64_t(0);
    std::vector<RegisterValue> atLastPause; // what the registers were at the pause before
    std::vector<RegisterValue> current;     // at the last pause seen
};

void drawCpuView(CpuView& view, DebugContext& context, bool* open);

} // namespace ollendor
