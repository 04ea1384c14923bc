// Symbols: how long a label file takes to load when many names share one address (a file
// within the size limit can hold a million), half of them looking local so that each name
// goes among the others rather than at the end.
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench.h"
#include "debug/symbol_file.h"

using namespace ollendor;

namespace {

void symbolsAtOneAddress()
{
    for (int count : {10000, 50000, 200000}) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += (i < count / 2 ? "_local" : "name") + std::to_string(i) + ": equ $1000\n";
        const auto start = std::chrono::steady_clock::now();
        Symbols symbols;
        const SymbolFileResult result = loadSymbolText(symbols, text, "bench.labels");
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("symbols: %6d names at one address loaded in %.3f s (%zu added)\n", count, seconds, result.added);
    }
}

BenchSection symbolsSection("symbols", 60, symbolsAtOneAddress);

} // namespace
