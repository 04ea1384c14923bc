// Opening a file the user named (a ROM image, a tape image, a CP/M program) for reading,
// without ever waiting. open() on a FIFO waits for a writer, on some devices for the
// device, and that wait cannot be interrupted by the quit signals, so only regular files
// are opened at all: the kind is looked at with stat() first, and again on the opened
// descriptor, since the name may have been replaced in between (the open itself is
// non-blocking for that reason). A folder is refused the same way, before a read fails.
//
// Nothing here allocates beyond the FILE the C library makes: the tape trap opens files
// in the middle of an emulated instruction.
#pragma once

#include <cstdio>

namespace ollendor {

enum class FileProblem {
    none,       // opened
    missing,    // no such file
    folder,     // a folder, not a file
    notRegular, // a FIFO, device or socket
    other,      // a link that leads nowhere, permission denied, a path too long ...
};

struct OpenedFile {
    std::FILE* file;     // open for binary reading; nullptr unless problem is none
    FileProblem problem; // why not
    const char* why;     // why not, in words that fit after "cannot open X: "; nullptr if opened
};

OpenedFile openRegularFile(const char* path);

} // namespace ollendor
