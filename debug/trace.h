// The trace: the last instructions executed, each with the registers it started from.
// A ring of fixed size filled before each instruction while tracing is on; the oldest
// entries are overwritten.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cpu/z80.h"

namespace ollendor {

inline constexpr size_t traceCapacity = 100000;

struct TraceEntry {
    uint64_t cycle;                // emulated cycle at which it started
    uint16_t pc;
    std::array<uint8_t, 4> bytes;  // the instruction's bytes (and what follows them)
    uint16_t af, bc, de, hl, ix, iy, sp; // registers before it ran
};

class TraceRing {
public:
    TraceRing() : entries_(traceCapacity) {}
    void add(const TraceEntry& entry)
    {
        entries_[next_] = entry;
        next_ = next_ + 1 == entries_.size() ? 0 : next_ + 1;
        if (size_ < entries_.size())
            ++size_;
        ++total_;
    }
    size_t size() const { return size_; }
    // The i-th oldest entry held (0: the oldest).
    const TraceEntry& at(size_t i) const
    {
        const size_t start = size_ < entries_.size() ? 0 : next_;
        return entries_[(start + i) % entries_.size()];
    }
    void clear() { size_ = next_ = 0; }
    bool full() const { return size_ == entries_.size(); }
    // Entries added over the ring's life, the overwritten ones included: a count of
    // instructions run, to measure how far back the ring reaches. It goes on from `total`.
    uint64_t total() const { return total_; }
    void countFrom(uint64_t total) { total_ = total; }

private:
    std::vector<TraceEntry> entries_;
    size_t next_ = 0;
    size_t size_ = 0;
    uint64_t total_ = 0;
};

} // namespace ollendor
