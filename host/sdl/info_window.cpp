#include "host/sdl/info_window.h"

#include <string>

#include <imgui.h>

#include "host/info_text.h"
#include "host/toolkit.h"

namespace ollendor {

namespace {
const ImU32 textBackground = IM_COL32(99, 99, 99, 255); // behind every line of text
const ImU32 textColour = IM_COL32(0, 0, 0, 255);
} // namespace

InfoWindowView::InfoWindowView(InfoWindow kind, InfoSource& source) : kind(kind), source(source)
{
    const InfoWindowSize size = infoWindowSizes[int(kind)];
    window = SDL_CreateWindow("Ollendor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              size.width, size.height, 0);
    if (!window)
        throw DynamicError(std::string("could not create window (SDL_CreateWindow: ") +
                           SDL_GetError() + ")");
    renderer = SDL_CreateRenderer(window, -1, 0);
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
    InfoLine lines[maxInfoLines];
    const int count = infoWindowLines(kind, source.infoSources(), lines);

    surface->beginFrame();
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::Begin("##information", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (int i = 0; i < count; ++i) {
        const ImVec2 at(float(lines[i].x), float(lines[i].y));
        const ImVec2 extent = ImGui::CalcTextSize(lines[i].text);
        draw->AddRectFilled(at, ImVec2(at.x + extent.x, at.y + extent.y), textBackground);
        draw->AddText(at, textColour, lines[i].text);
    }
    if (kind == InfoWindow::timings) {
        // The box shows the setting itself, so its state survives closing the window.
        ImGui::SetCursorPos(ImVec2(float(checkboxX), float(checkboxY)));
        bool constrained = source.speedLimited();
        if (ImGui::Checkbox(checkboxText, &constrained))
            source.setSpeedLimited(constrained);
    }
    ImGui::End();
    ImGui::PopStyleVar();
    surface->endFrame();

    SDL_SetRenderDrawColor(renderer, 240, 240, 240, 255); // the menu colour
    SDL_RenderClear(renderer);
    surface->draw();
    SDL_RenderPresent(renderer);
    lastPaintTicks = SDL_GetTicks64();
}

} // namespace ollendor
