#include "frontend/main_window.h"

#include <cstdio>

namespace ollendor {

namespace {
constexpr const char* programName = "Ollendor";
constexpr const char* releaseName = "Release 1";
constexpr const char* credits = "Maren Holt - emulation core\r\nTobias Quill - display and sound";
constexpr const char* thanks =
    "Ines Varga - keyboard research\r\nPetra Lind, Osman Kaye, Wren Abbott - testing";

void openInfoWindowOnce(Desktop& desktop, InfoWindow kind)
{
    // An open window is not opened again, nor brought forward.
    if (!desktop.infoWindowOpen(kind))
        desktop.openInfoWindow(kind);
}
} // namespace

int windowedOutput = 0;

AboutText aboutText()
{
    AboutText text{};
    std::snprintf(text.caption, sizeof text.caption, "About %s...", programName);
    std::snprintf(text.body, sizeof text.body, "%s - %s\r\n\r\nCredits:\r\n%s\r\n\r\nThanks to:\r\n%s",
                  programName, releaseName, credits, thanks);
    return text;
}

AppWindow& createMainWindow(Desktop& desktop)
{
    return desktop.createMainWindow(menuTitle, stuffMenu,
                                    [&desktop](int command) { onMenuCommand(command, desktop); });
}

void onMenuCommand(int command, Desktop& desktop)
{
    switch (command) {
    case menuCommand::sound: openInfoWindowOnce(desktop, InfoWindow::sound); break;
    case menuCommand::videoChip: openInfoWindowOnce(desktop, InfoWindow::videoChip); break;
    case menuCommand::timings: openInfoWindowOnce(desktop, InfoWindow::timings); break;
    case menuCommand::fullscreen: toggleFullscreen(); break;
    case menuCommand::about: {
        const AboutText text = aboutText();
        desktop.showMessage(text.caption, text.body);
        break;
    }
    case menuCommand::quit: desktop.postQuit(); break;
    default: break;
    }
}

void openConsole(AppWindow& window, int windowed)
{
    Console& console = toolkit().console();
    windowedOutput = windowed;
    console.setOption(windowed ? "windowed output" : "fullscreen output");
    console.setOption("unsynchronized update");
    try {
        console.open(window, consoleWidth, consoleHeight, consoleFormat);
    } catch (const DynamicError&) {
        console.openTitled("Vostrel", consoleFormat);
    }
    console.setOption("disable key buffering");
}

void closeConsole()
{
    toolkit().console().close();
}

void toggleFullscreen()
{
    windowedOutput = windowedOutput == 0 ? 1 : 0;
    Console& console = toolkit().console();
    AppWindow& window = console.window();
    console.close();
    openConsole(window, windowedOutput);
}

} // namespace ollendor
