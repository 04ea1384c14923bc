// Audio streaming: the sound thread and the looping buffer the audio device plays from.
//
// The buffer holds 100 ms of sound (3,125 samples of 16-bit mono at 31,250 Hz, 6,250
// bytes) in two halves: samples 0-1561 (bytes 0-3123) and 1562-3124 (bytes 3124-6249). The
// device's callback copies from it at the play position and, as playback reaches byte 0
// or byte 3124, sets firstHalfEvent or secondHalfEvent. The sound thread waits for them in
// turn and refills the half that is not playing: playback entering the first half has it
// fill the second, and the other way round. A change the sound chip publishes sets both
// events, so both halves are refilled at once and the change is heard without waiting.
//
// Use from program entry:
//     if (soundOpen(device)) { startSoundThread(); ... soundClose(); }
// When soundOpen fails the program runs silent: no thread, nothing published, and
// soundClose has nothing to do (it may still be called).
//
// Threads: the main thread calls soundOpen, startSoundThread and soundClose; the sound
// thread owns channelPhase and the writing side of the buffer; the device's thread only
// reads the buffer and moves the play position. The buffer samples, the play position and
// the stop state are atomics; the two events are the only other thing they share.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "host/audio.h"
#include "sound/synth.h"

inline constexpr unsigned ringSamples = firstHalfSamples + secondHalfSamples; // 100 ms
inline constexpr unsigned secondHalfStart = firstHalfSamples; // the sample at byte 3124

// Synthesis that fills one half: count samples at destination. fillHalf in the program.
using HalfFill = void (*)(int16_t* destination, size_t count);

struct SoundStream {
    std::atomic<int16_t> ring[ringSamples];   // the looping buffer the device plays from
    std::atomic<uint32_t> playPosition;       // next ring sample the device takes
    int16_t halfScratch[secondHalfSamples];   // a half as synthesised, before it is stored
    HalfFill fill;                            // synthesis for each half; tests put their own
    AudioDevice* device;                      // the open device, null while closed
    // The sound thread, once started; null otherwise. Held by pointer because soundStream
    // lives at static scope: a std::thread still joinable when static objects are
    // destroyed (a library calling exit(), say) would end the program in std::terminate.
    std::thread* thread;
};

extern SoundStream soundStream;

// 0 while the sound thread is to run, 1 once soundClose asks it to stop, 2 once it has
// finished. Written by soundClose (1) and by the thread (2) only.
extern std::atomic<uint32_t> soundStopState;

// Opens the device on the (silent) buffer. On success publishes amplitude 0 and 440 Hz on
// tone channels 0-2 and returns true; on failure returns false and changes nothing else.
bool soundOpen(AudioDevice& device);
// Starts the sound thread after a successful soundOpen. Does nothing if the device is not
// open or a thread was already started; if the thread cannot be created, sound stays silent.
void startSoundThread();
// The sound thread's body; returns 0 when it ends. Always ends with soundStopState at 2.
int soundThread();
// Stops the sound thread (if one was started) and releases the device. Always returns:
// also when the thread ended early, never played, or the device stopped calling back.
// Called on the sound thread itself it does nothing (it cannot wait for itself).
void soundClose();
// True from a successful startSoundThread until soundClose.
bool soundThreadStarted();
