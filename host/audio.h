// The host's sound output as the sound stream sees it, without any platform headers.
//
// A device plays 16-bit signed mono samples at 31,250 per second. It owns no buffer of
// ours: from a thread of its own it asks an AudioSource for the next samples whenever it
// needs more (the stream answers from its looping buffer). The desktop program supplies
// the SDL device (host/sdl/sdl_audio.h); tests use FakeAudioDevice below, whose
// "callbacks" are made by the test itself.
#pragma once

#include <atomic>
#include <cstdint>

namespace ollendor {

inline constexpr unsigned audioSampleRate = 31250; // samples per second, 16-bit mono

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

// A device driven by hand: the test decides whether open and play succeed and calls
// deliver to stand for the device's callback. It can be made to stop calling back at
// all, like a device that was unplugged. play and stop come from the sound thread and
// deliver from the test's thread, hence the atomic playing flag.
class FakeAudioDevice : public AudioDevice {
public:
    bool openSucceeds = true;  // what open answers
    bool playSucceeds = true;  // what play answers
    bool isOpen = false;       // between a successful open and close
    std::atomic<bool> isPlaying = false; // between a successful play and stop/close
    unsigned opens = 0;        // calls of open, successful or not
    unsigned closes = 0;       // calls of close

    bool open(AudioSource& source) override
    {
        ++opens;
        if (!openSucceeds)
            return false;
        source_ = &source;
        isOpen = true;
        return true;
    }

    bool play() override
    {
        if (!isOpen || !playSucceeds)
            return false;
        isPlaying = true;
        return true;
    }

    void stop() override { isPlaying = false; }

    void close() override
    {
        ++closes;
        isPlaying = false;
        isOpen = false;
        source_ = nullptr;
    }

    // One callback of count samples into destination; false (and nothing written) when
    // the device is not playing.
    bool deliver(int16_t* destination, unsigned count)
    {
        if (!isPlaying)
            return false;
        source_->pull(destination, count);
        return true;
    }

private:
    AudioSource* source_ = nullptr; // where deliver takes its samples from
};

} // namespace ollendor
