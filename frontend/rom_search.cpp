#include "frontend/rom_search.h"

#include <cstdlib>
#include <system_error>

#include "roms/builtin_rom.h"

namespace ollendor {

namespace fs = std::filesystem;

namespace {

fs::path shown(const fs::path& folder)
{
    std::error_code error;
    fs::path path = fs::absolute(folder, error);
    if (error)
        return folder;
    path = path.lexically_normal();
    if (!path.has_filename() && path != path.root_path())
        path = path.parent_path(); // "/a/b/" → "/a/b"
    return path;
}

bool holdsAnImage(const fs::path& folder)
{
    for (std::string_view name : romFileNames) {
        std::error_code error;
        if (fs::symlink_status(folder / name, error).type() != fs::file_type::not_found)
            return true;
    }
    return false;
}

} // namespace

std::vector<fs::path> romSearchFolders(const std::optional<fs::path>& romDir)
{
    std::vector<fs::path> candidates{"."};
    if (romDir)
        candidates.push_back(*romDir);
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (data && data[0] == '/')
        candidates.push_back(fs::path(data) / "ollendor" / "roms");
    else if (home && home[0] == '/')
        candidates.push_back(fs::path(home) / ".local" / "share" / "ollendor" / "roms");

    std::vector<fs::path> folders;
    for (const fs::path& candidate : candidates) {
        const fs::path folder = shown(candidate);
        bool seen = false;
        for (const fs::path& earlier : folders) {
            std::error_code error;
            seen = seen || earlier == folder || fs::equivalent(earlier, folder, error);
        }
        if (!seen)
            folders.push_back(folder);
    }
    return folders;
}

RomSetResult searchRomSet(const std::vector<fs::path>& folders)
{
    std::vector<std::string> searched;
    for (const fs::path& folder : folders) {
        searched.push_back(folder.string());
        if (!holdsAnImage(folder))
            continue;
        RomSetResult result = loadRomSet(folder);
        if (result.ok && result.roms.builtin)
            result.roms.searchedFolders = searched;
        return result;
    }
    RomSetResult result;
    std::string list;
    for (size_t i = 0; i < searched.size(); ++i)
        list += std::string(i == 0 ? "" : i + 1 == searched.size() ? " or " : ", ") + "\"" + searched[i] + "\"";
    result.warnings.push_back("ollendor: no MTX ROM images (osrom, basicrom, assemrom) in " + list +
                              "; running the built-in ROM");
    result.roms = builtinRomSet();
    result.roms.searchedFolders = searched;
    result.ok = true;
    return result;
}

} // namespace ollendor
