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
#include <string>
#include <string_view>

namespace ollendor {

std::filesystem::path screenshotFolder();

// The XDG_PICTURES_DIR line of a user-dirs.dirs file's text: "$HOME/Pictures" (with home
// put in) or an absolute path, in double quotes. Nothing when there is no such line or
// it names no absolute folder.
std::optional<std::filesystem::path> picturesFolderFromUserDirs(std::string_view text,
                                                                const std::filesystem::path& home);

// Takes the first name for a picture taken at `when` that nothing in folder has (a
// dangling link counts as taken) by creating it, empty, so that nothing else can take it
// before the picture is written over it. Nothing, with the reason, when the folder
// refuses (or after 999 names).
std::optional<std::filesystem::path> takeScreenshotName(const std::filesystem::path& folder, const std::tm& when,
                                                        std::string& error);

} // namespace ollendor
