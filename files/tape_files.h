// Tape images on the host: the file a tape request's name leads to in the tape folder.
//
// The name comes from emulated memory, so it never leaves the tape folder: a name with
// '/', '\\' or a NUL byte, or "." or "..", counts as a file that cannot be opened. When
// the exact 9-byte name is not there, the name without trailing spaces is tried, then
// with ".mtx" and ".MTX" added. Only regular files are opened, and never with an open
// that could wait (a FIFO would freeze the program). A tape that cannot be opened comes
// with the text for the "File not found" box, saying why (no such file, permission
// denied, a folder, a FIFO ...).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "machine/tape.h"

namespace ollendor {

struct TapeLookup {
    bool found = false;          // the image was read
    std::vector<uint8_t> image;  // its first 64 KiB
    std::string message;         // when not found: "The file ... could not be opened. Why."
    std::string warning;         // when found but longer than 64 KiB: a line for standard error
};

TapeLookup findTapeImage(const std::filesystem::path& folder, const char (&name)[tapeNameLength]);

// A tape image named by the user (mounted: it answers every request, whatever the name):
// the same checks and texts, for that file.
TapeLookup readTapeFile(const std::filesystem::path& path);

} // namespace ollendor
