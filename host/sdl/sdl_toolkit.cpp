#include "host/sdl/sdl_toolkit.h"

#include <chrono>
#include <cstdio>

#include "host/sdl/sdl_error.h"

namespace {
// Seconds on the host's monotonic clock.
class SteadyTimer : public Timer {
public:
    void start() override { origin = Clock::now(); }
    double time() override { return std::chrono::duration<double>(Clock::now() - origin).count(); }
    void setTime(double seconds) override
    {
        origin = Clock::now() - std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(seconds));
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point origin = Clock::now(); // the moment that counts as 0
};

void checkFormat(const PixelFormat& format)
{
    if (format.bits != consoleFormat.bits || format.red != consoleFormat.red ||
        format.green != consoleFormat.green || format.blue != consoleFormat.blue)
        throw DynamicError("console: only 32-bit 0x00RRGGBB pixels are supported");
}
} // namespace

void SdlConsole::setOption(const std::string& option)
{
    applyConsoleOption(options, option);
    if (option == "disable key buffering" && isOpen())
        SDL_StopTextInput(); // no queue of typed characters: keys are read as live states
}

void SdlConsole::open(AppWindow& window, int width, int height, const PixelFormat& format)
{
    if (isOpen())
        throw DynamicError("console: already open");
    if (width != consoleWidth || height != consoleHeight)
        throw DynamicError("console: only 320 x 200 is supported");
    checkFormat(format);
    auto* sdlWindow = dynamic_cast<SdlWindow*>(&window);
    if (!sdlWindow)
        throw DynamicError("console: not an SDL window");

    sdlWindow->setFullscreen(options.fullscreen);
    // Not every renderer can switch synchronisation; the picture shows either way.
    SDL_RenderSetVSync(sdlWindow->renderer(), options.unsynchronized ? 0 : 1);
    texture = SDL_CreateTexture(sdlWindow->renderer(), SDL_PIXELFORMAT_ARGB8888,
                                SDL_TEXTUREACCESS_STREAMING, consoleWidth, consoleHeight);
    if (!texture)
        throwSdlError("SDL_CreateTexture");
    if (options.keyBuffering)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
    target = sdlWindow;
}

void SdlConsole::openTitled(const std::string& title, const PixelFormat& format)
{
    if (isOpen())
        throw DynamicError("console: already open");
    checkFormat(format);
    auto own = std::make_unique<SdlWindow>(title, consoleWidth * scale, consoleHeight * scale);
    open(*own, consoleWidth, consoleHeight, format);
    ownWindow = std::move(own);
}

AppWindow& SdlConsole::window()
{
    checkOpen("window");
    return *target;
}

void SdlConsole::close()
{
    if (texture) {
        if (lockedPixels)
            SDL_UnlockTexture(texture);
        SDL_DestroyTexture(texture);
    }
    texture = nullptr;
    lockedPixels = nullptr;
    // An own window stays until the next openTitled, so that a full-screen toggle can
    // reopen the console on it.
    target = nullptr;
}

uint32_t* SdlConsole::lock()
{
    checkOpen("lock");
    if (lockedPixels)
        throw DynamicError("console: already locked");
    if (SDL_LockTexture(texture, nullptr, &lockedPixels, &lockedPitch) != 0) {
        lockedPixels = nullptr;
        throwSdlError("SDL_LockTexture");
    }
    return static_cast<uint32_t*>(lockedPixels);
}

int SdlConsole::pitch()
{
    checkOpen("pitch");
    return lockedPitch;
}

void SdlConsole::unlock()
{
    checkOpen("unlock");
    if (!lockedPixels)
        throw DynamicError("console: not locked");
    SDL_UnlockTexture(texture);
    lockedPixels = nullptr;
}

void SdlConsole::update()
{
    checkOpen("update");
    if (lockedPixels)
        throw DynamicError("console: update while locked");
    target->present(texture);
}

void SdlConsole::clear(const Colour& colour)
{
    const uint32_t pixel = packColour(colour);
    uint32_t* pixels = lock();
    for (int row = 0; row < consoleHeight; ++row) {
        uint32_t* line = reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(pixels) + row * lockedPitch);
        for (int x = 0; x < consoleWidth; ++x)
            line[x] = pixel;
    }
    unlock();
}

void SdlConsole::checkOpen(const char* operation) const
{
    if (!isOpen())
        throw DynamicError(std::string("console: ") + operation + " while not open");
}

std::unique_ptr<Timer> SdlToolkit::createTimer()
{
    auto timer = std::make_unique<SteadyTimer>();
    return timer;
}

void SdlToolkit::report(const DynamicError& error)
{
    std::fprintf(stderr, "ollendor: %s\n", error.what());
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Ollendor", error.what(), nullptr);
}
