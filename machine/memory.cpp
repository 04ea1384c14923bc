#include "machine/memory.h"

#include <algorithm>
#include <cstring>

#include "machine/rom_set.h"

namespace ollendor {

void setPages(MemoryPages& memory, uint8_t value)
{
    memory.ramPage = value & 0x0F;
    memory.romPage = (value >> 4) & 0x07;
}

void memoryPowerOn(MemoryPages& memory)
{
    std::memset(memory.page, 0, sizeof memory.page);
    memory.ramPage = 0;
    memory.romPage = 0;
}

namespace {

// The image from the offset on, never past the end of the page; a short image's slot is
// zero past its end.
void placeImage(MemoryPages& memory, const std::vector<uint8_t>& image, unsigned page,
                unsigned offset)
{
    uint8_t* start = &memory.page[page][offset];
    const size_t count = std::min<size_t>(image.size(), pageSize - offset);
    if (count != 0) // an empty image has no data() to copy from
        std::memcpy(start, image.data(), count);
    if (count < romImageSize)
        std::memset(start + count, 0, romImageSize - count);
}

} // namespace

void layOutRomImages(MemoryPages& memory, const RomSet& roms)
{
    placeImage(memory, roms.os, 0, 0x0000);
    placeImage(memory, roms.basic, 0, 0x2000);
    placeImage(memory, roms.assem, 1, 0x2000);
    for (unsigned p = 2; p <= 7; ++p)
        std::memset(&memory.page[p][0x2000], 0xFF, romImageSize);
    for (unsigned p = 1; p <= 7; ++p)
        std::memcpy(&memory.page[p][0], &memory.page[0][0], romImageSize);
}

void patchTapeTrap(MemoryPages& memory)
{
    memory.page[0][tapeTrapAddress] = 0xED;
    memory.page[0][tapeTrapAddress + 1] = 0xFE;
    memory.page[0][tapeTrapAddress + 2] = 0xC9;
}

} // namespace ollendor
