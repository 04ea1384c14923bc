// The modal box over the main window ("File not found", "Unsupported mode", About),
// drawn with Dear ImGui: caption, text and an OK button, centred on the window.
#pragma once

#include "host/window_drawing.h"

namespace ollendor {

// Issues the box in the current ImGui frame: opens its popup the first frame it is wanted,
// clears box.wanted when OK, Enter (either) or Escape is pressed, and closes the popup once
// wanted is clear. Nothing is issued for a box neither wanted nor shown.
void drawMessageBox(MessageBoxState& box);

} // namespace ollendor
