// The settings file around one run of the program: read at start (never for a headless
// run, which depends on its command line alone), merged with the command line, which
// wins for that run, and written back at quit. A setting the command line overrode is
// written back as the file had it; the ROM and tape folders are the ones last used.
#pragma once

#include <filesystem>

#include "frontend/options.h"
#include "frontend/settings.h"
#include "host/platform.h"

namespace ollendor {

struct RunSettings {
    std::filesystem::path file; // where they are read from and written to
    Settings loaded;            // as read
    Settings current;           // in use; the program changes it as it runs
    bool save = false;          // written at quit (not headless, and the file was readable)
    Options given;              // the command line as given
};

// Reads the file (for a windowed run), printing its warnings on standard error.
RunSettings openRunSettings(const Options& options, const std::filesystem::path& file);

// The command line with what it leaves open taken from the settings: the scale, full
// screen, the speed limit, the ROM and tape folders (a remembered folder that is gone is
// passed over, with a warning).
Options mergedOptions(const Options& options, const Settings& settings);

// The platform's start: scale, the main window's size and place, the renderer.
PlatformSettings platformSettings(const Options& merged, const Options& given, const Settings& settings);

// What is written at quit from the settings in use: the overridden ones as loaded.
Settings settingsToSave(const RunSettings& run);

} // namespace ollendor
