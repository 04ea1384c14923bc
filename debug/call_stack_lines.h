// The call stack as the debugger lists it: each routine the CPU is in, with how it was
// entered, where from, where it returns to, and the names of those places.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debug/debugger.h"
#include "debug/symbols.h"

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

} // namespace ollendor
