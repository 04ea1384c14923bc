// The sound chip's registers as the machine writes them, and what it publishes.
//
// Ports: OUT 6 takes latch and data bytes; IN 3 strobes the register file, publishing each
// tone channel's frequency and amplitude for the sound output (and returns 0).
// Modelled: the three tone channels' 10-bit periods and 4-bit attenuations.
// Not modelled: the noise channel (its bytes are accepted and ignored).
//
// The published values are part of the machine: a strobe that changes one of them raises
// the machine's soundChanged event, and the host hands the new values to whatever plays
// them (the sound thread, or the WAV writer on emulated time).
#pragma once

#include <cstdint>

namespace ollendor {

// Volume level for each 4-bit attenuation, 0 (loudest) to 15 (silent).
inline constexpr uint32_t volumeTable[16] = {
    128, 114, 101, 90, 80, 71, 64, 57, 50, 45, 40, 36, 32, 28, 25, 0,
};

// What a strobe publishes for the three tone channels.
struct ToneSettings {
    uint16_t frequency[3]; // Hz
    uint16_t amplitude[3]; // peak sample value

    bool operator==(const ToneSettings&) const = default;
};

struct SoundChip {
    uint16_t tonePeriod[4];   // tone periods; writes set bits 0-9
    uint32_t volume[4];       // volume levels, entries of volumeTable
    uint32_t latchedChannel;  // channel 0-2 that a data byte updates
    ToneSettings published;   // as of the last strobe (a channel with period 0 keeps its frequency)
};

// Every field back to its program-start value: periods 0x400, volumes 0, channel 0, nothing
// published (0 Hz, amplitude 0). An opened sound output starts from 440 Hz at amplitude 0
// of its own; since every strobe gives a frequency above 0, the first one that sets a
// frequency always reads as a change.
void soundChipPowerOn(SoundChip& chip);

void soundWriteData(SoundChip& chip, uint8_t value); // OUT 6
// IN 3: publishes the tone channels; true when a published value changed.
bool soundStrobe(SoundChip& chip);

// Brings what an output plays up to date with what the machine published: every amplitude,
// and the frequency of each channel a strobe has set (a published frequency of 0 was never
// set: a strobe always gives more than 0 Hz), so an output that starts from 440 Hz keeps
// that frequency on channels no strobe has touched. True when anything changed.
bool applyPublished(ToneSettings& output, const ToneSettings& published);

} // namespace ollendor
