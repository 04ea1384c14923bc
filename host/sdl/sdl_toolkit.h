// The pixel toolkit on SDL: the console is a 320 x 200 streaming texture of 32-bit pixels
// (SDL_PIXELFORMAT_RGB888: red in bits 16-23, the top byte unused) shown in an SdlWindow.
//
// The console is drawn in a pixel array of its own; unlock uploads it to the texture only
// when it differs from what was uploaded last, and update presents the window only when
// the picture, the menu or the window changed. A still picture so costs no scaling and no
// presentation, which on a machine without a graphics card is most of the program's time.
#pragma once

#include <memory>

#include <SDL.h>

#include "host/sdl/sdl_window.h"
#include "host/toolkit.h"

namespace ollendor {

class SdlConsole : public Console {
public:
    // scale: whole factor of a window the console opens itself (openTitled).
    explicit SdlConsole(int scale) : scale(scale) {}
    ~SdlConsole() override { close(); }

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

    bool isOpen() const { return texture != nullptr; }
    SdlWindow* openWindow() const { return target; }

private:
    void checkOpen(const char* operation) const;

    int scale;                                  // factor of an own window
    ConsoleOptions options = defaultConsoleOptions; // as set so far
    SdlWindow* target = nullptr;                // the window drawn in while open
    std::unique_ptr<SdlWindow> ownWindow;       // made by openTitled
    SDL_Texture* texture = nullptr;             // the pixels, while open
    bool locked = false;                        // between lock and unlock
    bool pictureChanged = false;                // uploaded since the last presentation
    bool textureEmpty = false;                  // opened, nothing uploaded to the texture yet
    uint32_t pixels[consoleWidth * consoleHeight] = {};   // what is drawn
    uint32_t uploaded[consoleWidth * consoleHeight] = {}; // what the texture holds
};

class SdlToolkit : public Toolkit {
public:
    explicit SdlToolkit(int scale) : sdlConsole(scale) {}
    Console& console() override { return sdlConsole; }
    std::unique_ptr<Timer> createTimer() override;
    // An SDL message box, and the message on standard error (the only place it shows when
    // there is no display).
    void report(const DynamicError& error) override;

    SdlConsole sdlConsole;
};

} // namespace ollendor
