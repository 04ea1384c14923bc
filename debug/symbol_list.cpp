#include "debug/symbol_list.h"

#include <algorithm>
#include <cctype>

namespace ollendor {

std::string symbolLoadReport(const std::filesystem::path& path, const SymbolFileResult& result)
{
    if (!result.ok())
        return result.error;
    std::string report = "added " + std::to_string(result.added) + " symbol" + (result.added == 1 ? "" : "s") +
                         " from " + path.string();
    if (result.added < result.symbolLines)
        report.append(" (").append(std::to_string(result.symbolLines - result.added)).append(" already known or in conflict)");
    if (result.problemCount > 0) {
        report.append("; ").append(std::to_string(result.problemCount)).append(result.problemCount == 1 ? " line" : " lines");
        report.append(" skipped");
        const size_t shown = std::min<size_t>(result.problems.size(), 3);
        for (size_t i = 0; i < shown; ++i)
            report.append("\n").append(result.problems[i].message());
    }
    return report;
}

std::vector<SymbolEntry> filteredSymbols(const Symbols& symbols, std::string_view filter)
{
    std::vector<SymbolEntry> entries;
    const auto folded = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    symbols.forEach([&](uint16_t address, std::string_view name) {
        if (filter.empty() || std::search(name.begin(), name.end(), filter.begin(), filter.end(), folded) != name.end())
            entries.push_back(SymbolEntry{address, std::string(name)});
    });
    return entries;
}

} // namespace ollendor
