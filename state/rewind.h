// The rewind buffer: a capture of the machine after every frame, for the last minute or
// more of emulated time, and the way back to any of them.
//
// The host captures after each frame it runs, once it has taken the frame's events (the
// machine is copied as bytes, so a capture is exact: inputs, picture and any events still
// raised included). Rewinding restores an earlier capture; the captures after it are
// dropped, so that running on and capturing again continues the history from there.
// Frame by frame backwards is restore(machine, 1) once per presented frame, with no run
// and no capture in between: each call goes one capture further back.
//
// How it is held: the newest capture as a full copy; for every older one an undo record,
// the blocks of the machine that changed in the following frame with their contents
// before the change, LZ4-compressed, in one preallocated ring of bytes. Restoring walks
// the undo records back from the newest capture: one record for a frame back (the copy
// out of the machine is most of it), a minute back unpacks every record (about 15 ms on
// the graphics page), so no key frames are kept. Nothing is allocated after construction.
//
// Limits: at most `capacity` captures are held, and the bytes in use stay within the
// budget (minimumBudget() at the least); beyond either the oldest captures go first. A
// buffer is used from one thread at a time (peek shares the scratch with capture).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "machine/machine.h"

namespace ollendor {

inline constexpr size_t rewindFramesPerSecond = 30;
// Sixty seconds back from the newest capture: 1,800 frames, so 1,801 captures.
inline constexpr size_t rewindDefaultCapacity = 60 * rewindFramesPerSecond + 1;
inline constexpr size_t rewindDefaultBudget = size_t(64) << 20;

class RewindBuffer {
public:
    // The whole budget is reserved here (untouched pages cost nothing until used). A
    // capacity below 1 is raised to 1; a budget below minimumBudget(capacity) is raised
    // to it (with that budget only the newest capture is held).
    explicit RewindBuffer(size_t capacity = rewindDefaultCapacity, size_t budgetBytes = rewindDefaultBudget);
    RewindBuffer(const RewindBuffer&) = delete;
    RewindBuffer& operator=(const RewindBuffer&) = delete;

    // Adds the machine as the newest capture, dropping the oldest ones beyond the
    // capacity or the budget. Whole frames are the intended points, but any point works.
    void capture(const Mtx& machine);

    // Sets the machine to the capture `framesBack` before the newest (0 = the newest
    // itself, 1 = the one before it, up to frames() - 1 = the oldest held) and drops every
    // capture newer than it, which becomes the newest. Returns false, changing nothing,
    // when fewer captures are held.
    bool restore(Mtx& machine, size_t framesBack);

    // The same capture without dropping anything (to look at, or to run from for a while).
    bool peek(Mtx& machine, size_t framesBack) const;

    // Captures held, the newest included: the history reaches frames() - 1 frames back.
    size_t frames() const { return held_; }
    size_t memoryBytes() const; // the fixed part plus the records held
    size_t capacity() const { return capacity_; }
    size_t budget() const { return budget_; }
    // The fixed part: the newest copy, the scratch, a record's worst case and a
    // descriptor per frame of capacity (about 3.4 MiB for the default capacity).
    static size_t minimumBudget(size_t capacity = rewindDefaultCapacity);

    void clear(); // drops every capture

private:
    struct Record {
        size_t offset; // in the ring
        size_t size;   // bytes in the ring: run table and compressed block contents
    };

    void dropOldest();
    void dropNewest();
    const Record& record(size_t fromOldest) const;
    size_t newestRecordEnd() const;
    // Where a record of `size` bytes goes in the ring, after dropping the oldest records
    // that stand in the way; ringSize_ when it cannot fit even in the empty ring.
    size_t place(size_t size);
    // Writes the contents a record holds into `image` (a machine's bytes).
    void undo(const Record& record, uint8_t* image) const;

    size_t capacity_;
    size_t budget_;
    size_t held_ = 0;                 // captures held: records + 1, or 0
    std::unique_ptr<uint8_t[]> newest_; // the newest capture, sizeof(Mtx) bytes
    std::unique_ptr<uint8_t[]> scratch_; // changed blocks of a capture; a record unpacked
    std::unique_ptr<uint8_t[]> packed_;  // a record being built
    std::unique_ptr<uint8_t[]> ring_;    // the records, oldest to newest, wrapping
    size_t ringSize_;
    std::vector<Record> records_;     // a ring of capacity_ - 1 descriptors
    size_t firstRecord_ = 0;          // index in records_ of the oldest
    size_t recordCount_ = 0;
    size_t recordBytes_ = 0;          // sum of the sizes held
};

} // namespace ollendor
