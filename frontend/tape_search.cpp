#include "frontend/tape_search.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <system_error>

namespace ollendor {

namespace fs = std::filesystem;

namespace {

bool isFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

} // namespace

fs::path runningProgramFile()
{
    std::error_code error;
    fs::path file = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : file;
}

fs::path defaultTapeFolder(const fs::path& programFile)
{
    if (isFolder("tapes"))
        return "tapes";
    if (!programFile.empty()) {
        const fs::path installed = programFile.parent_path().parent_path() / "share" / "ollendor" / "tapes";
        if (programFile.parent_path().filename() == "bin" && isFolder(installed))
            return installed;
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dirs && dirs[0] ? dirs : "/usr/local/share:/usr/share";
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(':', start), list.size());
        const fs::path folder = fs::path(list.substr(start, end - start)) / "ollendor" / "tapes";
        if (folder.is_absolute() && isFolder(folder))
            return folder;
        start = end + 1;
    }
    return "tapes";
}

} // namespace ollendor
