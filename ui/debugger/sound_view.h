// The sound chip view: each tone channel's period (and the frequency it gives), its
// volume, which channel a data byte updates now, and what the last strobe published.
#pragma once

#include "debug/chip_text.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// The channels as shown: debug/chip_text.h.

void drawSoundView(DebugContext& context, bool* open);

} // namespace ollendor
