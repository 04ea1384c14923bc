#include "host/sdl/info_window.h"

#include <string>

#include "debug/info_text.h"
#include "host/sdl/sdl_renderer.h"
#include "host/toolkit.h"

// Last: Xlib defines names (None, Status) that other headers use.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace ollendor {

namespace {

// Kept above its owner by the window manager, as a dialog of it that does not block it.
void ownBy(SDL_Window* window, SDL_Window* owner)
{
    SDL_SysWMinfo mine, theirs;
    SDL_VERSION(&mine.version);
    SDL_VERSION(&theirs.version);
    if (SDL_GetWindowWMInfo(window, &mine) && SDL_GetWindowWMInfo(owner, &theirs) &&
        mine.subsystem == SDL_SYSWM_X11 && theirs.subsystem == SDL_SYSWM_X11) {
        XSetTransientForHint(mine.info.x11.display, mine.info.x11.window, theirs.info.x11.window);
        return;
    }
    // Elsewhere SDL's own hint, which in SDL 2 makes it the owner's child window.
    SDL_SetWindowModalFor(window, owner);
}

} // namespace

InfoWindowView::InfoWindowView(InfoWindow kind, InfoSource& source, WindowDrawing& drawing, SDL_Window* owner,
                               std::optional<ScreenPoint> place)
    : kind(kind), source(source), drawing(drawing)
{
    const InfoWindowSize size = infoWindowSizes[int(kind)];
    // Hidden until it is owned: a window manager reads the owner when the window maps.
    window = SDL_CreateWindow("Ollendor", place ? place->x : int(SDL_WINDOWPOS_UNDEFINED),
                              place ? place->y : int(SDL_WINDOWPOS_UNDEFINED), size.width, size.height,
                              SDL_WINDOW_HIDDEN);
    if (!window)
        throw DynamicError(std::string("could not create window (SDL_CreateWindow: ") +
                           SDL_GetError() + ")");
    if (owner)
        ownBy(window, owner);
    SDL_ShowWindow(window);
    renderer = createWindowRenderer(window);
    if (!renderer) {
        std::string reason = SDL_GetError();
        SDL_DestroyWindow(window);
        throw DynamicError("could not create window (SDL_CreateRenderer: " + reason + ")");
    }
    try {
        surface = std::make_unique<ImGuiSurface>(window, renderer);
    } catch (...) {
        SDL_DestroyRenderer(renderer);
        SDL_DestroyWindow(window);
        throw;
    }
    paint();
}

InfoWindowView::~InfoWindowView()
{
    surface.reset(); // before the renderer its font texture lives in
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
}

void InfoWindowView::handleEvent(const SDL_Event& event)
{
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        closing = true;
        return;
    }
    surface->processEvent(event);
}

void InfoWindowView::service()
{
    if (surface->framePending() || SDL_GetTicks64() - lastPaintTicks >= repaintMillis)
        paint();
}

void InfoWindowView::paint()
{
    surface->beginFrame();
    drawing.drawInfoWindow(kind, source);
    surface->endFrame();

    SDL_SetRenderDrawColor(renderer, 240, 240, 240, 255); // the menu colour
    SDL_RenderClear(renderer);
    surface->draw();
    SDL_RenderPresent(renderer);
    lastPaintTicks = SDL_GetTicks64();
}

} // namespace ollendor
