// The three ROM images a machine starts from (bytes, read from a folder by files/rom_files.h
// or taken from the built-in set), and the identity that save states and recordings are
// checked against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ollendor {

struct MemoryPages;

struct RomSet {
    std::vector<uint8_t> os;    // osrom as read (at most one page)
    std::vector<uint8_t> basic; // basicrom as read
    std::vector<uint8_t> assem; // assemrom as read
    bool builtin = false;       // our own set, not files
    uint64_t identity = 0;      // hash of the three images as loaded, 0 for none
    // The folders the images were looked for in, in order; the built-in ROM's welcome page
    // shows them (not part of the identity: the same ROM whoever looked where).
    std::vector<std::string> searchedFolders;
    // Lines the welcome page shows after the folders: how this host is given another folder
    // (the desktop window's menu item), or none.
    std::vector<std::string> folderHint;
};

// The built-in set.
RomSet builtinRomSet();

// Where the built-in ROM reads the searched folders (its ram.inc folderText): one a line of
// at most searchedFolderColumns characters, each ended by 10, the whole ended by 0.
inline constexpr uint16_t searchedFoldersAddress = 0xE000;
inline constexpr unsigned searchedFoldersSize = 256;
inline constexpr unsigned searchedFolderColumns = 38;

// Writes the built-in set's searched folders, then its folder hint, into common RAM for its
// welcome page (a real set gets nothing: its RAM stays as at power-on). A line too long
// keeps its end, after "..."; characters the ROM's font lacks show as '?'; lines that do not
// fit are left out.
void layOutSearchedFolders(MemoryPages& memory, const RomSet& roms);

// The identity of a set: a 64-bit FNV-1a hash over each image's length and bytes, so two
// sets have the same identity only if every image is the same.
uint64_t romSetIdentity(const RomSet& roms);

// "built-in" or the identity as 16 hex digits, for messages.
std::string describeRomSet(uint64_t identity, bool builtin);

} // namespace ollendor
