// The steps of reading a state file that more than the loader needs (the slots' pictures
// read a file without building a machine): the whole file read within its limit, the
// header and checksum checked, the payload unpacked, and the sections' layout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "state/state_file.h"

namespace ollendor {

// One section of the format: its tag and its exact length.
struct StateSection {
    char tag[5];
    uint32_t length;
};
// Every section in its order (a file of format version 1 ends before the last).
std::span<const StateSection> stateSections(uint16_t version = stateFormatVersion);

struct StateHeader {
    bool romBuiltin = false;           // saved with the built-in ROM set
    uint64_t romIdentity = 0;          // identity of the ROM set it was saved with
    uint32_t unpackedSize = 0;         // the payload's size unpacked
    uint16_t version = 0;              // the format version (1 has no sound output section)
    std::span<const uint8_t> packed;   // the packed payload, within the checked bytes
};

// The magic, the format version, the sizes, the checksum and the flags.
StateResult checkStateHeader(std::span<const uint8_t> bytes, StateHeader& header);
// The payload unpacked into payload (its size checked first).
StateResult unpackStatePayload(const StateHeader& header, std::vector<uint8_t>& payload);

} // namespace ollendor
