// The page's sound on emulated time: 31,250 samples a second, one per 128 CPU cycles, made
// in halves of 1,562 and 1,563 samples (the first one first) by fillHalf from the tone
// settings the machine published, exactly as the WAV output does (sound/wavstream.h). The
// page plays them through WebAudio; the audio clock paces the machine by how many it has
// played.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/soundchip.h"
#include "sound/synth.h"

namespace ollendor {

struct Mtx;

struct WebSound {
    uint64_t cycles = 0;         // emulated cycles since the sound started
    uint64_t samples = 0;        // samples made, whole halves
    bool secondHalfNext = false; // the next half is the 1,563-sample one
    ToneSettings tones{};        // what is played: as published, from 440 Hz at start
    ToneSynth synth{};           // wave state and scratch
};

// From silence: amplitude 0 and 440 Hz on tone channels 0-2, every wave at its start.
void webSoundStart(WebSound& sound);

// The one place the page takes the machine's samples: lets `cycles` emulated cycles pass
// (the machine's published tones as they stand now) and writes the samples that fall due
// into `out`, at most `room` of them (room must hold at least secondHalfSamples); returns
// how many. A half that does not fit waits for the next call.
size_t webTakeSamples(WebSound& sound, const Mtx& machine, uint64_t cycles, int16_t* out, size_t room);

} // namespace ollendor
