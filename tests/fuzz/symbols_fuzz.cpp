// The symbol file reader: arbitrary text as a label file. Every line is either taken or
// reported with its number; names taken are found again by name and by address.
#include <string_view>

#include "debug/symbol_file.h"
#include "debug/symbols.h"

using namespace ollendor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Symbols symbols;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SymbolFileResult result = loadSymbolText(symbols, text, "fuzz.labels");
    if (result.ok() && result.added > result.symbolLines)
        __builtin_trap();
    bool consistent = true;
    symbols.forEach([&](uint16_t address, std::string_view name) {
        if (symbols.addressOf(name) != address)
            consistent = false;
        (void)symbols.nearest(address);
    });
    if (!consistent)
        __builtin_trap();
    (void)symbols.resolve(text.substr(0, 32));
    return 0;
}
