// Program entry's sequence: start-up, the emulation run, shutdown.
#pragma once

#include "frontend/options.h"
#include "host/platform.h"

inline constexpr int exitToolkitError = 1;

// The frame step the platform's host runs: renders and presents a frame, remembers what
// --screenshot needs of it, and with --wav writes the sound of the frame's cycles (saying
// once on standard error when the WAV file reaches its size limit).
void programFrameStep();

// Runs the program on the platform: machine start-up, main window, console, display, sound,
// Caps Lock, the run, then shutdown. A DynamicError anywhere on the way is reported through
// the toolkit and gives exitToolkitError; a normal quit gives 0, or exitToolkitError when
// an output file (--wav, --screenshot) could not be written. Whichever way the run ends,
// also through exit() called by a library, the sound thread is stopped and every output
// file is finished.
int runProgram(const Options& options, Platform& platform);
