// One information window (Timings, Video chip or Sound) on SDL.
//
// SDL windows can only be driven from the main thread, so instead of a thread with its own
// message loop each window is serviced by the main thread's event pump: it repaints itself
// from live state every 100 ms (and at once when input arrives for its checkbox). What it
// shows is drawn by the front end's WindowDrawing in the window's own ImGui context.
#pragma once

#include <memory>
#include <optional>

#include <SDL.h>

#include "host/desktop.h"
#include "debug/info_text.h"
#include "host/sdl/imgui_surface.h"
#include "host/window_drawing.h"
#include "host/window_frame.h"

namespace ollendor {

class InfoWindowView {
public:
    // Throws DynamicError "could not create window" when the window cannot be made. The
    // source and the drawing must outlive the window.
    // With an owner, the window is kept above it by the window manager (X11: transient for
    // it), without being modal; it opens at place when one is given.
    InfoWindowView(InfoWindow kind, InfoSource& source, WindowDrawing& drawing, SDL_Window* owner = nullptr,
                   std::optional<ScreenPoint> place = std::nullopt);
    ~InfoWindowView();
    InfoWindowView(const InfoWindowView&) = delete;
    InfoWindowView& operator=(const InfoWindowView&) = delete;

    Uint32 id() const { return SDL_GetWindowID(window); }
    SDL_Window* sdlWindow() const { return window; }
    // An event of this window: its close request, or input for its widgets.
    void handleEvent(const SDL_Event& event);
    // Repaints when 100 ms have passed since the last paint or input asks for a frame.
    void service();
    // The user asked to close the window: it is to be destroyed now.
    bool closeRequested() const { return closing; }

    static constexpr Uint64 repaintMillis = 100;

private:
    void paint();

    InfoWindow kind;                  // which window this is
    InfoSource& source;               // what it shows
    WindowDrawing& drawing;           // issues its widgets
    SDL_Window* window = nullptr;      // titled "Ollendor"
    SDL_Renderer* renderer = nullptr; // draws its contents
    std::unique_ptr<ImGuiSurface> surface; // its ImGui context
    Uint64 lastPaintTicks = 0;        // SDL_GetTicks64 of the last paint
    bool closing = false;             // close requested
};

} // namespace ollendor
