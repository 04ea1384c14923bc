// The tape trap's names as the debugger shows them.
#pragma once

#include <string>
#include <vector>

#include "machine/tape.h"

namespace ollendor {

// A 9-byte name field as text: trailing spaces kept visible as they matter to the lookup,
// bytes that do not print as \xNN.
std::string tapeNameText(const char (&name)[tapeNameLength]);
// The names reported missing, oldest first.
std::vector<std::string> reportedTapeNames(const TapeState& tape);

} // namespace ollendor
