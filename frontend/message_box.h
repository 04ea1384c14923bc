// The box over the main window ("File not found", "Unsupported mode", About), drawn with
// Dear ImGui: caption, text and an OK button, centred on the window. It is modal for the
// widgets (the menu cannot be clicked under it) but holds nothing up: the program's loop
// goes on around it, frame by frame.
#pragma once

#include "host/window_drawing.h"

namespace ollendor {

// Issues the box in the current ImGui frame: opens its popup the first frame it is wanted,
// clears box.wanted when OK, Enter (either) or Escape is pressed, and closes the popup once
// wanted is clear. Nothing is issued for a box neither wanted nor shown.
void drawMessageBox(MessageBoxState& box);

// Where the box's text wraps, in pixels from its left edge, in a window that wide: the text's
// own width when that fits, never so wide that the box leaves the window.
float messageBoxWrapWidth(const char* text, float windowWidth);

} // namespace ollendor
