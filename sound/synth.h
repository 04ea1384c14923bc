// Tone synthesis and mixing for the sound thread.
//
// Each tone channel is a square wave generated at 250000 samples per second; every eighth
// sample is kept for the 31250-per-second output, and the three channels are added.
// Not modelled: the noise channel, any filtering of the samples skipped.
// Everything here writes into caller-given buffers or the synthesiser's own fixed scratch
// block; nothing allocates. A ToneSynth belongs to one thread at a time (the sound thread,
// or the WAV writer on the emulation thread).
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/soundchip.h"

namespace ollendor {

inline constexpr unsigned generationRate = 250000; // generated samples per second
inline constexpr unsigned outputRate = 31250;      // output samples per second
inline constexpr unsigned audioSampleRate = outputRate; // what is played: 16-bit mono
inline constexpr unsigned sampleStep = generationRate / outputRate; // every eighth is kept
inline constexpr unsigned blockSamples = 12500;    // generated samples per channel per fill
inline constexpr unsigned firstHalfSamples = 1562; // output samples of the buffer halves
inline constexpr unsigned secondHalfSamples = 1563;

struct ToneSynth {
    // Wave state of tone channels 0-2, packed: bit 15 the polarity (1 = +amplitude), bits
    // 0-9 the generated samples left before the next polarity change. 0 when sound starts.
    uint16_t channelPhase[3];
    // One block of generated samples, reused for each channel in turn.
    int16_t toneScratch[blockSamples];
};

// Writes count samples of a square wave with the given half period (in generated samples)
// and returns the packed state after them.
uint16_t squareWave(int16_t* destination, size_t count, uint16_t halfPeriod, uint16_t state,
                    uint16_t amplitude);

// squareWave at a frequency in hertz (half period 125000 / frequency). A frequency of 0
// writes silence and leaves the wave where it was.
uint16_t toneBlock(int16_t* destination, size_t count, uint16_t hertz, uint16_t state,
                   uint16_t amplitude);

// Refills count output samples (at most secondHalfSamples) from the published tone
// settings: each channel runs on by one whole block, every eighth sample is added, and a
// sum outside the 16-bit range is held at -32768 or 32767.
void fillHalf(ToneSynth& synth, const ToneSettings& tones, int16_t* destination, size_t count);

// The same half as fillHalf, from the wave states alone (updated as fillHalf updates
// them) and without the scratch block: only the kept samples are worked out. For the
// machine's own output, where a 25 KB scratch would be copied with every snapshot.
void synthesizeHalf(uint16_t (&channelPhase)[3], const ToneSettings& tones, int16_t* destination, size_t count);

} // namespace ollendor
