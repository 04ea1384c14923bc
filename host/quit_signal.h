// SIGINT, SIGTERM and SIGHUP (Ctrl+C in the terminal, a polite kill, the terminal closing)
// end the run through the same quit path as the menu's "Quit", which finishes the output
// files: the handlers only raise a flag that the event pump reads.
#pragma once

namespace ollendor {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP, and ignores SIGPIPE. A SIGHUP that
// is already ignored (started with nohup) stays ignored.
void installQuitSignals();
// True once one of the signals has arrived.
bool quitSignalled();
// Forgets an earlier signal (for a test that raises one and goes on).
void clearQuitSignal();

} // namespace ollendor
