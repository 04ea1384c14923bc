// The picture a state file holds, for the list of slots: the machine's last frame and how
// the display showed it (blanked, the backdrop colour), read without building a machine.
//
// A file is refused, with the reason, for what makes loading refuse a damaged one: not a
// state file, a newer format, cut short or too long, a bad checksum, unknown flags,
// sections missing or of the wrong size, a pixel above 15. The ROM set is not checked
// here (the picture of another ROM set's state still shows); the caller compares it.
#pragma once

#include <cstdint>
#include <span>

#include "state/state_file.h"
#include "video/render.h"

namespace ollendor {

struct StatePicture {
    FrameBuffer frame{};      // 256 x 192 palette indices
    bool blanked = false;     // the display was blanked
    uint8_t backdrop = 0;     // the backdrop colour index
    bool romBuiltin = false;  // saved with the built-in ROM set
    uint64_t romIdentity = 0; // identity of the ROM set it was saved with
};

StateResult readStatePicture(std::span<const uint8_t> bytes, StatePicture& picture);

} // namespace ollendor
