// A table of symbols: names for 16-bit addresses, for the debugger's views and traces.
//
// A name has one address; an address may have several names (a routine's entry and a
// constant of the same value), of which one is the best to show: a label (a place in the
// program) before a value (a name given to a number with EQU, such as a port or a colour),
// then a name that does not look local (starting with '.', '_' or '@') before one that
// does, and otherwise the one added first. Label files do not tell labels from values, so
// what they hold loads as labels. Names are case-sensitive; a lookup that finds no exact
// match falls back on a case-insensitive one when that is unambiguous.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ollendor {

// Letters, digits and _ . ? @ $, not starting with a digit: what z80asm and pasmo write.
bool isValidSymbolName(std::string_view name);

enum class SymbolKind : uint8_t {
    label, // a place in the program
    value, // a number given a name, which may or may not be an address
};

class Symbols {
public:
    enum class AddResult {
        added,       // new name
        duplicate,   // the name already stood for this address; nothing changed
        conflict,    // the name already stands for another address, which it keeps
        invalidName, // not a valid name; nothing changed
    };

    AddResult add(std::string_view name, uint16_t address, SymbolKind kind = SymbolKind::label);
    // Removes one name (exactly as spelt); false when there is none.
    bool remove(std::string_view name);
    std::optional<SymbolKind> kindOf(std::string_view name) const;
    void clear();
    std::size_t size() const { return byName_.size(); }
    bool empty() const { return byName_.empty(); }

    // The address of a name: the exact name, else the one name equal to it ignoring case.
    std::optional<uint16_t> addressOf(std::string_view name) const;

    // The best name of an address, or an empty view when it has none.
    std::string_view nameAt(uint16_t address) const;

    // The best label of an address (for the label column of a listing), or an empty view.
    std::string_view labelAt(uint16_t address) const;

    // Every name of an address, best first (views into the table, valid until it changes).
    std::vector<std::string_view> namesAt(uint16_t address) const;

    // "name" or "name+$1A" (up to maxOffset bytes past it) for the nearest label at or
    // below the address; with no label that close the nearest value; else "".
    std::string nearest(uint16_t address, uint16_t maxOffset = 0x1000) const;

    // What a user typed to go somewhere: a name, "name+offset" or "name-offset", or a
    // number ($1234, 0x1234, 1234h, or bare hex such as 1234 or C000). A name wins over a
    // bare hex number spelt the same way (a label "add" or "cafe").
    std::optional<uint16_t> resolve(std::string_view text) const;

    // Every symbol in address order (names of one address best first).
    template <class Visit>
    void forEach(Visit visit) const
    {
        for (const auto& [address, names] : byAddress_)
            for (const auto& [rank, name] : names)
                visit(address, std::string_view(name));
    }

private:
    struct Entry {
        uint16_t address;
        SymbolKind kind;
    };
    // The names of one address, best first: ordered by how good a name they make, then by
    // the order they were added. A map rather than a sorted vector, so that any number of
    // names at one address is added in logarithmic time.
    using Rank = std::pair<int, uint64_t>; // (kind and local look, order added)
    using NameList = std::map<Rank, std::string>;
    std::string nearestIn(const std::map<uint16_t, NameList>& table, uint16_t address, uint16_t maxOffset) const;

    std::map<std::string, Entry, std::less<>> byName_;
    std::map<uint16_t, NameList> byAddress_;           // best name first
    std::map<uint16_t, NameList> labelsByAddress_;     // labels only, best first
    uint64_t added_ = 0;                               // names added so far, for their order
    std::multimap<std::string, std::string, std::less<>> byFoldedName_; // lower case -> name
};

} // namespace ollendor
