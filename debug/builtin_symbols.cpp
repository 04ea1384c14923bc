// Parsing the embedded label files of the built-in ROM images.
#include "debug/builtin_symbols.h"

#include <cassert>

#include "debug/symbol_file.h"
#include "roms/builtin_rom.h"
#include "roms/builtin_rom_labels.h"

namespace ollendor {

namespace {

std::string_view labelText(std::string_view romFileName)
{
    if (romFileName == romFileNames[0])
        return builtinOsRomLabels;
    if (romFileName == romFileNames[1])
        return builtinBasicRomLabels;
    if (romFileName == romFileNames[2])
        return builtinAssemRomLabels;
    return {};
}

// The names defined with equ in the ROM sources.
bool isEquate(std::string_view name)
{
    std::string_view rest = builtinRomEquates;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (rest.substr(0, end) == name)
            return true;
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return false;
}

// The build wrote these files itself, so a bad line is a broken build, not bad input.
void addImageSymbols(Symbols& symbols, std::string_view romFileName)
{
    Symbols labels;
    [[maybe_unused]] const SymbolFileResult result =
        loadSymbolText(labels, labelText(romFileName), romFileName);
    assert(result.ok() && result.problemCount == 0);
    labels.forEach([&](uint16_t address, std::string_view name) {
        symbols.add(name, address, isEquate(name) ? SymbolKind::value : SymbolKind::label);
    });
}

} // namespace

const Symbols& builtinRomSymbols()
{
    static const Symbols all = [] {
        Symbols symbols;
        for (std::string_view name : romFileNames)
            addImageSymbols(symbols, name);
        return symbols;
    }();
    return all;
}

Symbols builtinRomSymbols(std::string_view romFileName)
{
    Symbols symbols;
    if (!labelText(romFileName).empty())
        addImageSymbols(symbols, romFileName);
    return symbols;
}

} // namespace ollendor
