// The call stack: the routines the CPU is in, innermost first, each entered by a CALL, an
// RST or an accepted interrupt, with where it came from and where it returns to, named by
// the symbols. It is kept while this view (or the trace) is open: the debugger then runs
// the machine over its watching bus, and calls made before that are not known.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debug/call_stack_lines.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// The lines shown: debug/call_stack_lines.h.

void drawCallStackView(DebugContext& context, bool* open);

} // namespace ollendor
