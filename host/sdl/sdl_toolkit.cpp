#include "host/sdl/sdl_toolkit.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>

#include "host/sdl/sdl_error.h"

namespace ollendor {

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
    // The top byte unused (no alpha), as the window's surface has it under X: the software
    // renderer then copies the picture without blending or converting each pixel.
    texture = SDL_CreateTexture(sdlWindow->renderer(), SDL_PIXELFORMAT_RGB888,
                                SDL_TEXTUREACCESS_STREAMING, consoleWidth, consoleHeight);
    if (!texture)
        throwSdlError("SDL_CreateTexture");
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    if (options.keyBuffering)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
    target = sdlWindow;
    // A new texture holds nothing yet: the next unlock uploads whatever is drawn, even when
    // an update presents the empty texture first (a reopen from a menu command).
    textureEmpty = true;
    pictureChanged = true;
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
    if (target)
        target->forgetPicture();
    if (texture)
        SDL_DestroyTexture(texture);
    texture = nullptr;
    locked = false;
    // An own window stays until the next openTitled, so that a full-screen toggle can
    // reopen the console on it.
    target = nullptr;
}

uint32_t* SdlConsole::lock()
{
    checkOpen("lock");
    if (locked)
        throw DynamicError("console: already locked");
    locked = true;
    return pixels;
}

int SdlConsole::pitch()
{
    checkOpen("pitch");
    return consoleWidth * 4;
}

void SdlConsole::unlock()
{
    checkOpen("unlock");
    if (!locked)
        throw DynamicError("console: not locked");
    locked = false;
    if (!textureEmpty && std::memcmp(pixels, uploaded, sizeof pixels) == 0)
        return;
    if (SDL_UpdateTexture(texture, nullptr, pixels, consoleWidth * 4) != 0)
        throwSdlError("SDL_UpdateTexture");
    std::memcpy(uploaded, pixels, sizeof pixels);
    textureEmpty = false;
    pictureChanged = true;
}

void SdlConsole::update()
{
    checkOpen("update");
    if (locked)
        throw DynamicError("console: update while locked");
    target->present(texture, pictureChanged);
    pictureChanged = false;
}

void SdlConsole::clear(const Colour& colour)
{
    uint32_t* drawn = lock();
    std::fill(drawn, drawn + consoleWidth * consoleHeight, packColour(colour));
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

} // namespace ollendor
