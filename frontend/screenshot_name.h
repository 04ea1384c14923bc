// Where the screenshot key puts its pictures, and under which name.
//
// The folder is $XDG_PICTURES_DIR/ollendor: XDG_PICTURES_DIR from the environment, else
// from the user's user-dirs.dirs ($XDG_CONFIG_HOME, or ~/.config); when neither names a
// folder, the current one. A picture is named by the local date and time it was taken,
// ollendor-2026-12-07-11-42-05.png, and never replaces a file: a name that is taken gets
// -2, -3, ... before ".png".
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>

namespace ollendor {

std::filesystem::path screenshotFolder();

// The XDG_PICTURES_DIR line of a user-dirs.dirs file's text: "$HOME/Pictures" (with home
// put in) or an absolute path, in double quotes. Nothing when there is no such line or
// it names no absolute folder.
std::optional<std::filesystem::path> picturesFolderFromUserDirs(std::string_view text,
                                                                const std::filesystem::path& home);

// The first name of a picture taken at `when` that nothing in folder has (a dangling
// link counts as taken); nothing after 999 tries.
std::optional<std::filesystem::path> freeScreenshotPath(const std::filesystem::path& folder, const std::tm& when);

} // namespace ollendor
