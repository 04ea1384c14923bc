// A binary file the user names to put into memory (--load, the load_binary tool): read
// whole, never waiting on a FIFO or device, and never more than fits where it goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ollendor {

struct BinaryFile {
    std::optional<std::vector<uint8_t>> bytes; // the whole file, when it could be read
    std::string error;                         // why not: "cannot read 'x.bin': it is a folder, not a file"
};

// Reads `path` whole. A file of more than `limit` bytes is refused (its size said), as is
// an empty one: nothing would be loaded.
BinaryFile readBinaryFile(const std::filesystem::path& path, size_t limit);

// Whether `path`, with every link and ".." resolved, lies inside one of `folders` (also
// resolved): a link from inside a folder to a file outside it does not count as inside.
bool insideFolders(const std::filesystem::path& path, const std::vector<std::filesystem::path>& folders);

} // namespace ollendor
