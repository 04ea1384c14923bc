// A sound device driven by hand, for the tests of the sound stream and of the program's
// ways out: the test decides whether open and play succeed and calls deliver to stand for
// the device's callback. It can be made to stop calling back at all, like a device that
// was unplugged. play and stop come from the sound thread and deliver from the test's
// thread, hence the atomic playing flag and play count.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/audio/device.h"

namespace ollendor {

class FakeAudioDevice : public AudioDevice {
public:
    bool openSucceeds = true;  // what open answers
    bool playSucceeds = true;  // what play answers
    bool isOpen = false;       // between a successful open and close
    std::atomic<bool> isPlaying = false; // between a successful play and stop/close
    std::atomic<unsigned> plays = 0;     // successful calls of play
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
        ++plays;
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
