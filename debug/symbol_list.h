// The symbol table as the debugger lists it: what loading a label file says, and the
// symbols a filter picks (the Symbols view and list_symbols).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "debug/symbol_file.h"
#include "debug/symbols.h"

namespace ollendor {

// What a load says: "added 120 symbols from x.lbl" and the first problems, or the error.
std::string symbolLoadReport(const std::filesystem::path& path, const SymbolFileResult& result);

struct SymbolEntry {
    uint16_t address;
    std::string name;
};
// The symbols whose name holds `filter` (ignoring case), in address order.
std::vector<SymbolEntry> filteredSymbols(const Symbols& symbols, std::string_view filter);

} // namespace ollendor
