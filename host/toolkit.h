// The pixel toolkit: the console the picture is drawn on, pixel formats, colours, timers and
// the error report.
//
// The console is a 320 x 200 surface of 32-bit pixels (red in bits 16-23, green 8-15, blue
// 0-7) that is opened in a window of the program, locked for direct pixel access, unlocked
// and presented with update. Every failure is thrown as a DynamicError carrying its message;
// program entry catches it and hands it to the toolkit's report.
//
// Two toolkits implement this: the SDL one in host/sdl/ (a streaming texture in the main
// window) and the in-memory one (toolkit_memory.h) used headless and by the tests. Exactly
// one is installed at a time; everything here is called from the main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "video/display.h"

namespace ollendor {

// A failure of the toolkit, or of the creation of a window. Its what() is the message shown.
class DynamicError : public std::runtime_error {
public:
    explicit DynamicError(const std::string& message) : std::runtime_error(message) {}
};


// A direct pixel format: bits per pixel and the masks of each component.
struct PixelFormat {
    unsigned bits;  // bits per pixel
    uint32_t red;   // mask of the red component
    uint32_t green; // mask of the green component
    uint32_t blue;  // mask of the blue component
    uint32_t alpha; // mask of the alpha component, 0 for none
};

// The only format the consoles take: 32-bit 0x00RRGGBB.
inline constexpr PixelFormat consoleFormat{32, 0xFF0000, 0xFF00, 0xFF, 0};

// A direct colour, each component from 0.0 to 1.0.
struct Colour {
    float red;   // red intensity
    float green; // green intensity
    float blue;  // blue intensity
    float alpha; // opacity (ignored by the consoles)
};

// The colour as a console pixel; components outside 0-1 are clamped.
uint32_t packColour(const Colour& colour);

// The options a console knows. Each takes effect at the next open, except key buffering,
// which also takes effect at once on an open console.
struct ConsoleOptions {
    bool fullscreen;     // "fullscreen output" (true) or "windowed output" (false)
    bool unsynchronized; // "unsynchronized update": present without waiting for the display
    bool keyBuffering;   // cleared by "disable key buffering": no typed-character queue
};

inline constexpr ConsoleOptions defaultConsoleOptions{false, false, true};

// Applies one option text to the set; throws DynamicError for a text it does not know.
void applyConsoleOption(ConsoleOptions& options, const std::string& option);

// A window of the program that a console can be opened in.
class AppWindow {
public:
    virtual ~AppWindow() = default;
};

class Console {
public:
    virtual ~Console() = default;

    virtual void setOption(const std::string& option) = 0;
    // Opens the console inside the window at width x height pixels of the format.
    virtual void open(AppWindow& window, int width, int height, const PixelFormat& format) = 0;
    // Opens the console in a window of its own with that title, 320 x 200 pixels.
    virtual void openTitled(const std::string& title, const PixelFormat& format) = 0;
    // The window the open console draws in; throws when the console is not open.
    virtual AppWindow& window() = 0;
    virtual void close() = 0;

    // Address of the first pixel; the console stays locked until unlock.
    virtual uint32_t* lock() = 0;
    // Bytes from one pixel row to the next.
    virtual int pitch() = 0;
    virtual void unlock() = 0;
    // Presents the pixels.
    virtual void update() = 0;
    // Sets every pixel to the colour.
    virtual void clear(const Colour& colour) = 0;
};

// Counts seconds from its start.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void start() = 0;
    virtual double time() = 0;
    // Counting goes on from this value.
    virtual void setTime(double seconds) = 0;
};

class Toolkit {
public:
    virtual ~Toolkit() = default;
    // The one console, which lives as long as the toolkit.
    virtual Console& console() = 0;
    virtual std::unique_ptr<Timer> createTimer() = 0;
    // Shows the error to the user (or on standard error where there is no display).
    virtual void report(const DynamicError& error) = 0;
};

// Installs the toolkit every later call goes to. It must outlive its use.
void installToolkit(Toolkit& toolkit);
// The installed toolkit; throws DynamicError when none is installed.
Toolkit& toolkit();

} // namespace ollendor
