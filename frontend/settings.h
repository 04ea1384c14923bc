// The settings that last from one run to the next, in a TOML file:
// $XDG_CONFIG_HOME/ollendor/settings.toml (~/.config/ollendor/settings.toml without it).
//
//   [window]  scale = 3, width = 960, height = 619, x = 40, y = 30, fullscreen = false,
//             maximized = false   (x, y: the corner of the window's frame)
//   [speed]   limited = true
//   [sound]   volume = 100 (0-100), muted = false
//   [folders] roms = "/home/me/mtx", tapes = "/home/me/tapes"
//   [tapes]   recent = ["/home/me/tapes/game.mtx", ...]   (newest first, at most 10)
//   [windows] open = ["timings", "tapes", ...], debugger = true (the workspace shown)
//   [keys]    save-state = "F2", step-out = "Shift+F8", ... (frontend/hotkeys.h)
//
// Every key is optional. A value of the wrong type or out of range, an unknown key and a
// key given to two actions each give a warning naming the file, the line and the key, and
// that setting keeps its default. A file that cannot be parsed gives one warning with the
// line and the program starts with the defaults. Whenever the file had a problem it is
// kept as settings.toml.bad (the first free settings.toml.bad.N when that exists), so
// saving at quit loses nothing the user wrote; a file that cannot even be read is left
// alone and not written over in that run. The command line overrides the file for the run.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "frontend/hotkeys.h"

namespace ollendor {

inline constexpr size_t recentTapesKept = 10;

struct WindowSettings {
    int scale = 3;                 // whole factor of the picture in a new window (1-16)
    int width = 0, height = 0;     // the main window's client size; 0: from the scale
    std::optional<int> x, y;       // its position on the desktop; none: the system's choice
    bool fullscreen = false;
    bool maximized = false;        // filling the screen as a window (size and place: from before)

    bool operator==(const WindowSettings&) const = default;
};

struct Settings {
    WindowSettings window;
    bool speedLimited = true;
    int volume = 100;              // per cent of full output
    bool muted = false;
    std::optional<std::filesystem::path> romFolder;  // the --rom-dir last used
    std::optional<std::filesystem::path> tapeFolder; // the tape folder last used
    std::vector<std::filesystem::path> recentTapes;  // newest first
    std::vector<std::string> openWindows;            // "timings", "video-chip", "sound", "tapes", ...
    bool debuggerShown = true;                       // the debugger's workspace (its views) shown
    double uiScale = 0;                              // [ui] scale: the widgets' size; 0 "auto" (the display's DPI)
    std::array<KeyBinding, hotkeyCount> keys = HotkeyMap().keys();

    bool operator==(const Settings&) const = default;
};

struct SettingsLoad {
    Settings settings;                 // the file's settings, defaults where it had none or bad ones
    std::vector<std::string> warnings; // lines for standard error
    bool writable = true;              // false: the file could not be read, so is not written over
};

// Where the settings live, from the environment as it is; empty when neither
// XDG_CONFIG_HOME nor HOME names an absolute folder (the run then has no settings file).
std::filesystem::path settingsFilePath();

SettingsLoad loadSettings(const std::filesystem::path& file);
// The settings as the file's text.
std::string settingsText(const Settings& settings);
// Writes the file through a temporary file and a rename, making its folder when needed.
// Empty on success, else the reason.
std::string saveSettings(const std::filesystem::path& file, const Settings& settings);

// Puts the tape first in the recent list (once), keeping at most recentTapesKept.
void rememberTape(Settings& settings, const std::filesystem::path& tape);

// Gives the map exactly these keys (all different, as loadSettings leaves them).
void applyKeys(HotkeyMap& map, const std::array<KeyBinding, hotkeyCount>& keys);

} // namespace ollendor
