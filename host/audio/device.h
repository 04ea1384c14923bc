// The host's sound output as the sound stream sees it, without any platform headers.
//
// A device plays 16-bit signed mono samples at 31,250 per second. It owns no buffer of
// ours: from a thread of its own it asks an AudioSource for the next samples whenever it
// needs more (the stream answers from its looping buffer). The desktop program supplies
// the SDL device (host/sdl/sdl_audio.h); tests have a device of their own whose
// "callbacks" they make themselves.
#pragma once

#include <cstdint>

#include "sound/synth.h"

namespace ollendor {


// What a device plays from. pull is called on the device's thread, never concurrently
// with itself, and must not block for long.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Writes the next count samples to be played.
    virtual void pull(int16_t* destination, unsigned count) = 0;
};

class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    // Opens the device for 16-bit signed mono at audioSampleRate, taking samples from
    // source, paused. False when there is no device or it will not take the format; the
    // device is then left closed.
    virtual bool open(AudioSource& source) = 0;
    // Starts calling the source. False if playback could not start.
    virtual bool play() = 0;
    // Pauses; once it returns, the source is not called until play again.
    virtual void stop() = 0;
    // Releases the device (stopping it first). Harmless when not open.
    virtual void close() = 0;
};

} // namespace ollendor
