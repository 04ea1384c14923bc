// The sound chip view: each tone channel's period (and the frequency it gives), its
// volume, which channel a data byte updates now, and what the last strobe published.
#pragma once

#include <array>
#include <cstdint>

#include "ui/debugger/debug_context.h"
#include "sound/soundchip.h"

namespace ollendor {

struct ToneChannelSummary {
    uint16_t period;      // 10 bits as written
    uint32_t frequency;   // Hz the period gives (0 for period 0)
    unsigned attenuation; // 0 loudest to 15 silent
    uint32_t volume;      // the level of that attenuation
    uint16_t publishedFrequency;
    uint16_t publishedAmplitude;
};
std::array<ToneChannelSummary, 3> toneSummary(const SoundChip& chip);

void drawSoundView(DebugContext& context, bool* open);

} // namespace ollendor
