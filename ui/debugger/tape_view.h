// The tape trap view: the image being handed out (opened, size, bytes left), the blocks
// served, a request waiting for an image and what it asks for, the names already reported
// missing, and where images come from (the mounted tape or the tape folder).
#pragma once

#include <string>
#include <vector>

#include "ui/debugger/debug_context.h"
#include "machine/tape.h"

namespace ollendor {

// A 9-byte name field as text: trailing spaces kept visible as they matter to the lookup,
// bytes that do not print as \xNN.
std::string tapeNameText(const char (&name)[tapeNameLength]);
// The names reported missing, oldest first.
std::vector<std::string> reportedTapeNames(const TapeState& tape);

void drawTapeView(DebugContext& context, bool* open);

} // namespace ollendor
