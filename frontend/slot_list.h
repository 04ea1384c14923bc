// What the menus show of the four save state slots: for each, whether a state is there,
// when it was saved (the file's modification time, local time) and a small picture of
// its frame, or why it cannot be used. Files are read again only when they changed (another
// file, size or modification time), so looking costs four stat calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <sys/types.h>

#include "control/state_slots.h"

namespace ollendor {

// The picture: the console (border included) at half its size.
inline constexpr int slotPictureWidth = 160;
inline constexpr int slotPictureHeight = 100;

struct SlotEntry {
    bool empty = true;            // no file in the slot
    std::string savedAt;          // "2026-12-07 11:42:05", when a regular file is there
    std::string problem;          // why it cannot be loaded (empty when it can)
    std::vector<uint8_t> picture; // slotPictureWidth x slotPictureHeight RGBA; empty when none
    uint64_t generation = 0;      // changes whenever the entry changes
};

class SlotList {
public:
    // The ROM set of the running machine: a state of another set is marked as such.
    SlotList(bool romBuiltin, uint64_t romIdentity) : romBuiltin_(romBuiltin), romIdentity_(romIdentity) {}

    // Looks at the four files and reads those that changed since the last look.
    void refresh();
    // Slot 1-4, as of the last refresh.
    const SlotEntry& entry(int slot) const { return entries_[slot - 1]; }

private:
    // What tells a file from an earlier one in its place.
    struct Stamp {
        bool seen = false;      // looked at before
        int error = 0;          // errno of stat (ENOENT: empty)
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        mode_t mode = 0;
        int64_t modified = 0;   // nanoseconds
        bool operator==(const Stamp&) const = default;
    };
    void read(int slot, const std::string& path, const Stamp& stamp);

    bool romBuiltin_;
    uint64_t romIdentity_;
    Stamp stamps_[stateSlotCount];
    SlotEntry entries_[stateSlotCount];
    uint64_t generation_ = 0;
};

// The RGBA picture of a console at half size (each pixel the mean of four).
std::vector<uint8_t> halfSizePicture(const uint32_t* console);

} // namespace ollendor
