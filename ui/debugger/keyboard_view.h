// The keyboard view: the 8 x 10 key matrix as the machine sees it, each position named by
// the host key that drives it and marked while held (what the next scan of that row will
// read), and the sense bytes the last scan latched.
#pragma once

#include <cstdint>

#include "ui/debugger/debug_context.h"

namespace ollendor {

// The host key at a virtual-key code of the matrix ("A", "Enter", "Up"), or "" for none.
const char* matrixKeyName(uint8_t virtualKey);
// Whether the input holds the key at that row and column.
bool matrixKeyHeld(const KeyboardInput& input, unsigned row, unsigned column);

void drawKeyboardView(DebugContext& context, bool* open);

} // namespace ollendor
