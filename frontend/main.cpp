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
    const Options& options = commandLine.options;

    PlatformSettings settings;
    settings.scale = options.scale;
    FrontendDrawing drawing; // the windows' widgets; outlives the platform
    std::unique_ptr<Platform> platform =
        options.headless ? createHeadlessPlatform(settings) : createSdlPlatform(settings, drawing);
    return runProgram(options, *platform, drawing);
}
