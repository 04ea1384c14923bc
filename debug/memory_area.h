// The machine's memory as the debugger's memory view and the automation server's tools see
// it, in one place: the 64 KiB the CPU sees now (through the page selectors), one 64 KiB page
// of the store, or the 16 KiB of video memory.
#pragma once

#include <cstdint>
#include <string>

#include "machine/machine.h"

namespace ollendor {

struct MemoryArea {
    enum class Kind : uint8_t { cpu, page, video } kind = Kind::cpu;
    uint8_t page = 0; // with Kind::page, 0-15
    bool operator==(const MemoryArea&) const = default;
};

// 65536, or 16384 for video memory.
uint32_t memorySize(MemoryArea area);
// "CPU (ROM 1, RAM 3)", "page 3", "video memory".
std::string memorySourceName(const Mtx& machine, MemoryArea area);
// A byte of the area; 0 past its end.
uint8_t memoryByte(const Mtx& machine, MemoryArea area, uint32_t address);
// Writes a byte where the area shows it: through the CPU's view, into the page behind the
// address (ROM included, which the CPU itself cannot write). Nothing past the end.
void writeMemoryByte(Mtx& machine, MemoryArea area, uint32_t address, uint8_t value);

} // namespace ollendor
