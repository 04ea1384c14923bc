// Access to the embedded images (their bytes are generated into builtin_rom_data.cpp).
#include "roms/builtin_rom.h"

#include <cassert>
#include <cstring>

std::span<const uint8_t> builtinRomImage(std::string_view fileName)
{
    if (fileName == romFileNames[0])
        return builtinOsRom;
    if (fileName == romFileNames[1])
        return builtinBasicRom;
    if (fileName == romFileNames[2])
        return builtinAssemRom;
    return {};
}

void loadBuiltinRomImages(uint8_t* pageStore, std::size_t storeSize)
{
    constexpr std::size_t pageSize = 0x10000;
    constexpr std::size_t slotSize = builtinRomSize;
    assert(storeSize >= 8 * pageSize);
    (void)storeSize;
    std::memcpy(pageStore, builtinOsRom, slotSize);
    std::memcpy(pageStore + slotSize, builtinBasicRom, slotSize);
    std::memcpy(pageStore + pageSize + slotSize, builtinAssemRom, slotSize);
    for (std::size_t page = 2; page < 8; ++page)
        std::memset(pageStore + page * pageSize + slotSize, 0xFF, slotSize);
    for (std::size_t page = 1; page < 8; ++page)
        std::memcpy(pageStore + page * pageSize, pageStore, slotSize);
}
