#include "host/sdl/sdl_platform.h"

#include <cstdio>

#include <SDL.h>

#include "host/sdl/sdl_audio.h"
#include "host/sdl/sdl_desktop.h"
#include "host/sdl/sdl_keys.h"
#include "host/sdl/sdl_renderer.h"
#include "host/sdl/sdl_toolkit.h"

namespace ollendor {

namespace {

class SdlPlatform : public Platform {
public:
    SdlPlatform(const PlatformSettings& settings, WindowDrawing& drawing)
        : sdlDesktop(settings.scale, drawing), sdlToolkit(settings.scale)
    {
        setRendererChoice(settings.renderer);
        setUiScale(settings.uiScale);
        sdlDesktop.setPlacement(settings.mainWindow);
        sdlDesktop.setAudioDeviceRemoved([this](uint32_t device) { audioDeviceRemoved(device); });
    }
    ~SdlPlatform() override
    {
        // The console's texture lives in a window's renderer: it goes first.
        sdlToolkit.sdlConsole.close();
    }
    Toolkit& toolkit() override { return sdlToolkit; }
    Desktop& desktop() override { return sdlDesktop; }
    AudioDevice* audioDevice() override { return &sdlAudio; }
    // While a text field of the main window has the keyboard the machine sees no key held.
    bool keyDown(uint8_t virtualKey) override { return !sdlDesktop.keyboardCaptured() && sdlKeyDown(virtualKey); }
    int16_t capsLockState() override { return sdlCapsLockState(); }
    void setAudioDeviceRemoved(std::function<void()> handler) override { removedHandler = std::move(handler); }

private:
    // Our output device went away while playing: the stream is closed (which always
    // finishes, waking the sound thread) and the run goes on silent. Shutdown's own close
    // then finds nothing open.
    void audioDeviceRemoved(uint32_t device)
    {
        if (device == 0 || device != sdlAudio.id())
            return;
        if (removedHandler)
            removedHandler();
        sdlAudio.close(); // in case the stream was not playing through it
        std::fprintf(stderr, "ollendor: the sound device was removed; continuing without sound\n");
    }

    SdlAudioDevice sdlAudio;
    SdlDesktop sdlDesktop;
    SdlToolkit sdlToolkit;
    std::function<void()> removedHandler;
};

} // namespace

std::unique_ptr<Platform> createSdlPlatform(const PlatformSettings& settings, WindowDrawing& drawing)
{
    return std::make_unique<SdlPlatform>(settings, drawing);
}

} // namespace ollendor
