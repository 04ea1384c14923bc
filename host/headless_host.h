// The host of a run without a window or a sound device (--headless).
//
// Its clock advances with emulated time instead of the host's: every reading of the system
// time moves it on by the time of one hook period (2048 cycles at 4 MHz, 512 us), so the
// pacing never waits and the measured speed is the same on every run. Keys come from the
// typist only; the pump reports quit after the frame limit or on SIGINT/SIGTERM.
#pragma once

#include <cstdint>
#include <functional>

#include "host/desktop.h"
#include "host/host.h"
#include "host/key_typist.h"
#include "host/platform.h"
#include "host/toolkit_memory.h"

inline constexpr uint64_t microsPerClockReading = 512; // 2048 cycles at 4 MHz

class HeadlessHost : public Host {
public:
    // frameLimit 0 runs until a signal; frameStep renders and presents one frame.
    HeadlessHost(unsigned frameLimit, const KeyTypist& typist, std::function<void()> frameStep);

    uint16_t systemMillis() override;
    void sleepMillis(unsigned millis) override;
    bool keyDown(uint8_t virtualKey) override;
    int16_t capsLockState() override { return 0; }
    void messageBox(const char* caption, const char* text) override;
    bool pumpMessages() override;
    void renderFrame() override;

    // Emulated seconds since the start, for the toolkit's timers.
    double seconds() const { return double(micros) / 1e6; }
    unsigned framesRendered() const { return frames; }
    void requestQuit() { quitRequested = true; }

private:
    unsigned frameLimit;               // 0: no limit
    KeyTypist typist;                  // the --type text
    std::function<void()> frameStep;   // renders and presents
    uint64_t micros = 0;               // the clock
    unsigned frames = 0;               // frames rendered
    bool quitRequested = false;        // set through the desktop
};

// No windows: the main window is a plain in-memory one, information windows never open and
// messages go to standard error.
class HeadlessDesktop : public Desktop {
public:
    explicit HeadlessDesktop(HeadlessHost& host) : host(host) {}

    AppWindow& createMainWindow(const char* menuTitle, std::span<const MenuEntry> items,
                                std::function<void(int command)> onCommand) override;
    bool infoWindowOpen(InfoWindow) override { return false; }
    void openInfoWindow(InfoWindow) override {}
    void showMessage(const char* caption, const char* text) override;
    void postQuit() override { host.requestQuit(); }
    void destroyMainWindow() override {}

private:
    HeadlessHost& host;
    MemoryWindow mainWindow{"Ollendor"};
};

// The headless host, the in-memory toolkit on its emulated clock and the headless desktop.
std::unique_ptr<Platform> createHeadlessPlatform(const PlatformSettings& settings);
