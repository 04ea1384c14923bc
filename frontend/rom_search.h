// Where the program looks for the MTX ROM images: the folder it starts in, then the
// --rom-dir folder (or the one the settings remember), then
// $XDG_DATA_HOME/ollendor/roms (~/.local/share/ollendor/roms without it). The first folder
// holding any of osrom, basicrom and assemrom is the one used (an incomplete set there
// runs the built-in ROM, said in a warning, as before); when none holds any, the built-in
// ROM runs and the warning, like its welcome page, names every folder searched.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files/rom_files.h"
#include "machine/rom_set.h"

namespace ollendor {

// The folders in search order, each once (as the user should read them: absolute).
std::vector<std::filesystem::path> romSearchFolders(const std::optional<std::filesystem::path>& romDir);

// The set from the first folder that has images, or the built-in set with the folders.
RomSetResult searchRomSet(const std::vector<std::filesystem::path>& folders);

} // namespace ollendor
