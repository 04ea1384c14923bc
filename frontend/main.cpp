// Ollendor: an emulator of the Memotech MTX home computer.
#include "frontend/options.h"
#include "frontend/program.h"
#include "frontend/window_drawing.h"
#include "host/headless_host.h"
#include "host/process_start.h"
#include "host/quit_signal.h"
#include "host/sdl/sdl_platform.h"

int main(int argc, char** argv)
{
    using namespace ollendor;
    // Before anything opens a file or writes a message; signals from the start on take
    // the quit path (or, for SIGPIPE, are ignored).
    openStandardDescriptors();
    installQuitSignals();

    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (!commandLine.run)
        return commandLine.exitCode;
    // The settings file fills in what the command line leaves open (not headless).
    RunSettings runSettings = openRunSettings(commandLine.options, settingsFilePath());
    const Options options = mergedOptions(commandLine.options, runSettings.current);

    const PlatformSettings settings = platformSettings(options, commandLine.options, runSettings.current);
    FrontendDrawing drawing; // the windows' widgets; outlives the platform
    std::unique_ptr<Platform> platform =
        options.headless ? createHeadlessPlatform(settings) : createSdlPlatform(settings, drawing);
    return runProgram(options, *platform, drawing, options.headless ? nullptr : &runSettings);
}
