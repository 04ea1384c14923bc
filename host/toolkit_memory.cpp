#include "host/toolkit_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace ollendor {

namespace {
// A timer over the toolkit's clock: remembers the clock reading that counts as zero.
class MemoryTimer : public Timer {
public:
    explicit MemoryTimer(const std::function<double()>& clock) : clock(clock) {}
    void start() override { origin = clock(); }
    double time() override { return clock() - origin; }
    void setTime(double seconds) override { origin = clock() - seconds; }

private:
    const std::function<double()>& clock; // the toolkit's clock
    double origin = 0.0;                  // clock reading at time 0
};

void checkFormat(const PixelFormat& format)
{
    if (format.bits != consoleFormat.bits || format.red != consoleFormat.red ||
        format.green != consoleFormat.green || format.blue != consoleFormat.blue)
        throw DynamicError("console: only 32-bit 0x00RRGGBB pixels are supported");
}
} // namespace

void MemoryConsole::setOption(const std::string& option)
{
    applyConsoleOption(options, option);
}

void MemoryConsole::open(AppWindow& window, int width, int height, const PixelFormat& format)
{
    if (isOpen())
        throw DynamicError("console: already open");
    if (width != consoleWidth || height != consoleHeight)
        throw DynamicError("console: only 320 x 200 is supported");
    checkFormat(format);
    openWindow = &window;
}

void MemoryConsole::openTitled(const std::string& title, const PixelFormat& format)
{
    if (isOpen())
        throw DynamicError("console: already open");
    checkFormat(format);
    ownWindow.title = title;
    openWindow = &ownWindow;
}

AppWindow& MemoryConsole::window()
{
    checkOpen("window");
    return *openWindow;
}

void MemoryConsole::close()
{
    openWindow = nullptr;
    locked = false;
}

uint32_t* MemoryConsole::lock()
{
    checkOpen("lock");
    if (locked)
        throw DynamicError("console: already locked");
    locked = true;
    return pixels;
}

int MemoryConsole::pitch()
{
    checkOpen("pitch");
    return consoleWidth * 4;
}

void MemoryConsole::unlock()
{
    checkOpen("unlock");
    if (!locked)
        throw DynamicError("console: not locked");
    locked = false;
}

void MemoryConsole::update()
{
    checkOpen("update");
    if (locked)
        throw DynamicError("console: update while locked");
    std::memcpy(presented, pixels, sizeof pixels);
    ++updates;
}

void MemoryConsole::clear(const Colour& colour)
{
    checkOpen("clear");
    if (locked)
        throw DynamicError("console: clear while locked");
    std::fill(std::begin(pixels), std::end(pixels), packColour(colour));
}

void MemoryConsole::checkOpen(const char* operation) const
{
    if (!isOpen())
        throw DynamicError(std::string("console: ") + operation + " while not open");
}

std::unique_ptr<Timer> MemoryToolkit::createTimer()
{
    return std::make_unique<MemoryTimer>(clock);
}

void MemoryToolkit::report(const DynamicError& error)
{
    reports.push_back(error.what());
    std::fprintf(stderr, "ollendor: %s\n", error.what());
}

} // namespace ollendor
