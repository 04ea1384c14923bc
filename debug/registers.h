// The CPU's registers by name: one table of every register a person or a client can read or
// set (its name as shown, its key in the automation server's answers, its width), and the
// reads and writes through it. The CPU view, breakpoint conditions, get_registers and
// set_register all use it, so a register is named, read and set the same way everywhere.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "cpu/z80.h"

namespace ollendor {

enum class CpuRegister : uint8_t {
    A, F, B, C, D, E, H, L, I, AF, BC, DE, HL, IX, IY, SP, PC, // in conditions
    AF2, BC2, DE2, HL2,                                        // the second set
    IM, IFF1, IFF2,                                            // interrupt state
};

struct RegisterInfo {
    CpuRegister id;
    const char* name;     // as shown: "AF", "AF'", "IX", "IM"
    const char* key;      // in answers and tool arguments: "af", "af_", "ix", "im"
    uint16_t maximum;     // the largest value it holds: 0xFF, 0xFFFF, 2 (IM), 1 (IFF1, IFF2)
    bool inConditions;    // a breakpoint condition may compare it
    bool shownAsValue;    // the CPU view lists it with the register values (not flags or modes)
    bool wide() const { return maximum == 0xFFFF; }
};

// Every register, in the order the CPU view shows the values.
std::span<const RegisterInfo> cpuRegisters();
const RegisterInfo& registerInfo(CpuRegister id);
// By name or key, in any case; the second set also as AF_ (and so on). Null if none.
const RegisterInfo* findCpuRegister(std::string_view name);

uint16_t readCpuRegister(const Z80State& cpu, CpuRegister id);
// Takes the value masked to the register's width. A new PC takes a halted CPU off its HALT:
// it runs on from there.
void writeCpuRegister(Z80State& cpu, CpuRegister id, uint16_t value);

// Sets the register `name` (findCpuRegister's names); false for a name it does not know.
bool setCpuRegister(Z80State& cpu, std::string_view name, uint16_t value);

} // namespace ollendor
