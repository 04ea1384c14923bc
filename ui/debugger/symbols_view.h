// The symbols: loading a label file written by z80asm (--label) or pasmo (--equ, --public)
// from a path typed here, and the table (the built-in ROM's own names and those loaded),
// filtered by name; a double click shows the address in the disassembly.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "debug/symbol_file.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// What a load says: "added 120 symbols from x.lbl" and the first problems, or the error.
std::string symbolLoadReport(const std::filesystem::path& path, const SymbolFileResult& result);

struct SymbolEntry {
    uint16_t address;
    std::string name;
};
// The symbols whose name holds `filter` (ignoring case), in address order.
std::vector<SymbolEntry> filteredSymbols(const Symbols& symbols, std::string_view filter);

struct SymbolsView {
    char path[512] = {};
    char filter[64] = {};
    std::string report;
    bool reportIsError = false;
    bool focusPath = false; // the menu's "Load symbols..." puts the cursor in the path
};

void drawSymbolsView(SymbolsView& view, DebugContext& context, bool* open);

} // namespace ollendor
