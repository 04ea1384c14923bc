// The call stack: the routines the CPU is in, innermost first, each entered by a CALL, an
// RST or an accepted interrupt, with where it came from and where it returns to, named by
// the symbols. It is kept while this view (or the trace) is open: the debugger then runs
// the machine over its watching bus, and calls made before that are not known.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debug/debugger.h"
#include "debug/symbols.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

struct CallStackLine {
    const char* kind;       // "CALL", "RST", "interrupt"
    uint16_t target;        // where the routine starts
    uint16_t from;          // the CALL or RST, or where the interrupt came
    uint16_t returnTo;
    uint16_t sp;            // SP just after the return address was pushed
    std::string targetName; // nearest symbol, or ""
    std::string fromName;
};

// Innermost first.
std::vector<CallStackLine> callStackLines(const std::vector<CallFrame>& frames, const Symbols& symbols);

void drawCallStackView(DebugContext& context, bool* open);

} // namespace ollendor
