// The platform of a run without a window or a sound device (--headless).
//
// No windows: the main window is a plain in-memory one, information windows never open and
// messages go to standard error. No keys are down on the host keyboard (typed text comes
// from the session's typist); the pump reports quit on SIGINT, SIGTERM or SIGHUP, or once
// the desktop was asked to quit.
#pragma once

#include <cstdint>
#include <memory>

#include "host/desktop.h"
#include "host/platform.h"
#include "host/toolkit_memory.h"

namespace ollendor {

class HeadlessDesktop : public Desktop {
public:
    AppWindow& createMainWindow(const char* menuTitle, std::span<const MenuEntry> items,
                                std::function<void(int command)> onCommand) override;
    bool infoWindowOpen(InfoWindow) override { return false; }
    void openInfoWindow(InfoWindow) override {}
    void showMessage(const char* caption, const char* text) override;
    void postQuit() override { quitRequested = true; }
    void destroyMainWindow() override {}
    bool pump() override;
    void setInfoSource(InfoSource&) override {}

private:
    MemoryWindow mainWindow{"Ollendor"};
    bool quitRequested = false; // set through postQuit
};

// The in-memory toolkit on the host's monotonic clock and the headless desktop.
std::unique_ptr<Platform> createHeadlessPlatform(const PlatformSettings& settings);

} // namespace ollendor
