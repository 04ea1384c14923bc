#include "debug/memory_area.h"

#include <cstdio>

#include "machine/memory.h"

namespace ollendor {

uint32_t memorySize(MemoryArea source)
{
    return source.kind == MemoryArea::Kind::video ? vramSize : pageSize;
}

std::string memorySourceName(const Mtx& machine, MemoryArea source)
{
    char text[64];
    switch (source.kind) {
    case MemoryArea::Kind::cpu:
        std::snprintf(text, sizeof text, "CPU (ROM %u, RAM %u)", unsigned(machine.memory.romPage),
                      unsigned(machine.memory.ramPage));
        break;
    case MemoryArea::Kind::page: std::snprintf(text, sizeof text, "page %u", unsigned(source.page)); break;
    case MemoryArea::Kind::video: std::snprintf(text, sizeof text, "video memory"); break;
    }
    return text;
}

uint8_t memoryByte(const Mtx& machine, MemoryArea source, uint32_t address)
{
    if (address >= memorySize(source))
        return 0;
    switch (source.kind) {
    case MemoryArea::Kind::cpu: return memRead(machine.memory, uint16_t(address));
    case MemoryArea::Kind::page: return machine.memory.page[source.page % pageCount][address];
    case MemoryArea::Kind::video: return machine.vdp.vram[address];
    }
    return 0;
}

void writeMemoryByte(Mtx& machine, MemoryArea source, uint32_t address, uint8_t value)
{
    if (address >= memorySize(source))
        return;
    switch (source.kind) {
    case MemoryArea::Kind::cpu:
        machine.memory.page[pageOf(machine.memory, uint16_t(address))][address] = value;
        break;
    case MemoryArea::Kind::page: machine.memory.page[source.page % pageCount][address] = value; break;
    case MemoryArea::Kind::video: machine.vdp.vram[address] = value; break;
    }
}

} // namespace ollendor
