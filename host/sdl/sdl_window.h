// The program's SDL windows that a console can be opened in.
//
// SdlWindow is a window with its renderer that presents a console texture, scaled by the
// largest whole factor that fits its client area and centred there. MainWindow adds the
// menu bar above the picture and the message box over it, both in the window's ImGui context
// and drawn by the front end's WindowDrawing, the textures the widgets' pictures are made
// in (handed to the drawing while the window lives), and the Alt+f accelerator.
#pragma once

#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include <SDL.h>

#include "host/desktop.h"
#include "host/sdl/imgui_surface.h"
#include "host/sdl/sdl_textures.h"
#include "host/toolkit.h"
#include "host/window_drawing.h"

namespace ollendor {

class SdlWindow : public AppWindow {
public:
    // A resizable window of clientWidth x clientHeight; throws DynamicError
    // "could not create window" (with SDL's reason) when it cannot be made.
    SdlWindow(const std::string& title, int clientWidth, int clientHeight);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    SDL_Window* window() const { return sdlWindow; }
    SDL_Renderer* renderer() const { return sdlRenderer; }
    Uint32 id() const { return SDL_GetWindowID(sdlWindow); }

    // Full-screen output on the window's display, or back to the window's earlier size.
    void setFullscreen(bool fullscreen);
    // Size and place in a window (the earlier ones while full screen).
    WindowPlacement placement() const;
    // Takes that size (when given) and place (when given), as a window.
    void place(const WindowPlacement& placement);

    // Shows the texture (320 x 200) in the client area and presents the window; a window
    // that knows it looks the same skips it when the picture has not changed.
    virtual void present(SDL_Texture* texture, bool pictureChanged);
    // Where the picture goes in a client area of that size, below topMargin pixels.
    static SDL_Rect pictureRect(int width, int height, int topMargin);

    // The texture is about to go (the console closes): nothing is to draw it again.
    void forgetPicture() { shownTexture = nullptr; }

protected:
    // In the area when it has a size, else in the client area below topMargin.
    void drawPicture(SDL_Texture* texture, int topMargin, const PictureArea& area = {});
    SDL_Texture* shownTexture = nullptr; // the console's texture last presented here

private:
    SDL_Window* sdlWindow = nullptr;
    SDL_Renderer* sdlRenderer = nullptr;
    int windowedWidth = 0, windowedHeight = 0; // size before going full screen
    int windowedX = 0, windowedY = 0;          // place before going full screen
};

class MainWindow : public SdlWindow {
public:
    // The main window, sized for the console at the given whole factor below the menu bar;
    // drawing issues the bar's and the box's widgets and must outlive the window.
    // A placement with a size makes the window that size from the start (the settings).
    MainWindow(int scale, const char* menuTitle, std::span<const MenuEntry> items,
               std::function<void(int command)> onCommand, WindowDrawing& drawing,
               const WindowPlacement& placement = {});
    // The drawing is told that the window's textures go.
    ~MainWindow() override;

    // An event of this window: to the menu, or the accelerator.
    void handleEvent(const SDL_Event& event);
    // A text field of the window's widgets has the keyboard.
    // A menu (or a dialog drawn as a popup) is open.
    bool menuOpen() const { return menu.popupOpen(); }
    // Escape that closed a menu or dialog, and the key that closed the box, are the
    // window's too until they are let go: the machine, going on, does not see them held.
    bool wantsKeyboard() const { return menu.wantsKeyboard() || escapeClosing || boxClosingKey != 0; }
    // Runs the menu's frame when input asks for one (or now and then), then carries out the
    // commands chosen since the last call.
    void service();
    void present(SDL_Texture* texture, bool pictureChanged) override;

    // The accelerator's command, sent by Alt with a lower-case f.
    static constexpr int acceleratorCommand = 0;
    // True for Alt+f giving a lower-case f (no Shift, or Shift cancelled by Caps Lock), and
    // for F11 without modifiers.
    static bool isAccelerator(const SDL_KeyboardEvent& key);
    // Stops menu commands and the accelerator (the accelerator table is gone).
    void disableCommands() { commandsEnabled = false; }

    // The box drawn in this window: caption, text and an OK button over the picture, drawn
    // in the window's frames (service). While it is open the menu sends nothing (it cannot
    // be clicked under the box); the accelerator and the program's keys still work. A box
    // asked for while one is open follows it (the same message twice in a row shows once).
    void openBox(const char* caption, const char* text);
    // A box is open or waits to follow it.
    bool boxOpen() const { return box.wanted || box.shown || !waitingBoxes.empty(); }
    // The message of the box open now (empty when none).
    const std::string& boxText() const { return box.text; }
    // One frame of the box (and the menu bar under it), drawn and presented.
    void boxFrame();

    // The most boxes kept waiting behind the open one; more are dropped.
    static constexpr size_t maxWaitingBoxes = 8;

private:
    void menuFrame();
    void followTextInput();
    // Where the picture goes in a client area of that size (its panel, or below the bar).
    SDL_Rect pictureTarget(int width, int height) const;

    WindowDrawing& drawing;                    // issues the bar's and the box's widgets
    ImGuiSurface menu;                         // the menu bar's ImGui context
    SdlTextures textures;                      // the widgets' pictures, in this renderer
    std::string menuTitle;                     // the one menu's title
    std::vector<MenuEntry> items;              // its items in order
    std::function<void(int)> onCommand;        // carries out a command
    std::vector<int> chosen;                   // commands chosen, not yet carried out
    int menuHeight = 19;                       // height of the menu bar in pixels
    PictureArea pictureArea;                   // where the widgets want the picture (none: below the bar)
    SDL_Texture* scene = nullptr;              // the whole window as last drawn (a render target)
    bool retainedSurface = false;              // software renderer: the window's surface keeps what was drawn
    bool kept = false;                         // the scene or that surface holds a whole drawing
    int keptWidth = 0, keptHeight = 0;         // of the size it was drawn whole at
    bool wholeNeeded = true;                   // the window changed: everything is drawn again
    uint64_t shownDigest = 0;                  // of the widgets' last frame
    Uint64 lastFrameTicks = 0;                 // SDL_GetTicks64 of the last menu frame
    bool commandsEnabled = true;               // false once shut down
    bool redrawNeeded = true;                  // the menu or the window changed since the last present
    MessageBoxState box;                       // the box, open or not
    std::deque<MessageBoxState> waitingBoxes;  // boxes asked for while one was open, in order
    SDL_Scancode boxClosingKey = SDL_SCANCODE_UNKNOWN; // Enter or Escape pressed over the box, held
    bool textInputStarted = false;             // SDL's text input is on for a text field
    bool escapeClosing = false;                // Escape went down over an open menu and is held
};

} // namespace ollendor
