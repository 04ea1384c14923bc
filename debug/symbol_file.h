// Loading symbols from the label files assemblers write.
//
// One line per symbol, in either of these forms (as the assemblers write them):
//   z80asm --label=FILE    name:<tab>equ $8002
//   pasmo  SOURCE BIN FILE name<tabs>EQU 08002H   (the same with --public, or --nocase)
// The colon is optional, "equ" may be any case or "=", and the value may also be written
// 0x8002, #8002 or in decimal. Blank lines and ';' comments are skipped, and so are the
// names pasmo makes up for LOCAL labels (hex digits only, such as 00000000).
//
// Label files write labels (places in the program) and EQU constants (ports, counts, bit
// masks) the same way. They are told apart by value: a name below $0100 loads as a value,
// so a port or a count never labels code at the bottom of memory (the ROM's restarts there
// have their names from the built-in table); anything from $0100 up loads as a label.
//
// A bad line is reported with its file and number and skipped; the rest loads. A file
// that cannot be read, or has no symbol line at all, is one error.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "debug/symbols.h"

namespace ollendor {

struct SymbolFileProblem {
    std::string file;   // as given
    std::size_t line;   // counted from 1
    std::string reason;

    std::string message() const; // "file:12: reason"
};

struct SymbolFileResult {
    std::string error;                      // why nothing was loaded, or empty
    std::size_t added = 0;                  // names new to the table
    std::size_t symbolLines = 0;            // lines that held a symbol, added or not
    std::vector<SymbolFileProblem> problems; // bad lines, the first maxListedProblems
    std::size_t problemCount = 0;           // every bad line

    static constexpr std::size_t maxListedProblems = 100;
    bool ok() const { return error.empty(); }
};

// Larger files are refused: a label file of every address of 64 KiB is far smaller.
inline constexpr std::size_t maxSymbolFileSize = 16 * 1024 * 1024;

// A symbol file read and parsed but not yet added to a table: the slow part of a load,
// which can be done away from the table's owner (the automation server parses while the
// machine runs, then adds in one short turn).
struct ParsedSymbols {
    struct Symbol {
        std::string name;
        uint16_t address;
        std::size_t line;
    };
    std::string source;             // names the file in problems
    std::string error;              // why nothing can be loaded, or empty
    std::vector<Symbol> symbols;    // in the order of the file
    std::vector<SymbolFileProblem> problems; // bad lines, the first maxListedProblems
    std::size_t problemCount = 0;   // every bad line
};

inline constexpr uint16_t symbolFileFirstLabel = 0x0100;
// What a name of a label file with this value loads as.
SymbolKind symbolFileKind(uint16_t address);

ParsedSymbols parseSymbolFile(const std::filesystem::path& path);
ParsedSymbols parseSymbolText(std::string_view text, std::string_view source);
// Adds what was parsed to `symbols`; the result is what loading the file would give.
SymbolFileResult addParsedSymbols(Symbols& symbols, const ParsedSymbols& parsed);

// Adds the symbols of the file at `path` to `symbols`. Only a regular file is opened, and
// without waiting (a FIFO or device is refused, never read).
SymbolFileResult loadSymbolFile(Symbols& symbols, const std::filesystem::path& path);

// The same for text already in memory; `source` names it in problems.
SymbolFileResult loadSymbolText(Symbols& symbols, std::string_view text, std::string_view source);

} // namespace ollendor
