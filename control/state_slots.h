// The four save state slots of the desktop and the automation server: files slot1.state to
// slot4.state in $XDG_DATA_HOME/ollendor/states/ (by default ~/.local/share/ollendor/states/).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace ollendor {

inline constexpr int stateSlotCount = 4;

// The folder, or nothing with the reason when neither XDG_DATA_HOME nor HOME says where
// it is.
std::optional<std::filesystem::path> stateSlotFolder(std::string* why = nullptr);
// slot 1-4.
std::optional<std::filesystem::path> stateSlotPath(int slot, std::string* why = nullptr);
// Makes the folder (and those above it) when it is not there; false with the reason.
bool makeStateSlotFolder(std::string& why);

} // namespace ollendor
