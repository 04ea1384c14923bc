#include "frontend/run_settings.h"

#include <cstdio>
#include <system_error>

namespace ollendor {

namespace fs = std::filesystem;

namespace {
fs::path absoluteOf(const fs::path& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}
} // namespace

RunSettings openRunSettings(const Options& options, const fs::path& file)
{
    RunSettings run;
    run.file = file;
    run.given = options;
    if (options.headless || file.empty())
        return run;
    SettingsLoad load = loadSettings(file);
    for (const std::string& warning : load.warnings)
        std::fprintf(stderr, "%s\n", warning.c_str());
    run.loaded = load.settings;
    run.current = load.settings;
    run.save = load.writable;
    if (options.romDir)
        run.current.romFolder = absoluteOf(*options.romDir);
    if (options.tapeDir)
        run.current.tapeFolder = absoluteOf(*options.tapeDir);
    return run;
}

Options mergedOptions(const Options& options, const Settings& settings)
{
    Options merged = options;
    if (!options.scaleGiven)
        merged.scale = settings.window.scale;
    merged.fullscreen = options.fullscreen || settings.window.fullscreen;
    merged.unconstrained = options.unconstrained || !settings.speedLimited;
    std::error_code error;
    if (!options.romDir && settings.romFolder) {
        if (fs::is_directory(*settings.romFolder, error))
            merged.romDir = settings.romFolder;
        else
            std::fprintf(stderr, "ollendor: the ROM folder %s remembered in the settings is gone; not searched\n",
                         settings.romFolder->c_str());
    }
    if (!options.tapeDir && settings.tapeFolder) {
        if (fs::is_directory(*settings.tapeFolder, error))
            merged.tapeDir = settings.tapeFolder;
        else
            std::fprintf(stderr, "ollendor: the tape folder %s remembered in the settings is gone; using tapes\n",
                         settings.tapeFolder->c_str());
    }
    return merged;
}

PlatformSettings platformSettings(const Options& merged, const Options& given, const Settings& settings)
{
    PlatformSettings platform;
    platform.scale = merged.scale;
    platform.renderer = merged.renderer;
    platform.uiScale = settings.uiScale;
    // --scale asks for the window that fits that scale, not the size it had last time.
    if (!given.scaleGiven) {
        platform.mainWindow.width = settings.window.width;
        platform.mainWindow.height = settings.window.height;
    }
    platform.mainWindow.x = settings.window.x;
    platform.mainWindow.y = settings.window.y;
    platform.mainWindow.maximized = settings.window.maximized;
    return platform;
}

Settings settingsToSave(const RunSettings& run)
{
    const Options& given = run.given;
    Settings saved = run.current;
    if (given.scaleGiven) {
        saved.window.scale = run.loaded.window.scale;
        saved.window.width = run.loaded.window.width;
        saved.window.height = run.loaded.window.height;
    }
    if (given.fullscreen)
        saved.window.fullscreen = run.loaded.window.fullscreen;
    if (given.unconstrained)
        saved.speedLimited = run.loaded.speedLimited;
    return saved;
}

} // namespace ollendor
