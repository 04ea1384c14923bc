#include "host/sdl/sdl_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace ollendor {

namespace {
constexpr unsigned glRendererName = 0x1F01; // GL_RENDERER

RendererChoice choice = RendererChoice::automatic;
bool decided = false;    // the first window has found out
bool useSoftware = false; // what it found

// The GL_RENDERER string of the renderer's context (current once the renderer is made).
std::string glRendererOf()
{
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString ? getString(glRendererName) : nullptr;
    return name ? reinterpret_cast<const char*>(name) : "";
}
} // namespace

namespace {
double uiScaleChosen = 0;
} // namespace

void setUiScale(double scale)
{
    uiScaleChosen = scale;
}

double uiScaleForDpi(float dpi)
{
    if (!(dpi >= 120.0f))
        return 1.0;
    const double steps = std::floor(double(dpi) / 96.0 * 4.0 + 0.5) / 4.0;
    return std::clamp(steps, 1.0, 3.0);
}

double uiScaleFor(SDL_Window* window)
{
    if (uiScaleChosen > 0)
        return uiScaleChosen;
    float dpi = 0;
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display < 0 || SDL_GetDisplayDPI(display, nullptr, &dpi, nullptr) != 0)
        return 1.0;
    return uiScaleForDpi(dpi);
}

void setRendererChoice(RendererChoice chosen)
{
    choice = chosen;
    decided = false;
}

SDL_Renderer* createWindowRenderer(SDL_Window* window)
{
    if (!decided) {
        decided = true;
        if (choice == RendererChoice::software) {
            useSoftware = true;
        } else {
            SDL_Renderer* preferred = SDL_CreateRenderer(window, -1, 0);
            if (!preferred)
                return nullptr;
            SDL_RendererInfo info{};
            SDL_GetRendererInfo(preferred, &info);
            const std::string name = info.name ? info.name : "";
            const std::string gl = name.starts_with("opengl") ? glRendererOf() : "";
            useSoftware = useSoftwareRenderer(choice, name, gl);
            if (!useSoftware)
                return preferred;
            SDL_DestroyRenderer(preferred);
        }
    }
    if (useSoftware) {
        // SDL would otherwise show the software renderer's window surface through a texture
        // of its preferred (GL) renderer: the very cost this choice avoids. Without that,
        // the surface goes to the display directly (X11: shared memory images).
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    return SDL_CreateRenderer(window, -1, 0);
}

} // namespace ollendor
