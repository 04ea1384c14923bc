// The end of a run that a library cuts short.
//
// Some failures end the process from inside a library that never returns to us: Xlib
// calls its error handlers when the display is lost and ends the process when they
// return, and a library may call exit() itself. The program's own shutdown must still
// happen then: the sound thread stopped (a thread still running when the process ends
// takes it down with std::terminate) and the output files finished. Program entry
// registers that shutdown here for the length of the run:
//
//   setRunFinisher(finishOutputs);   // from now on exit() runs it first
//   ... the run ...
//   setRunFinisher(nullptr);         // the run finished its outputs itself
//
// A handler that must not return (the X error handlers) calls abandonRun.
#pragma once

namespace ollendor {

// Registers what must happen before the process ends while a run is in progress (null:
// nothing). An exit() anywhere runs it, once, before static objects are destroyed.
void setRunFinisher(void (*finisher)());
// Runs the registered finisher if it has not run yet.
void finishRun();
// Runs the finisher, prints "ollendor: message" on standard error and ends the process
// with exit code 1, without running static destructors or exit handlers (the library
// that called us is in no state for them). Called again meanwhile (the finisher failed
// the same way), it skips the finisher.
[[noreturn]] void abandonRun(const char* message);

} // namespace ollendor
