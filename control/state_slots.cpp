#include "control/state_slots.h"

#include <cstdlib>
#include <system_error>

namespace ollendor {

std::optional<std::filesystem::path> stateSlotFolder(std::string* why)
{
    // XDG: a relative XDG_DATA_HOME is to be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return std::filesystem::path(data) / "ollendor" / "states";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::filesystem::path(home) / ".local" / "share" / "ollendor" / "states";
    if (why)
        *why = "neither XDG_DATA_HOME nor HOME names a folder for the state slots";
    return std::nullopt;
}

std::optional<std::filesystem::path> stateSlotPath(int slot, std::string* why)
{
    if (slot < 1 || slot > stateSlotCount) {
        if (why)
            *why = "the slots are 1 to " + std::to_string(stateSlotCount);
        return std::nullopt;
    }
    const std::optional<std::filesystem::path> folder = stateSlotFolder(why);
    if (!folder)
        return std::nullopt;
    return *folder / ("slot" + std::to_string(slot) + ".state");
}

bool makeStateSlotFolder(std::string& why)
{
    const std::optional<std::filesystem::path> folder = stateSlotFolder(&why);
    if (!folder)
        return false;
    std::error_code error;
    std::filesystem::create_directories(*folder, error);
    if (error || !std::filesystem::is_directory(*folder, error)) {
        why = "cannot make the folder '" + folder->string() + "'" + (error ? ": " + error.message() : "");
        return false;
    }
    return true;
}

} // namespace ollendor
