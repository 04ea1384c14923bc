// The pixel toolkit without a display: the console is a 320 x 200 pixel array in memory,
// timers read a clock the owner supplies, and errors are reported on standard error.
//
// Headless runs use it with the host's monotonic clock (nothing is presented there); tests
// use it with a clock they set by hand and read the pixels and the presentation count back.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/toolkit.h"

namespace ollendor {

// A window for the in-memory console to be opened in: it only has a title.
class MemoryWindow : public AppWindow {
public:
    explicit MemoryWindow(std::string title) : title(std::move(title)) {}
    std::string title; // what a real window would show in its title bar
};

class MemoryConsole : public Console {
public:
    void setOption(const std::string& option) override;
    void open(AppWindow& window, int width, int height, const PixelFormat& format) override;
    void openTitled(const std::string& title, const PixelFormat& format) override;
    AppWindow& window() override;
    void close() override;
    uint32_t* lock() override;
    int pitch() override;
    void unlock() override;
    void update() override;
    void clear(const Colour& colour) override;

    // Pixel (x, y) as it was at the last update (what the user would see).
    uint32_t shown(int x, int y) const { return presented[y * consoleWidth + x]; }
    bool isOpen() const { return openWindow != nullptr; }

    ConsoleOptions options = defaultConsoleOptions; // as set so far
    unsigned updates = 0;                          // presentations so far

private:
    void checkOpen(const char* operation) const;

    AppWindow* openWindow = nullptr;           // the window drawn in, null while closed
    MemoryWindow ownWindow{""};                // used by openTitled
    bool locked = false;                       // between lock and unlock
    uint32_t pixels[consoleWidth * consoleHeight] = {};    // what is drawn
    uint32_t presented[consoleWidth * consoleHeight] = {}; // what the last update showed
};

class MemoryToolkit : public Toolkit {
public:
    // The clock gives seconds; every timer measures against it.
    explicit MemoryToolkit(std::function<double()> clock) : clock(std::move(clock)) {}

    Console& console() override { return memoryConsole; }
    std::unique_ptr<Timer> createTimer() override;
    void report(const DynamicError& error) override;

    MemoryConsole memoryConsole;
    std::vector<std::string> reports; // messages reported so far

private:
    std::function<double()> clock;
};

} // namespace ollendor
