// The samples a machine made on its way to a sound device: one thread puts them in (the
// emulation thread, after each run), the device's thread takes them as it plays.
//
// Emulated time and the device's clock drift apart, and the machine makes its samples a
// half (50 ms) at a time, so the queue keeps a margin: playback starts (and starts again
// after running dry) only once a half is waiting; while it is dry, silence is played.
// Samples that do not fit (the machine running faster than real time) are dropped.
// Nothing allocates; put and take never block.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "sound/synth.h"

namespace ollendor {

class SampleQueue {
public:
    static constexpr size_t capacity = 8192;            // about 260 ms
    static constexpr size_t margin = firstHalfSamples;  // waiting before playback starts

    // Producer: appends what fits; returns how many were kept.
    size_t put(const int16_t* samples, size_t count)
    {
        const uint64_t write = write_.load(std::memory_order_relaxed);
        const uint64_t read = read_.load(std::memory_order_acquire);
        const size_t n = std::min<size_t>(count, capacity - size_t(write - read));
        for (size_t i = 0; i < n; ++i)
            buffer_[(write + i) % capacity].store(samples[i], std::memory_order_relaxed);
        write_.store(write + n, std::memory_order_release);
        return n;
    }
    // Producer: everything put so far is not to be played (the machine jumped elsewhere).
    void discard() { discardTo_.store(write_.load(std::memory_order_relaxed), std::memory_order_release); }

    // Consumer: fills count samples, silence where none are ready.
    void take(int16_t* destination, size_t count)
    {
        uint64_t read = read_.load(std::memory_order_relaxed);
        const uint64_t write = write_.load(std::memory_order_acquire);
        const uint64_t discardTo = discardTo_.load(std::memory_order_acquire);
        if (read < discardTo && discardTo <= write) {
            read = discardTo;
            primed_ = false;
        }
        size_t available = size_t(write - read);
        if (!primed_ && available >= margin)
            primed_ = true;
        size_t n = primed_ ? std::min(available, count) : 0;
        for (size_t i = 0; i < n; ++i)
            destination[i] = buffer_[(read + i) % capacity].load(std::memory_order_relaxed);
        std::fill(destination + n, destination + count, int16_t(0));
        if (n < count)
            primed_ = false; // ran dry: wait for the margin again
        read_.store(read + n, std::memory_order_release);
    }

private:
    std::atomic<int16_t> buffer_[capacity] = {};
    std::atomic<uint64_t> write_{0};     // samples put since the start
    std::atomic<uint64_t> read_{0};      // samples taken since the start
    std::atomic<uint64_t> discardTo_{0}; // samples before this are skipped
    bool primed_ = false;                // the consumer's own: playing from the queue
};

} // namespace ollendor
