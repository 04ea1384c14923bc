// The widgets inside the desktop's windows: the main window's menu bar and message box,
// and the contents of the information windows.
//
// The SDL desktop owns each window's Dear ImGui context with its SDL back-ends: it makes
// the context current, starts a frame, calls one of these to issue the widgets, ends the
// frame and renders it. The front end implements them and hands them to the platform at
// its creation, so what is drawn lives with the program and the desktop knows only when
// to draw. Everything here runs on the main thread, inside a frame.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/desktop.h"

namespace ollendor {

// The main window's modal box, kept by the desktop from one frame to the next.
struct MessageBoxState {
    std::string caption; // the box's title
    std::string text;    // its message
    bool wanted = false; // open until OK closes it (or the desktop does, on a quit request)
    bool shown = false;  // ImGui has the box's popup open
};

// A rectangle of the main window's client area, in pixels, that the picture is fitted in
// (the largest whole factor, centred); width 0: the whole area below the menu bar.
struct PictureArea {
    int x = 0, y = 0, width = 0, height = 0;
};

// What one frame of the menu bar gave.
struct MenuBarFrame {
    const MenuEntry* chosen = nullptr; // the item clicked in this frame, or null
    int height = 0;                    // the bar's height in pixels; 0 when it was not drawn
    bool redraw = false;               // widgets show what changed without input (live views):
                                       // the window is to be presented again
    PictureArea picture;               // where the picture goes
};

// Pictures inside the widgets (a save state's picture, a view of video memory): textures
// in the main window's renderer, made from RGBA pixels. The front end keeps a handle,
// fills it and draws it with ImGui::Image(imguiTexture(handle), size). Handles are never
// reused: one the window no longer holds (it went, or it was destroyed) gives no ImGui
// texture and is refused by update, so a picture is simply made again.
using TextureHandle = uint32_t; // 0: no texture

// How a texture drawn at another size is scaled: smoothed (photographs of the screen), or
// sharp, each pixel a square (the debugger's views of video memory).
enum class TextureScaling : uint8_t { smooth, sharp };

class Textures {
public:
    virtual ~Textures() = default;
    // A texture of width x height pixels (at most 4096 each way), transparent until
    // updated; 0 when it cannot be made (error() says why).
    virtual TextureHandle create(int width, int height, TextureScaling scaling = TextureScaling::smooth) = 0;
    // Replaces all its pixels: rows of width pixels, 4 bytes each (R, G, B, A in memory
    // order), pitch bytes apart. False for a handle not held or a pitch below a row.
    virtual bool update(TextureHandle texture, const uint8_t* rgba, int pitch) = 0;
    // Harmless for 0 or a handle not held.
    virtual void destroy(TextureHandle texture) = 0;
    // What ImGui::Image takes for it (an ImTextureID); null for a handle not held.
    virtual void* imguiTexture(TextureHandle texture) const = 0;
    // Why the last create or update failed.
    virtual const std::string& error() const = 0;
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
    // The main window's textures, from its creation until it goes (null then).
    virtual void setTextures(Textures* textures) { (void)textures; }
};

} // namespace ollendor
