#include "host/sdl/sdl_platform.h"

#include <cstdio>
#include <ctime>

#include <SDL.h>

#include "host/sdl/sdl_audio.h"
#include "host/sdl/sdl_desktop.h"
#include "host/sdl/sdl_keys.h"
#include "host/sdl/sdl_toolkit.h"
#include "sound/stream.h"

namespace {
// The host the machine calls on the desktop: the system clock, real sleeps, SDL's key
// state (and the typist's keys), message boxes owned by the main window and its pump.
class SdlHost : public Host {
public:
    SdlHost(SdlDesktop& desktop, const PlatformSettings& settings)
        : desktop(desktop), frameLimit(settings.frameLimit), typist(settings.typist),
          frameStep(settings.frameStep)
    {
    }

    uint16_t systemMillis() override
    {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return uint16_t(now.tv_nsec / 1000000);
    }
    void sleepMillis(unsigned millis) override { SDL_Delay(millis); }
    bool keyDown(uint8_t virtualKey) override
    {
        return sdlKeyDown(virtualKey) || typist.keyDown(virtualKey);
    }
    int16_t capsLockState() override { return sdlCapsLockState(); }
    void messageBox(const char* caption, const char* text) override
    {
        desktop.showMessage(caption, text);
    }
    bool pumpMessages() override
    {
        if (frameLimit != 0 && frames >= frameLimit)
            return false;
        return desktop.pump();
    }
    void renderFrame() override
    {
        frameStep();
        ++frames;
        typist.frame();
    }

private:
    SdlDesktop& desktop;
    unsigned frameLimit;             // 0: no limit
    KeyTypist typist;                // the --type text
    std::function<void()> frameStep; // renders and presents
    unsigned frames = 0;             // frames rendered
};

class SdlPlatform : public Platform {
public:
    explicit SdlPlatform(const PlatformSettings& settings)
        : sdlDesktop(settings.scale), sdlToolkit(settings.scale), sdlHost(sdlDesktop, settings)
    {
        sdlDesktop.setAudioDeviceRemoved([this](uint32_t device) { audioDeviceRemoved(device); });
    }
    ~SdlPlatform() override
    {
        // The console's texture lives in a window's renderer: it goes first.
        sdlToolkit.sdlConsole.close();
    }
    Host& host() override { return sdlHost; }
    Toolkit& toolkit() override { return sdlToolkit; }
    Desktop& desktop() override { return sdlDesktop; }
    AudioDevice* audioDevice() override { return &sdlAudio; }

private:
    // Our output device went away while playing: the stream is closed (which always
    // finishes, waking the sound thread) and the run goes on silent. Shutdown's own
    // soundClose then finds nothing open.
    void audioDeviceRemoved(uint32_t device)
    {
        if (device == 0 || device != sdlAudio.id())
            return;
        soundClose();
        sdlAudio.close(); // in case the stream was not playing through it
        std::fprintf(stderr, "ollendor: the sound device was removed; continuing without sound\n");
    }

    SdlAudioDevice sdlAudio;
    SdlDesktop sdlDesktop;
    SdlToolkit sdlToolkit;
    SdlHost sdlHost;
};
} // namespace

std::unique_ptr<Platform> createSdlPlatform(const PlatformSettings& settings)
{
    return std::make_unique<SdlPlatform>(settings);
}
