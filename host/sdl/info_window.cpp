#include "host/sdl/info_window.h"

#include <string>

#include "debug/info_text.h"
#include "host/sdl/sdl_renderer.h"
#include "host/toolkit.h"

namespace ollendor {

InfoWindowView::InfoWindowView(InfoWindow kind, InfoSource& source, WindowDrawing& drawing)
    : kind(kind), source(source), drawing(drawing)
{
    const InfoWindowSize size = infoWindowSizes[int(kind)];
    window = SDL_CreateWindow("Ollendor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              size.width, size.height, 0);
    if (!window)
        throw DynamicError(std::string("could not create window (SDL_CreateWindow: ") +
                           SDL_GetError() + ")");
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
