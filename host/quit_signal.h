// SIGINT and SIGTERM (Ctrl+C in the terminal, or a polite kill) end the run through the same
// quit path as the menu's "Quit": the handlers only raise a flag that the event pump reads.
#pragma once

// Installs the handlers for SIGINT and SIGTERM.
void installQuitSignals();
// True once either signal has arrived.
bool quitSignalled();
// Forgets an earlier signal (for a test that raises one and goes on).
void clearQuitSignal();
