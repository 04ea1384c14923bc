// The memory view's rows: 16 bytes of a memory area with their characters and which of
// them changed since the pause before this one (debug/pause_memory.h).
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

#include "debug/memory_area.h"
#include "debug/pause_memory.h"

namespace ollendor {

// Changed since the pause before this one (false while changes are not kept).
bool memoryByteChanged(const Mtx& machine, const PauseMemory& changes, MemoryArea area, uint32_t address);

struct MemoryRow {
    uint32_t address = 0;            // of the first byte
    unsigned count = 0;              // bytes in the row (16, fewer at the area's end)
    std::array<uint8_t, 16> bytes{};
    std::bitset<16> changed;
    std::string characters;          // printable ASCII as itself, anything else '.'
};
MemoryRow memoryRow(const Mtx& machine, const PauseMemory& changes, MemoryArea area, uint32_t address);

} // namespace ollendor
