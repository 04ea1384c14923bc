// The main window's menu, its commands, the About box and the console's open, close and
// full-screen toggle.
//
// The menu "Stuff" and the Alt+f accelerator both end up in onMenuCommand, on the main
// thread, from inside the event pump (so between two instructions of the emulated CPU).
#pragma once

#include <cstddef>

#include "host/desktop.h"
#include "host/toolkit.h"

namespace ollendor {

namespace menuCommand {
inline constexpr int fullscreen = 0; // also the accelerator's command
inline constexpr int timings = 1;
inline constexpr int videoChip = 2;
inline constexpr int sound = 3;
inline constexpr int about = 4;
inline constexpr int quit = 5;
} // namespace menuCommand

inline constexpr const char* menuTitle = "Stuff";
inline constexpr MenuEntry stuffMenu[] = {
    {"Sound", menuCommand::sound},
    {"Video chip", menuCommand::videoChip},
    {"Timings", menuCommand::timings},
    {"Fullscreen (alt-f)", menuCommand::fullscreen},
    {"About", menuCommand::about},
    {"Quit", menuCommand::quit},
};

// 1 while the console shows in a window, 0 in full-screen output (0 before the first open).
extern int windowedOutput;

inline constexpr std::size_t aboutTextSize = 256;
struct AboutText {
    char caption[aboutTextSize]; // "About Ollendor..."
    char body[aboutTextSize];    // name, release, credits and thanks
};
AboutText aboutText();

// Creates the main window with its menu on the desktop; commands go to onMenuCommand.
AppWindow& createMainWindow(Desktop& desktop);
// Carries out one command; unknown commands do nothing.
void onMenuCommand(int command, Desktop& desktop);

// Opens the console in the window with windowed (1) or full-screen (0) output; when it
// cannot open there it opens in a window of its own, and only that failing is thrown.
void openConsole(AppWindow& window, int windowed);
void closeConsole();
// Closes the console and reopens it on the same window with the other output.
void toggleFullscreen();

} // namespace ollendor
