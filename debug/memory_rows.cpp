#include "debug/memory_rows.h"

namespace ollendor {

bool memoryByteChanged(const Mtx& machine, const PauseMemory& changes, MemoryArea area, uint32_t address)
{
    if (address >= memorySize(area))
        return false;
    switch (area.kind) {
    case MemoryArea::Kind::cpu:
        return changes.pageByteChanged(machine, pageOf(machine.memory, uint16_t(address)), uint16_t(address));
    case MemoryArea::Kind::page: return changes.pageByteChanged(machine, area.page % pageCount, uint16_t(address));
    case MemoryArea::Kind::video: return changes.videoByteChanged(machine, uint16_t(address));
    }
    return false;
}

MemoryRow memoryRow(const Mtx& machine, const PauseMemory& changes, MemoryArea area, uint32_t address)
{
    MemoryRow row;
    row.address = address;
    const uint32_t size = memorySize(area);
    for (unsigned i = 0; i < 16 && address + i < size; ++i) {
        const uint8_t byte = memoryByte(machine, area, address + i);
        row.bytes[i] = byte;
        row.changed[i] = memoryByteChanged(machine, changes, area, address + i);
        row.characters += byte >= 0x20 && byte < 0x7F ? char(byte) : '.';
        row.count = i + 1;
    }
    return row;
}

} // namespace ollendor
