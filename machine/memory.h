// The machine's ROM and RAM: sixteen 64 KiB pages in one 1 MiB store.
//
// The CPU sees 0x0000-0x3FFF as the ROM slot of page romPage, 0x4000-0xBFFF as page
// ramPage and 0xC000-0xFFFF as page 0 (common RAM). A byte's offset within its page is
// always the CPU address at which it is seen. Port 0 sets both selectors (setPages).
//
// ROM slots after loadRomImages and patchTapeTrap:
//   page 0   osrom (with the tape trap at 0x0AAE) | basicrom
//   page 1   osrom (unpatched)                    | assemrom
//   page 2-7 osrom (unpatched)                    | 0xFF
//   page 8-15 zero (romPage cannot exceed 7)
// CPU writes to 0x0000-0x3FFF are dropped. There is no memory-mapped I/O.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

inline constexpr unsigned pageCount = 16;
inline constexpr unsigned pageSize = 0x10000;
inline constexpr unsigned romImageSize = 0x2000; // each ROM image fills half a ROM slot

// Address of the OS's tape routine, replaced at start-up by ED FE (tape trap) and RET.
inline constexpr uint16_t tapeTrapAddress = 0x0AAE;

struct MemoryPages {
    uint8_t page[pageCount][pageSize]; // page p, offset = CPU address
};

extern MemoryPages memoryPages;
extern uint8_t ramPage; // page seen at 0x4000-0xBFFF, 0-15 (port 0 bits 0-3)
extern uint8_t romPage; // page whose ROM slot is seen at 0x0000-0x3FFF, 0-7 (port 0 bits 4-6)

// One test of the top two address bits, one selector load, one indexed byte access.
inline uint8_t memRead(uint16_t address)
{
    switch (address >> 14) {
    case 0: return memoryPages.page[romPage][address];
    case 3: return memoryPages.page[0][address];
    default: return memoryPages.page[ramPage][address];
    }
}

inline void memWrite(uint16_t address, uint8_t value)
{
    switch (address >> 14) {
    case 0: return; // ROM: dropped
    case 3: memoryPages.page[0][address] = value; return;
    default: memoryPages.page[ramPage][address] = value; return;
    }
}

// OUT 0: bits 0-3 select the RAM page, bits 4-6 the ROM page; bit 7 has no effect.
void setPages(uint8_t value);

// Every page zero and both selectors 0, as at program start.
void memoryPowerOn();

// What loadRomImages reports. On failure, message names the file and the folder searched.
struct RomLoadResult {
    bool ok;             // all three images were read
    std::string message; // why not, ready for the user
};

// Reads osrom, basicrom and assemrom from the folder into the ROM slots and lays out the
// copies above. An image longer than 8 KiB is read only up to the end of its page, with a
// warning on stderr; a shorter one is warned about too, and the rest of its 8 KiB is zero.
// Stops at the first image that cannot be opened; only regular files are opened.
RomLoadResult loadRomImages(const std::filesystem::path& folder = ".");

// Writes ED FE C9 over the OS's tape routine in page 0 only (after loadRomImages).
void patchTapeTrap();
