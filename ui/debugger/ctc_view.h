// The counter/timer view: each channel's control word (decoded), time constant, counter,
// whether it runs, and the interrupt vector it gives.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ui/debugger/debug_context.h"
#include "machine/ctc.h"

namespace ollendor {

struct CtcChannelSummary {
    uint8_t control;       // as stored
    std::string controlText; // "interrupts on, prescaler 256"
    uint8_t timeConstant;
    int32_t counter;       // CPU cycles until it runs out
    uint8_t count;         // what IN reads
    bool running;
    bool interrupts;       // control bit 7
    bool constantNext;     // the next byte written to it is a time constant
    uint16_t vector;       // the interrupt code it gives: vector | channel * 2
    uint32_t periodSlices; // while running: slices from one expiry to the next (at least 1)
};
std::array<CtcChannelSummary, 4> ctcSummary(const CtcState& ctc);

void drawCtcView(DebugContext& context, bool* open);

} // namespace ollendor
