// Save states: the whole machine in a file, and back (the format: docs/state-format.md).
//
// Only emulated state goes in (no host settings). A file is refused, with one message that
// names it and says why, when it cannot be used: not a state file, a newer format, cut
// short, a bad checksum, sections of the wrong size, a value the machine can never hold
// (a page selector above 15, a video address beyond 14 bits, ...), or another ROM set than
// the one running. Loading writes the machine only when everything checked out, so a
// refused file leaves the running machine exactly as it was.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace ollendor {

inline constexpr char stateMagic[8] = {'O', 'L', 'L', 'S', 'T', 'A', 'T', 'E'};
inline constexpr uint16_t stateFormatVersion = 2;
inline constexpr size_t stateHeaderSize = 36;
// No state file is larger than this (the payload compresses; this is a generous bound).
inline constexpr size_t stateFileLimit = 8 * 1024 * 1024;

// The machine as a state file's bytes. The machine must stand between two runs (as it does
// whenever its host holds it): no stop half-taken.
std::vector<uint8_t> encodeState(const Mtx& machine);

// The emulated time a state holds is below this many hook calls (thousands of years; the
// cycle counts made from them must not overflow); a file holding more is refused on load.
inline constexpr uint64_t mostStateHookCalls = uint64_t(1) << 48;
// Why the machine as it stands cannot be saved as a state that loads again, or "": one
// loaded from a state near the limit may have run past it.
std::string unsavableState(const Mtx& machine);

struct StateResult {
    bool ok = false;
    std::string error; // why not: "not a state file", "it was saved with another ROM set (...)"
};

// Reads a state from bytes into `into` when they are usable with the ROM set `running`
// runs (its identity); `into` is not touched otherwise. `into` may be `running` itself.
StateResult decodeState(std::span<const uint8_t> bytes, const Mtx& running, Mtx& into);

} // namespace ollendor
