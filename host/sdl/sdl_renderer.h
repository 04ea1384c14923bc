// Making the renderer of each of the program's windows, as --renderer (host/renderer_choice.h)
// asks: the first window finds out whether SDL's preferred renderer is a GL carried out on
// the CPU, and the answer holds for every window after it.
#pragma once

#include <SDL.h>

#include "host/renderer_choice.h"

namespace ollendor {

// The choice for the windows made from now on (set once, before the first window).
void setRendererChoice(RendererChoice choice);

// The size of the main window's widgets (menus, views, dialogs), 1 the default; 0 follows
// the display: its DPI over 96, in quarter steps from 1 to 3 (a display under about 120 DPI
// gets 1).
void setUiScale(double scale);
double uiScaleFor(SDL_Window* window);
// What a display of that many dots per inch gets.
double uiScaleForDpi(float dpi);

// A renderer for the window, or null with SDL's error set.
SDL_Renderer* createWindowRenderer(SDL_Window* window);

} // namespace ollendor
