// The contents of the information windows (Timings, Video chip, Sound), drawn with Dear
// ImGui: the lines of host/info_text.h as plain text at their places, and in the Timings
// window the checkbox of the speed limit.
#pragma once

#include "debug/info_text.h"

namespace ollendor {

// Issues the window's contents in the current ImGui frame, filling it, from the source
// as it is now. The checkbox shows the source's setting, so its state survives closing
// the window; clicking it changes the setting.
void drawInfoWindow(InfoWindow kind, InfoSource& source);

} // namespace ollendor
