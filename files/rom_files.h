// Reading a ROM set from a folder.
//
// Reading is done once, at start-up, before any machine exists: a missing file (any of the
// three) means the built-in set; a file that is there but cannot serve as an image (a
// folder, a FIFO or device, unreadable, empty) is an error for the caller to report. Images
// shorter or longer than 8 KiB are used, with a warning.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "machine/rom_set.h"

namespace ollendor {

struct RomSetResult {
    bool ok = false;                   // a set to run
    RomSet roms;                       // when ok
    std::string error;                 // why not: names the file and the folder
    std::vector<std::string> warnings; // lines for standard error (fallback, image sizes)
};

// osrom, basicrom and assemrom from the folder, or the built-in set when any of them does
// not exist there (said in a warning naming the missing files and the folder).
RomSetResult loadRomSet(const std::filesystem::path& folder);

} // namespace ollendor
