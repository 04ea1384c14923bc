// The sound output on emulated time, written to a WAV file (for running without a sound
// device, e.g. headless with --wav FILE).
//
// The program writes the machine's own samples (sound/output.h), which the host takes
// after every run:
//     WavStream wav;
//     wavStart(wav, "out.wav");          // before the run; false: cannot create the file
//     wavTake(wav, samples, count);      // the samples each run made
//     wavFinish(wav);                    // at shutdown; false: a write failed
// wav.wav tells more: whether the file reached its size limit (full) and why it failed
// (error).
//
// wavPublish and wavAdvance make the same sound from the published tone settings alone,
// as the program once did (and the tests still hold the machine's output to): the halves
// a sound thread would fill are filled when emulated time reaches their end, 3,125
// samples per 100 ms of emulated time, that is one sample per 128 cycles of the 4 MHz CPU.
// Halves alternate 1,562 and 1,563 samples, the first one first, each synthesised by
// fillHalf from the tone settings published at that moment:
//     wavPublish(wav, tones);            // whenever the machine publishes
//     wavAdvance(wav, cyclesPerFrame);   // as emulated time passes
// Either way the output depends only on the emulated program, never on the host's speed.
#pragma once

#include <cstdint>

#include "sound/synth.h"
#include "sound/soundchip.h"
#include "files/wav_file.h"

namespace ollendor {

// CPU cycles per output sample: 4,000,000 per second over 31,250 samples per second.
inline constexpr unsigned cyclesPerOutputSample = 4000000 / audioSampleRate;
static_assert(cyclesPerOutputSample * audioSampleRate == 4000000);

struct WavStream {
    WavFile wav{};                    // the output file
    uint64_t cycles = 0;              // emulated cycles since wavStart
    uint64_t samples = 0;             // samples written, always whole halves
    bool secondHalfNext = false;      // the next half is the 1,563-sample one
    ToneSettings tones{};             // what is played: as published, from 440 Hz at start
    uint32_t dataLimit = wavFormatDataLimit; // the file's size limit (tests lower it)
    ToneSynth synth{};                // wave state and scratch
    int16_t half[secondHalfSamples]{}; // one half as synthesised
};

// Creates the file and starts the sound from silence: amplitude 0 and 440 Hz on tone
// channels 0-2 (as opening a sound device does), every wave at its start. False if the
// file cannot be created (wav.wav.error says why).
bool wavStart(WavStream& wav, const char* path);
// What the machine published, heard from the next half on (see applyPublished).
void wavPublish(WavStream& wav, const ToneSettings& published);
// Lets cycles more emulated cycles pass: fills and writes every half whose end has been
// reached. Does nothing when no file is open. Once the file is full, halves are still
// counted but no longer written.
void wavAdvance(WavStream& wav, uint64_t cycles);
// Writes samples the machine made (takeSamples, sound/output.h): the file then holds the
// machine's own output, which is the same as wavAdvance's for a run from power-on, and
// for a run from a loaded state the whole run's samples from where it stood. Does nothing
// when no file is open; once the file is full, samples are counted but not written.
void wavTake(WavStream& wav, const int16_t* samples, size_t count);
// Closes the file with its sizes fixed up and puts it in place; halves not yet due are not
// written. False if any write failed (the target is then untouched). Harmless when no
// file is open (returns true).
bool wavFinish(WavStream& wav);

} // namespace ollendor
