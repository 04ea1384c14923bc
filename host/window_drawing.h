// The widgets inside the desktop's windows: the main window's menu bar and message box,
// and the contents of the information windows.
//
// The SDL desktop owns each window's Dear ImGui context with its SDL back-ends: it makes
// the context current, starts a frame, calls one of these to issue the widgets, ends the
// frame and renders it. The front end implements them and hands them to the platform at
// its creation, so what is drawn lives with the program and the desktop knows only when
// to draw. Everything
// here runs on the main thread, inside a frame.
#pragma once

#include <span>
#include <string>

#include "host/desktop.h"
#include "host/picture_textures.h"

namespace ollendor {

// The main window's modal box, kept by the desktop from one frame to the next.
struct MessageBoxState {
    std::string caption; // the box's title
    std::string text;    // its message
    bool wanted = false; // open until OK closes it (or the desktop does, on a quit request)
    bool shown = false;  // ImGui has the box's popup open
};

// What one frame of the menu bar gave.
struct MenuBarFrame {
    const MenuEntry* chosen = nullptr; // the item clicked in this frame, or null
    int height = 0;                    // the bar's height in pixels; 0 when it was not drawn
    bool redraw = false;               // widgets show what changed without input (live views):
                                       // the window is to be presented again
};

class WindowDrawing {
public:
    virtual ~WindowDrawing() = default;
    // The bar along the top of the main window with one menu of that title and items.
    virtual MenuBarFrame drawMenuBar(const char* title, std::span<const MenuEntry> items) = 0;
    // The box centred over the main window, with its caption, text and an OK button. OK,
    // Enter or Escape clear box.wanted; the popup goes once wanted is clear (also when the
    // desktop cleared it), and shown follows the popup.
    virtual void drawMessageBox(MessageBoxState& box) = 0;
    // The contents of an information window, filling the frame, from the source; the
    // Timings window's checkbox sets the source's speed limit.
    virtual void drawInfoWindow(InfoWindow kind, InfoSource& source) = 0;
    // Where pictures for the main window's widgets are uploaded: given by the main window
    // when it is made, taken back (null) before it goes.
    virtual void setPictureTextures(PictureTextures* textures) { (void)textures; }
};

} // namespace ollendor
