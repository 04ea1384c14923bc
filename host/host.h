// What the emulated machine asks of the platform it runs on.
//
// The machine needs only a handful of things from outside: the host clock (the millisecond
// field of the system time) and a 1 ms sleep for pacing, the live state of host keys for
// the keyboard matrix, a modal message box, the main window's message pump and the frame
// step. The desktop program installs an SDL host, --headless installs the headless host,
// and the tests install a scripted test host. Exactly one host is installed at a time;
// the calls come from the emulation thread, never from the hot path of the CPU.
#pragma once

#include <cstdint>

class Host {
public:
    virtual ~Host() = default;

    // Millisecond field (0-999) of the host's current system time.
    virtual uint16_t systemMillis() = 0;
    // Sleep for the given number of milliseconds (the pacing uses 1).
    virtual void sleepMillis(unsigned millis) = 0;

    // Whether the host key with this Windows virtual-key code is down at this moment.
    virtual bool keyDown(uint8_t virtualKey) = 0;
    // The Caps Lock key as one 16-bit value: bit 0 set while the lock is on (toggled),
    // bit 15 set while the key is held down.
    virtual int16_t capsLockState() = 0;

    // A modal box with a single OK button; returns once the user has closed it.
    virtual void messageBox(const char* caption, const char* text) = 0;

    // Handles every waiting main-window message; false once the user has asked to quit.
    virtual bool pumpMessages() = 0;
    // The frame step of the periodic hook: render the current picture and present it.
    virtual void renderFrame() = 0;
};

// Installs the host every later call goes to. The host must outlive its use.
void installHost(Host& host);
// Removes the installed host, if it is this one (a host going away must not stay reachable).
void uninstallHost(Host& host);
// The installed host. Calling it with none installed is a programming error.
Host& host();
