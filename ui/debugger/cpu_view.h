// The CPU view: every register and flag, IFF1/IFF2, the interrupt mode, whether the CPU is
// halted, the cycles left in the slice and the hook count, with what the next step will
// meet (a slice end that may bring an interrupt, a HALT that waits for one). While paused
// the values can be changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "debug/cpu_text.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// The values, flags and texts shown: debug/cpu_text.h.

struct CpuView {
    uint64_t seenStops = ~uint64_t(0);
    std::vector<RegisterValue> atLastPause; // what the registers were at the pause before
    std::vector<RegisterValue> current;     // at the last pause seen
};

void drawCpuView(CpuView& view, DebugContext& context, bool* open);

} // namespace ollendor
