// Where tape images are looked for when neither --tape-dir nor the settings name a folder:
// "tapes" in the folder the program starts in when there is one (a build tree, a folder of
// one's own), else the tapes installed with the program (PREFIX/share/ollendor/tapes,
// found beside the program's own bin/ folder, then in $XDG_DATA_DIRS), else "tapes" as
// before, so the message about a missing tape names it.
#pragma once

#include <filesystem>

namespace ollendor {

// programFile is the running program's own file (empty: not known).
std::filesystem::path defaultTapeFolder(const std::filesystem::path& programFile);

// The running program's file (/proc/self/exe); empty when it cannot be read.
std::filesystem::path runningProgramFile();

} // namespace ollendor
