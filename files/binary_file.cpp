#include "files/binary_file.h"

#include <cerrno>
#include <cstring>

#include "files/file_open.h"
#include "files/message_text.h"

namespace ollendor {

BinaryFile readBinaryFile(const std::filesystem::path& path, size_t limit)
{
    std::string name = "'";
    name += escapedName(path.string());
    name += '\'';
    const OpenedFile opened = openRegularFile(path.c_str());
    if (!opened.file)
        return {std::nullopt, "cannot read " + name + ": " + opened.why};
    // One byte past the limit tells a file that is too long without reading all of it.
    std::vector<uint8_t> bytes(limit + 1);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), opened.file);
    const bool failed = std::ferror(opened.file) != 0;
    const int error = errno;
    std::fclose(opened.file);
    if (failed)
        return {std::nullopt, "cannot read " + name + ": " + std::strerror(error)};
    if (got > limit) {
        std::error_code sizeError;
        const auto size = std::filesystem::file_size(path, sizeError);
        return {std::nullopt, name + " is too long: " +
                                  (sizeError ? "more than " + std::to_string(limit) : std::to_string(size)) +
                                  " bytes, and only " + std::to_string(limit) + " fit"};
    }
    if (got == 0)
        return {std::nullopt, name + " is empty: there is nothing to load"};
    bytes.resize(got);
    return {std::move(bytes), {}};
}

bool insideFolders(const std::filesystem::path& path, const std::vector<std::filesystem::path>& folders)
{
    std::error_code error;
    const std::filesystem::path file = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
    if (error)
        return false;
    for (const std::filesystem::path& folder : folders) {
        std::error_code folderError;
        const std::filesystem::path root = std::filesystem::canonical(folder, folderError);
        if (folderError)
            continue;
        // Component by component: "/roms" is no prefix of "/roms-other/x".
        auto inFile = file.begin();
        bool inside = true;
        for (auto part = root.begin(); part != root.end(); ++part, ++inFile)
            if (part->empty())
                continue; // a trailing separator
            else if (inFile == file.end() || *inFile != *part) {
                inside = false;
                break;
            }
        if (inside && inFile != file.end())
            return true;
    }
    return false;
}

} // namespace ollendor
