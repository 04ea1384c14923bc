#include "state/rewind.h"

#include <lz4.h>

#include <algorithm>
#include <cassert>
#include <cstring>
#include <type_traits>

namespace ollendor {

namespace {

static_assert(std::is_trivially_copyable_v<Mtx>, "a capture is the machine's bytes");

constexpr size_t machineBytes = sizeof(Mtx);
// The unit of comparison. Smaller blocks store less that did not change; larger ones mean
// fewer comparisons and a shorter run table. On the graphics page with moving sprites
// 128 and 256 bytes capture equally fast (64 takes twice as long), and 128 stores the
// least of those two.
constexpr size_t blockSize = 128;
constexpr size_t blockCount = (machineBytes + blockSize - 1) / blockSize;
static_assert(blockCount <= 0xFFFF, "block numbers are stored in 16 bits");

// A record: a 16-bit run count, then per run its first block and its block count (16 bits
// each, little-endian), then the LZ4 block of the runs' old contents, one after another.
constexpr size_t runBytes = 4;
constexpr size_t tableLimit = 2 + runBytes * ((blockCount + 1) / 2); // every other block changed
const size_t packedLimit = tableLimit + size_t(LZ4_compressBound(int(machineBytes)));

void put16(uint8_t* at, size_t value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

size_t get16(const uint8_t* at) { return size_t(at[0]) | size_t(at[1]) << 8; }

// Bytes of the machine image covered by `count` blocks from `first` (the last block of the
// image is shorter).
size_t runLength(size_t first, size_t count)
{
    return std::min(count * blockSize, machineBytes - first * blockSize);
}

size_t fixedBytes(size_t capacity)
{
    return 2 * machineBytes + packedLimit + (capacity - 1) * sizeof(size_t[2]);
}

} // namespace

size_t RewindBuffer::minimumBudget(size_t capacity) { return fixedBytes(std::max<size_t>(capacity, 1)); }

RewindBuffer::RewindBuffer(size_t capacity, size_t budgetBytes)
    : capacity_(std::max<size_t>(capacity, 1)),
      budget_(std::max(budgetBytes, fixedBytes(capacity_))),
      newest_(std::make_unique_for_overwrite<uint8_t[]>(machineBytes)),
      scratch_(std::make_unique_for_overwrite<uint8_t[]>(machineBytes)),
      packed_(std::make_unique_for_overwrite<uint8_t[]>(packedLimit)),
      ringSize_(budget_ - fixedBytes(capacity_)),
      records_(capacity_ - 1)
{
    static_assert(sizeof(Record) == sizeof(size_t[2]));
    // Not zeroed: the pages of the ring are only touched as records arrive.
    ring_ = std::make_unique_for_overwrite<uint8_t[]>(std::max<size_t>(ringSize_, 1));
}

void RewindBuffer::capture(const Mtx& machine)
{
    const auto* now = reinterpret_cast<const uint8_t*>(&machine);
    uint8_t* newest = newest_.get();
    if (held_ == 0) {
        std::memcpy(newest, now, machineBytes);
        held_ = 1;
        return;
    }

    // The blocks that differ from the newest capture: their old contents go to the
    // scratch (in block order) and their new contents into the newest copy. Padding bytes
    // take part like any other; a difference there only costs a block of storage.
    uint8_t* table = packed_.get();
    uint8_t* scratch = scratch_.get();
    size_t runs = 0, rawSize = 0;
    size_t runFirst = 0, runCount = 0;
    for (size_t b = 0; b < blockCount; ++b) {
        const size_t at = b * blockSize;
        const size_t length = runLength(b, 1);
        if (std::memcmp(now + at, newest + at, length) == 0)
            continue;
        std::memcpy(scratch + rawSize, newest + at, length);
        std::memcpy(newest + at, now + at, length);
        rawSize += length;
        if (runCount != 0 && runFirst + runCount == b) {
            ++runCount;
            continue;
        }
        if (runCount != 0) {
            put16(table + 2 + runBytes * runs, runFirst);
            put16(table + 4 + runBytes * runs, runCount);
            ++runs;
        }
        runFirst = b;
        runCount = 1;
    }
    if (runCount != 0) {
        put16(table + 2 + runBytes * runs, runFirst);
        put16(table + 4 + runBytes * runs, runCount);
        ++runs;
    }
    put16(table, runs);
    if (capacity_ == 1)
        return; // only the newest is kept

    const size_t tableSize = 2 + runBytes * runs;
    int packedSize = 0;
    if (rawSize != 0) {
        packedSize = LZ4_compress_default(reinterpret_cast<const char*>(scratch),
                                          reinterpret_cast<char*>(table + tableSize), int(rawSize),
                                          int(packedLimit - tableSize));
        assert(packedSize > 0); // the destination holds the worst case
    }
    const size_t size = tableSize + size_t(packedSize);

    if (recordCount_ == records_.size())
        dropOldest();
    const size_t offset = place(size);
    if (offset == ringSize_) {
        // Larger than the whole ring: the older captures cannot be reached without this
        // record, so only the newest remains (place dropped the others).
        held_ = 1;
        return;
    }
    std::memcpy(ring_.get() + offset, table, size);
    records_[(firstRecord_ + recordCount_) % records_.size()] = Record{offset, size};
    ++recordCount_;
    recordBytes_ += size;
    held_ = recordCount_ + 1;
}

bool RewindBuffer::restore(Mtx& machine, size_t framesBack)
{
    if (framesBack >= held_)
        return false;
    for (size_t i = 0; i < framesBack; ++i) {
        undo(record(recordCount_ - 1), newest_.get());
        dropNewest();
    }
    std::memcpy(static_cast<void*>(&machine), newest_.get(), machineBytes);
    return true;
}

bool RewindBuffer::peek(Mtx& machine, size_t framesBack) const
{
    if (framesBack >= held_)
        return false;
    auto* image = reinterpret_cast<uint8_t*>(&machine);
    std::memcpy(image, newest_.get(), machineBytes);
    for (size_t i = 0; i < framesBack; ++i)
        undo(record(recordCount_ - 1 - i), image);
    return true;
}

size_t RewindBuffer::memoryBytes() const { return fixedBytes(capacity_) + recordBytes_; }

void RewindBuffer::clear()
{
    held_ = 0;
    firstRecord_ = 0;
    recordCount_ = 0;
    recordBytes_ = 0;
}

void RewindBuffer::dropOldest()
{
    recordBytes_ -= record(0).size;
    firstRecord_ = (firstRecord_ + 1) % records_.size();
    --recordCount_;
    held_ = recordCount_ + 1;
}

void RewindBuffer::dropNewest()
{
    recordBytes_ -= record(recordCount_ - 1).size;
    --recordCount_;
    held_ = recordCount_ + 1;
}

const RewindBuffer::Record& RewindBuffer::record(size_t fromOldest) const
{
    return records_[(firstRecord_ + fromOldest) % records_.size()];
}

// The records lie in the ring in capture order, each where the one before it ends, or at
// the start of the ring when it did not fit in the end. So the bytes in use run from the
// oldest record's offset to the newest record's end, possibly wrapping; when they wrap,
// the newest end is at or below the oldest offset (equal: the ring is full).
size_t RewindBuffer::place(size_t size)
{
    for (;;) {
        if (recordCount_ == 0)
            return size <= ringSize_ ? 0 : ringSize_;
        const size_t oldest = record(0).offset;
        const Record& last = record(recordCount_ - 1);
        const size_t end = last.offset + last.size;
        if (oldest < end) {
            if (ringSize_ - end >= size)
                return end;
            if (oldest >= size)
                return 0;
        } else if (oldest - end >= size) {
            return end;
        }
        dropOldest();
    }
}

void RewindBuffer::undo(const Record& rec, uint8_t* image) const
{
    const uint8_t* data = ring_.get() + rec.offset;
    const size_t runs = get16(data);
    const size_t tableSize = 2 + runBytes * runs;
    size_t rawSize = 0;
    for (size_t r = 0; r < runs; ++r)
        rawSize += runLength(get16(data + 2 + runBytes * r), get16(data + 4 + runBytes * r));
    if (rawSize == 0)
        return;
    uint8_t* scratch = scratch_.get();
    const int unpacked = LZ4_decompress_safe(reinterpret_cast<const char*>(data + tableSize),
                                             reinterpret_cast<char*>(scratch), int(rec.size - tableSize),
                                             int(machineBytes));
    assert(unpacked == int(rawSize));
    (void)unpacked;
    size_t from = 0;
    for (size_t r = 0; r < runs; ++r) {
        const size_t first = get16(data + 2 + runBytes * r);
        const size_t length = runLength(first, get16(data + 4 + runBytes * r));
        std::memcpy(image + first * blockSize, scratch + from, length);
        from += length;
    }
}

} // namespace ollendor
