// The tape trap view: the image being handed out (opened, size, bytes left), the blocks
// served, a request waiting for an image and what it asks for, the names already reported
// missing, and where images come from (the mounted tape or the tape folder).
#pragma once

#include <string>
#include <vector>

#include "debug/tape_names.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// The names as shown: debug/tape_names.h.

void drawTapeView(DebugContext& context, bool* open);

} // namespace ollendor
