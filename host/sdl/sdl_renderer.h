// Making the renderer of each of the program's windows, as --renderer (host/renderer_choice.h)
// asks: the first window finds out whether SDL's preferred renderer is a GL carried out on
// the CPU, and the answer holds for every window after it.
#pragma once

#include <SDL.h>

#include "host/renderer_choice.h"

namespace ollendor {

// The choice for the windows made from now on (set once, before the first window).
void setRendererChoice(RendererChoice choice);

// A renderer for the window, or null with SDL's error set.
SDL_Renderer* createWindowRenderer(SDL_Window* window);

} // namespace ollendor
