// The memory view: the CPU's 64 KiB as paged now, any of the 16 pages of the store, or the
// 16 KiB of video memory, as hex and characters, 16 bytes a row. Bytes that changed since
// the pause before this one are marked; while paused a byte can be edited (click it, type
// two hex digits, Enter; the next byte follows). In the CPU's view an edit goes to the byte
// the CPU reads there, so ROM can be patched (the CPU's own writes there are dropped).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "debug/memory_rows.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// Bytes, sizes and names of the areas are read through debug/memory_area.h; the rows and
// the bytes changed since the pause before through debug/memory_rows.h.

struct MemoryView {
    MemorySource source;
    char gotoText[64] = {};
    std::string gotoError;
    std::optional<uint32_t> scrollTo;  // a row to bring into view at the next frame
    std::optional<uint32_t> editing;   // the byte being typed into
    char editText[4] = {};
    bool focusEdit = false;
};

void drawMemoryView(MemoryView& view, DebugContext& context, bool* open);

} // namespace ollendor
