// Setting a CPU register by its name, for the debugger's CPU view and the automation
// server alike.
#pragma once

#include <cstdint>
#include <string_view>

#include "cpu/z80.h"

namespace ollendor {

// Sets the register `name`, in any case: the pairs AF BC DE HL, the second set as AF' or
// AF_ (and so on), IX IY SP PC, the 8-bit A F B C D E H L I, the interrupt mode IM (0-2)
// and IFF1 IFF2 (0 or not). 8-bit registers take the low byte of value. False for a name
// it does not know. A new PC takes a halted CPU off its HALT: it runs on from there.
bool setCpuRegister(Z80State& cpu, std::string_view name, uint16_t value);

} // namespace ollendor
