// The symbols: loading a label file written by z80asm (--label) or pasmo (--equ, --public)
// from a path typed here, and the table (the built-in ROM's own names and those loaded),
// filtered by name; a double click shows the address in the disassembly.
#pragma once

#include <string>

#include "debug/symbol_list.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// What a load says and the filtered table: debug/symbol_list.h.

struct SymbolsView {
    char path[512] = {};
    char filter[64] = {};
    std::string report;
    bool reportIsError = false;
    bool focusPath = false; // the menu's "Load symbols..." puts the cursor in the path
};

void drawSymbolsView(SymbolsView& view, DebugContext& context, bool* open);

} // namespace ollendor
