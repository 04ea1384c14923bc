// The counter/timer view: each channel's control word (decoded), time constant, counter,
// whether it runs, and the interrupt vector it gives.
#pragma once

#include "debug/chip_text.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// The channels as shown: debug/chip_text.h.

void drawCtcView(DebugContext& context, bool* open);

} // namespace ollendor
