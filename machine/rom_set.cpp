#include "machine/rom_set.h"

#include <iterator>

#include "machine/memory.h"
#include "roms/builtin_rom.h"

namespace ollendor {

namespace {

void hashBytes(uint64_t& hash, const uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001B3ull;
    }
}

} // namespace

RomSet builtinRomSet()
{
    RomSet roms;
    roms.os.assign(std::begin(builtinOsRom), std::end(builtinOsRom));
    roms.basic.assign(std::begin(builtinBasicRom), std::end(builtinBasicRom));
    roms.assem.assign(std::begin(builtinAssemRom), std::end(builtinAssemRom));
    roms.builtin = true;
    roms.identity = romSetIdentity(roms);
    return roms;
}

namespace {

// A line as the ROM can print it: its end after "..." when too long, '?' for characters its
// font lacks.
std::string printableLine(std::string line)
{
    if (line.size() > searchedFolderColumns)
        line = "..." + line.substr(line.size() - (searchedFolderColumns - 3));
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            c = '?';
    return line + '\n';
}

} // namespace

void layOutSearchedFolders(MemoryPages& memory, const RomSet& roms)
{
    if (!roms.builtin)
        return;
    // The hint is kept whole: the folders fill what room it leaves.
    std::string hint;
    for (const std::string& line : roms.folderHint)
        hint += printableLine(line);
    if (hint.size() + 1 > searchedFoldersSize)
        hint.clear();
    std::string text;
    for (const std::string& folder : roms.searchedFolders) {
        const std::string line = printableLine(folder);
        if (text.size() + line.size() + hint.size() + 1 > searchedFoldersSize)
            break;
        text += line;
    }
    text += hint;
    for (size_t i = 0; i < text.size(); ++i)
        memWrite(memory, uint16_t(searchedFoldersAddress + i), uint8_t(text[i]));
    memWrite(memory, uint16_t(searchedFoldersAddress + text.size()), 0);
}

uint64_t romSetIdentity(const RomSet& roms)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (const std::vector<uint8_t>* image : {&roms.os, &roms.basic, &roms.assem}) {
        const uint64_t length = image->size();
        uint8_t lengthBytes[8];
        for (int i = 0; i < 8; ++i)
            lengthBytes[i] = uint8_t(length >> (8 * i));
        hashBytes(hash, lengthBytes, sizeof lengthBytes);
        hashBytes(hash, image->data(), image->size());
    }
    return hash;
}

std::string describeRomSet(uint64_t identity, bool builtin)
{
    if (builtin)
        return "the built-in ROM";
    char text[40];
    std::snprintf(text, sizeof text, "ROM set %016llX", static_cast<unsigned long long>(identity));
    return text;
}

} // namespace ollendor
