// What a single step met besides its instruction, for the CPU and call stack views (and
// whoever else reports a step): the
// slice end that came after it (the periodic hook), and an interrupt accepted there, which
// takes the CPU into its handler (from a HALT too). The debugger notes an accepted
// interrupt in its call stack when the handler's first instruction starts; until then the
// views show it from here, so that a step into a handler is seen as one at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "debug/debugger.h"
#include "machine/machine.h"

namespace ollendor {

// The machine just before a step.
struct StepStart {
    uint16_t pc = 0;
    uint8_t intState = 0;
    bool sliceEndDue = false;
    uint64_t hookCalls = 0;
    uint8_t opcode[2] = {}; // the instruction's first two bytes
};
StepStart stepStart(const Mtx& machine);

struct StepReport {
    bool sliceEnded = false;                // a hook call came after the instruction
    uint64_t hookCall = 0;                  // its number, when it did
    std::optional<CallFrame> interrupt;     // accepted there: where from, the handler, the return
    std::string text() const;               // "" when the step met nothing of the kind
};
// Compares the machine after a single step with how it started.
StepReport stepReport(const StepStart& start, const Mtx& after);

} // namespace ollendor
