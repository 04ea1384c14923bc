// Shared by the sound stream tests: a counting stand-in for the synthesis and a bounded
// wait for what another thread does, the stream's close included.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "sound/soundchip.h"
#include "host/audio/stream.h"
#include "tests/support/fake_audio_device.h"

using namespace ollendor;

namespace soundtest {

inline std::atomic<unsigned> fills = 0;         // halves filled so far
inline std::atomic<size_t> lastFillCount = 0;   // samples asked for by the last fill

// Fills every sample with the number of this fill (1, 2, ...).
inline void numberedFill(const ToneSettings&, int16_t* destination, size_t count)
{
    unsigned number = fills.load() + 1;
    for (size_t i = 0; i < count; ++i)
        destination[i] = int16_t(number);
    lastFillCount = count;
    fills = number;
}

// Polls until done() holds or the time is up; returns whether it held.
template <class Done>
bool waitUntil(Done done, std::chrono::milliseconds limit = std::chrono::milliseconds(2000))
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Closes the stream on a helper thread and reports whether that returned within the limit.
// If not, the sound thread is woken by hand until it does, so a hang becomes a failure.
inline bool closeWithin(SoundStream& stream, std::chrono::milliseconds limit)
{
    std::atomic<bool> closed = false;
    std::thread closer([&] {
        stream.close();
        closed = true;
    });
    bool inTime = waitUntil([&] { return closed.load(); }, limit);
    while (!closed) {
        stream.firstHalfEvent.set();
        stream.secondHalfEvent.set();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    closer.join();
    return inTime;
}

// Tone settings as a strobe publishes them: the amplitude of one channel, no frequency set.
inline ToneSettings amplitudeOnly(unsigned channel, uint16_t amplitude)
{
    ToneSettings tones{};
    tones.amplitude[channel] = amplitude;
    return tones;
}

} // namespace soundtest
