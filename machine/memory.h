// The machine's ROM and RAM: sixteen 64 KiB pages in one 1 MiB store.
//
// The CPU sees 0x0000-0x3FFF as the ROM slot of page romPage, 0x4000-0xBFFF as page
// ramPage and 0xC000-0xFFFF as page 0 (common RAM). A byte's offset within its page is
// always the CPU address at which it is seen. Port 0 sets both selectors (setPages).
//
// ROM slots after layOutRomImages and patchTapeTrap:
//   page 0   osrom (with the tape trap at 0x0AAE) | basicrom
//   page 1   osrom (unpatched)                    | assemrom
//   page 2-7 osrom (unpatched)                    | 0xFF
//   page 8-15 zero (romPage cannot exceed 7)
// CPU writes to 0x0000-0x3FFF are dropped. There is no memory-mapped I/O.
#pragma once

#include <cstdint>

namespace ollendor {

struct RomSet;

inline constexpr unsigned pageCount = 16;
inline constexpr unsigned pageSize = 0x10000;
inline constexpr unsigned romImageSize = 0x2000; // each ROM image fills half a ROM slot

// Address of the OS's tape routine, replaced at start-up by ED FE (tape trap) and RET.
inline constexpr uint16_t tapeTrapAddress = 0x0AAE;

struct MemoryPages {
    uint8_t page[pageCount][pageSize]; // page p, offset = CPU address
    uint8_t ramPage;                   // page seen at 0x4000-0xBFFF, 0-15 (port 0 bits 0-3)
    uint8_t romPage;                   // page whose ROM slot is seen at 0x0000-0x3FFF, 0-7 (port 0 bits 4-6)
};

// One test of the top two address bits, one selector load, one indexed byte access.
inline uint8_t memRead(const MemoryPages& memory, uint16_t address)
{
    switch (address >> 14) {
    case 0: return memory.page[memory.romPage][address];
    case 3: return memory.page[0][address];
    default: return memory.page[memory.ramPage][address];
    }
}

inline void memWrite(MemoryPages& memory, uint16_t address, uint8_t value)
{
    switch (address >> 14) {
    case 0: return; // ROM: dropped
    case 3: memory.page[0][address] = value; return;
    default: memory.page[memory.ramPage][address] = value; return;
    }
}

// The page that holds the byte the CPU sees at this address (what memRead reads).
inline unsigned pageOf(const MemoryPages& memory, uint16_t address)
{
    switch (address >> 14) {
    case 0: return memory.romPage;
    case 3: return 0;
    default: return memory.ramPage;
    }
}

// OUT 0: bits 0-3 select the RAM page, bits 4-6 the ROM page; bit 7 has no effect.
void setPages(MemoryPages& memory, uint8_t value);

// Every page zero and both selectors 0, as at program start.
void memoryPowerOn(MemoryPages& memory);

// Lays the images out as the machine expects: osrom at 0x0000 of page 0, basicrom at 0x2000
// of page 0, assemrom at 0x2000 of page 1 (each stopping at the end of its page; a shorter
// image leaves the rest of its 8 KiB slot zero), 0xFF over 0x2000-0x3FFF of pages 2-7, and
// 0x0000-0x1FFF copied from page 0 into pages 1-7.
void layOutRomImages(MemoryPages& memory, const RomSet& roms);

// Writes ED FE C9 over the OS's tape routine in page 0 only (after layOutRomImages).
void patchTapeTrap(MemoryPages& memory);

} // namespace ollendor
