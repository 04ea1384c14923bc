// The breakpoints: every one with its hits, enabled or not, removable; new ones of every
// kind (execution, memory read or write over a range, IN or OUT by port, a video chip
// register written, a counter/timer interrupt accepted), each with an optional condition
// on a register ("A == $10").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "debug/breakpoints.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// F9 and a click in the disassembly: removes every execution breakpoint at the address
// when there is one (enabled or not), else sets one. True when one was set.
bool toggleExecBreakpoint(Breakpoints& breakpoints, uint16_t address);

// What the form adds: the fields as typed. Addresses and ports take a symbol or hex (a
// bare number is hex, as everywhere in the debugger); registers and channels a digit.
struct BreakpointForm {
    int kind = 0;              // index into the kinds BreakKind::exec ... interrupt
    char first[64] = {};       // address, port, register or channel
    char last[64] = {};        // end of a read/write range (empty: one address)
    char condition[64] = {};   // empty: none
};

// Adds what the form says; the id, or 0 with the reason.
Breakpoints::Added addFromForm(Breakpoints& breakpoints, const Symbols& symbols, const BreakpointForm& form);

struct BreakpointsView {
    BreakpointForm form;
    std::string error; // why the last add was refused
};

void drawBreakpointsView(BreakpointsView& view, DebugContext& context, bool* open);

} // namespace ollendor
