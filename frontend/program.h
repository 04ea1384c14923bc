// Program entry's sequence: start-up, the emulation run, shutdown.
#pragma once

#include "frontend/options.h"
#include "host/platform.h"

inline constexpr int exitToolkitError = 1;

// The frame step the platform's host runs: renders and presents a frame, remembers what
// --screenshot needs of it, and with --wav writes the sound of the frame's cycles.
void programFrameStep();

// Runs the program on the platform: machine start-up, main window, console, display, sound,
// Caps Lock, the run, then shutdown. A DynamicError anywhere on the way is reported through
// the toolkit and gives exitToolkitError; a normal quit gives 0.
int runProgram(const Options& options, Platform& platform);
