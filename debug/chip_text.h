// The counter/timer and the sound chip as the debugger shows them: each channel's values
// and what they mean, for the views and the automation tools alike.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "machine/ctc.h"
#include "sound/soundchip.h"

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

// The prescaler a control word chooses: 16 or 256.
unsigned ctcPrescalerOf(uint8_t control);

struct ToneChannelSummary {
    uint16_t period;      // 10 bits as written
    uint32_t frequency;   // Hz the period gives (0 for period 0)
    unsigned attenuation; // 0 loudest to 15 silent
    uint32_t volume;      // the level of that attenuation
    uint16_t publishedFrequency;
    uint16_t publishedAmplitude;
};
std::array<ToneChannelSummary, 3> toneSummary(const SoundChip& chip);

// The attenuation (0 loudest to 15 silent) whose level the sound chip holds as `volume`;
// nothing for a level of no attenuation.
std::optional<unsigned> attenuationOf(uint32_t volume);

} // namespace ollendor
