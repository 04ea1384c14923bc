// One platform for a run: the host the machine calls, the pixel toolkit, the desktop and
// the sound device.
// Made by createSdlPlatform (host/sdl/sdl_platform.h) or createHeadlessPlatform
// (headless_host.h); program entry installs its host and toolkit and uses its desktop.
#pragma once

#include <functional>
#include <memory>

#include "host/audio.h"
#include "host/desktop.h"
#include "host/host.h"
#include "host/key_typist.h"
#include "host/toolkit.h"

struct PlatformSettings {
    int scale = 3;                   // whole factor the console is shown at in a new window
    unsigned frameLimit = 0;         // the pump reports quit after this many frames; 0: never
    KeyTypist typist;                // keys typed after start
    std::function<void()> frameStep; // renders and presents one frame
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual Host& host() = 0;
    virtual Toolkit& toolkit() = 0;
    virtual Desktop& desktop() = 0;
    // The host's sound device, or null where there is none (headless).
    virtual AudioDevice* audioDevice() = 0;
};
