// An in-memory console that keeps a record of what was done to it and can refuse the next
// open in a window (as a window that cannot take a console does), in a toolkit of its own.
//
//   RecordingToolkit kit;  installToolkit(kit);
//   kit.console.refuseNextOpenInWindow = true;
//   ... openConsole(window, 1) ...
//   kit.console.optionLog, kit.console.openedWith, kit.console.opens
#pragma once

#include <string>
#include <vector>

#include "host/toolkit_memory.h"

namespace ollendor {

class RecordingConsole : public MemoryConsole {
public:
    void setOption(const std::string& option) override
    {
        MemoryConsole::setOption(option);
        optionLog.push_back(option);
    }
    void open(AppWindow& window, int width, int height, const PixelFormat& format) override
    {
        if (refuseNextOpenInWindow) {
            refuseNextOpenInWindow = false;
            throw DynamicError("console: cannot open in this window");
        }
        MemoryConsole::open(window, width, height, format);
        opened();
    }
    void openTitled(const std::string& title, const PixelFormat& format) override
    {
        MemoryConsole::openTitled(title, format);
        opened();
    }

    std::vector<std::string> optionLog;                // every option text set, in order
    ConsoleOptions openedWith = defaultConsoleOptions; // options in force at the last open
    unsigned opens = 0;                                // successful opens so far
    bool refuseNextOpenInWindow = false;               // the next open in a window throws

private:
    void opened()
    {
        openedWith = options;
        ++opens;
    }
};

// The in-memory toolkit's timers and reports (on a clock standing at 0) with a recording
// console.
class RecordingToolkit : public Toolkit {
public:
    Console& console() override { return recordingConsole; }
    std::unique_ptr<Timer> createTimer() override { return memory.createTimer(); }
    void report(const DynamicError& error) override { memory.report(error); }

    RecordingConsole recordingConsole;
    MemoryToolkit memory{[] { return 0.0; }};
};

} // namespace ollendor
