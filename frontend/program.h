// Program entry's sequence: start-up, the emulation loop, shutdown.
#pragma once

#include "frontend/options.h"
#include "frontend/run_settings.h"
#include "frontend/window_drawing.h"
#include "host/platform.h"

namespace ollendor {

inline constexpr int exitToolkitError = 1;

// Runs the program on the platform: the ROM set, the session, main window, console, sound
// (the device or --wav), then the loop until the user quits or --frames have run, then
// shutdown. A DynamicError anywhere on the way is reported through the toolkit and gives
// exitToolkitError; a normal quit gives 0, or exitToolkitError when an output file
// (--wav, --screenshot) could not be written. Whichever way the run ends, also through
// exit() called by a library, the sound thread is stopped and every output file is
// finished.
// `drawing` is where the program's parts add their items, menus and windows to the main
// window (headless, nobody draws them).
// With settings (a windowed run), they are applied at start and written back at a normal
// quit; options are then the command line merged with them (mergedOptions).
int runProgram(const Options& options, Platform& platform, FrontendDrawing& drawing,
               RunSettings* settings = nullptr);

} // namespace ollendor
