// The machine's sound as samples on emulated time: 31,250 a second, one per 128 CPU cycles.
//
// The synthesiser (sound/synth.h) makes its output in halves of 1,562 and 1,563 samples,
// alternating, the first one first, counted from power-on. A half is made at the first
// frame end at or after its last sample's end, from the tones published then (the
// granularity a sound buffer of two halves gives: a change is heard from the next half).
// Everything that decides the next samples (each channel's wave state, which half comes
// next and where it begins, the tones last heard) is part of the machine and of its state,
// so sample n is a function of the run alone: a split run gives the whole run's samples.
//
// The samples made wait in a fixed buffer in the machine until the host takes them, after
// each run:
//     machineRun(m);
//     int16_t out[soundOutputCapacity];
//     size_t n = takeSamples(m, out, soundOutputCapacity);  // n samples, oldest first
// A run makes at most one half (a half is longer than a frame), so a host that takes after
// every run never loses any; one that does not loses the oldest (counted in `dropped`).
// The buffer is not part of a saved state: a loaded machine has none waiting.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/soundchip.h"

namespace ollendor {

inline constexpr unsigned outputCyclesPerSample = 128;            // 4,000,000 / 31,250
inline constexpr unsigned halfPairSamples = 1562 + 1563;          // 100 ms of sound
inline constexpr unsigned soundOutputCapacity = 2 * halfPairSamples; // samples waiting at most

struct SoundOutput {
    // The synthesiser's wave state of tone channels 0-2 (see squareWave); 0 at power-on.
    uint16_t channelPhase[3];
    bool secondHalfNext;     // the next half is the 1,563-sample one
    uint64_t halfStart;      // the sample (counted from power-on) the next half begins with
    ToneSettings heard;      // the tones the last half was made from (440 Hz, silent at first)
    // Not saved: the samples made and not yet taken, oldest first.
    uint32_t waiting;        // samples in `buffer`
    uint64_t dropped;        // samples lost because the host did not take them in time
    int16_t buffer[soundOutputCapacity];
};

// Program start: every wave at its start, the first half next at sample 0, 440 Hz on each
// tone channel at amplitude 0, nothing waiting.
void soundOutputPowerOn(SoundOutput& output);

// Where the halves stand at `cycles` of emulated time when nothing says otherwise (a state
// saved before the output was part of it): the next half is the one that began last, the
// waves at their start, the tones heard those published.
void soundOutputStartAt(SoundOutput& output, uint64_t cycles, const ToneSettings& published);

// At a frame end (emulated time `cycles`): makes every half whose end has been reached,
// from the published tones, into the buffer.
void soundOutputFrameEnd(SoundOutput& output, uint64_t cycles, const ToneSettings& published);

// True when the fields a state holds are ones a run can give (the half start on a half
// boundary agreeing with secondHalfNext, no wave state bits beyond polarity and count).
bool soundOutputConsistent(const SoundOutput& output);

// Copies up to `max` waiting samples, oldest first, to `out` and returns how many; those
// are no longer waiting.
size_t takeSamples(SoundOutput& output, int16_t* out, size_t max);
// The samples waiting are dropped (the host jumped elsewhere and does not want them).
// Taken and dropped samples are cleared in the buffer.
void discardSamples(SoundOutput& output);

} // namespace ollendor
