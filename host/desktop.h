// What the front end asks of the window system: the main window with its menu, the three
// information windows, the About box and the way out.
//
// The SDL desktop (host/sdl/) implements it with real windows; the headless desktop
// (headless_host.h) has no windows at all. Everything here runs on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "debug/info_text.h"
#include "host/toolkit.h"

namespace ollendor {

// One item of the main window's menu: its text and the command it sends.
struct MenuEntry {
    const char* text; // as shown
    int command;      // handed to the command handler when chosen
};

// A key of the host keyboard going down or up in the main window (for the program's own
// keys: the function keys the emulated keyboard does not use).
struct KeyPress {
    int scancode = 0;     // SDL's scancode number of the key (USB usage id)
    uint8_t virtualKey = 0; // the key as Platform::keyDown names it; 0: none the machine has
    bool down = false;    // pressed, or released
    bool repeat = false;  // the keyboard's own repeat of a held key
    bool shift = false, ctrl = false, alt = false;
    bool captured = false; // a text field of the program's windows has the keyboard
};

// The main window's size (its client area) and place on the desktop, as in a window (also
// while it is full screen: the size it goes back to). The place is the corner of the frame
// around it (host/window_frame.h).
struct WindowPlacement {
    int width = 0, height = 0;  // 0: from the scale
    std::optional<int> x, y;    // none: where the window system puts it
    bool maximized = false;     // filling the screen as a window; size and place are then the
                                // ones it had before (given back as none: not known)
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // Creates the main window titled "Ollendor" with one menu of that title and items;
    // choosing an item (or the accelerator) calls onCommand on the main thread, from inside
    // the event pump. Throws DynamicError "could not create window" when it cannot.
    virtual AppWindow& createMainWindow(const char* menuTitle, std::span<const MenuEntry> items,
                                        std::function<void(int command)> onCommand) = 0;
    // Whether an information window of that kind exists (its open flag).
    virtual bool infoWindowOpen(InfoWindow kind) = 0;
    // Opens an information window of that kind. A window that cannot be created is reported
    // to the user and the program goes on.
    virtual void openInfoWindow(InfoWindow kind) = 0;
    // A box over the main window with an OK button. It returns at once: the box stays
    // until OK, Enter or Escape closes it, while the pump goes on serving everything else
    // (a quit request ends the run with the box still up). A box asked for while one shows
    // follows it. Without a main window the message goes to standard error.
    virtual void showMessage(const char* caption, const char* text) = 0;
    // A box shown by showMessage is up, or waiting to follow the one that is: the loop keeps
    // the machine standing still meanwhile.
    virtual bool messageOpen() const { return false; }
    // Asks the event pump to report quit at its next call.
    virtual void postQuit() = 0;
    // Handles every waiting event (menu commands are carried out from here) and services
    // the windows; false once quit was asked for (the menu, closing the main window,
    // SIGINT, SIGTERM or SIGHUP).
    virtual bool pump() = 0;
    // Where the information windows take what they show; it must outlive the desktop's use.
    virtual void setInfoSource(InfoSource& source) = 0;
    // Told of every key going down or up in the main window, from inside the pump.
    virtual void setKeyHandler(std::function<void(const KeyPress& key)> handler) { (void)handler; }
    // Told of a file dropped on the main window (its path), from inside the pump.
    virtual void setDropHandler(std::function<void(const std::string& path)> handler) { (void)handler; }
    // Where the main window is now, for the settings; none without a window.
    virtual std::optional<WindowPlacement> mainWindowPlacement() { return std::nullopt; }
    // Releases the main window's resources at shutdown (the accelerator table and menu).
    virtual void destroyMainWindow() = 0;
};

} // namespace ollendor
