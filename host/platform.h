// One platform for a run: the pixel toolkit, the desktop, the host's keyboard and the
// sound device.
// Made by createSdlPlatform (host/sdl/sdl_platform.h) or createHeadlessPlatform
// (headless_host.h); program entry installs its toolkit and drives its desktop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "host/audio/device.h"
#include "host/renderer_choice.h"
#include "host/desktop.h"
#include "host/toolkit.h"

namespace ollendor {

struct PlatformSettings {
    int scale = 3; // whole factor the console is shown at in a new window
    WindowPlacement mainWindow;  // the main window's size and place at start (the settings)
    RendererChoice renderer = RendererChoice::automatic;
    double uiScale = 0;          // the size of the main window's widgets; 0: from the display's DPI
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual Toolkit& toolkit() = 0;
    virtual Desktop& desktop() = 0;
    // The host's sound device, or null where there is none (headless).
    virtual AudioDevice* audioDevice() = 0;
    // Whether the host key with this Windows virtual-key code is down at this moment.
    virtual bool keyDown(uint8_t virtualKey) = 0;
    // The Caps Lock key as one 16-bit value: bit 0 set while the lock is on (toggled),
    // bit 15 set while the key is held down.
    virtual int16_t capsLockState() = 0;
    // Told from the event pump when the sound device went away (unplugged): whoever plays
    // through it closes its stream; the device itself is closed afterwards.
    virtual void setAudioDeviceRemoved(std::function<void()> handler) { (void)handler; }
};

} // namespace ollendor
