#include "files/state_files.h"

#include <cstdio>

#include "files/file_open.h"
#include "files/message_text.h"
#include "files/safe_file.h"

namespace ollendor {

namespace {

StateResult refuseStateFile(std::string why)
{
    return {false, std::move(why)};
}

} // namespace

StateResult saveStateFile(const Mtx& machine, const std::filesystem::path& path)
{
    if (const std::string why = unsavableState(machine); !why.empty())
        return refuseStateFile("cannot save the state file '" + escapedName(path.string()) + "': " + why);
    const std::vector<uint8_t> bytes = encodeState(machine);
    const std::string error = writeFileSafely(path, bytes);
    if (!error.empty())
        return refuseStateFile("cannot write the state file '" + escapedName(path.string()) + "': " + error);
    return {true, {}};
}

StateResult readStateFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes)
{
    const OpenedFile opened = openRegularFile(path.c_str());
    if (!opened.file)
        return refuseStateFile(opened.why);
    bytes.resize(stateFileLimit + 1);
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), opened.file);
    const bool failed = std::ferror(opened.file) != 0;
    std::fclose(opened.file);
    if (failed)
        return refuseStateFile("it cannot be read");
    if (read > stateFileLimit)
        return refuseStateFile("it is far larger than any state file");
    bytes.resize(read);
    return {true, {}};
}

StateResult loadStateFile(const std::filesystem::path& path, const Mtx& running, Mtx& into)
{
    const std::string where = "cannot load the state file '" + escapedName(path.string()) + "': ";
    std::vector<uint8_t> bytes;
    StateResult result = readStateFile(path, bytes);
    if (result.ok)
        result = decodeState(bytes, running, into);
    if (!result.ok)
        result.error = where + result.error;
    return result;
}


StateResult loadStatePicture(const std::filesystem::path& path, StatePicture& picture)
{
    std::vector<uint8_t> bytes;
    StateResult result = readStateFile(path, bytes);
    if (result.ok)
        result = readStatePicture(bytes, picture);
    if (!result.ok)
        result.error = "cannot read the state file '" + escapedName(path.string()) + "': " + result.error;
    return result;
}

} // namespace ollendor
