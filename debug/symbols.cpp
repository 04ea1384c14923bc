// The symbol table: lookups by name and by address, and the nearest name below an address.
#include "debug/symbols.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "debug/numbers.h"

namespace ollendor {

namespace {

bool isNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '?' || c == '@';
}

bool isNameChar(char c)
{
    return isNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$';
}

// Local labels of the assemblers start with these; they make poorer names to show.
bool looksLocal(std::string_view name)
{
    return name[0] == '.' || name[0] == '_' || name[0] == '@';
}

std::string folded(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

} // namespace

bool isValidSymbolName(std::string_view name)
{
    return !name.empty() && isNameStart(name[0]) && std::all_of(name.begin(), name.end(), isNameChar);
}

Symbols::AddResult Symbols::add(std::string_view name, uint16_t address, SymbolKind kind)
{
    if (!isValidSymbolName(name))
        return AddResult::invalidName;
    if (auto found = byName_.find(name); found != byName_.end())
        return found->second.address == address ? AddResult::duplicate : AddResult::conflict;

    const std::string& entry = byName_.emplace(std::string(name), Entry{address, kind}).first->first;
    // Labels before values, then names that do not look local; in the order added.
    const Rank rank{int(kind) * 2 + (looksLocal(entry) ? 1 : 0), added_++};
    byAddress_[address].emplace(rank, entry);
    if (kind == SymbolKind::label)
        labelsByAddress_[address].emplace(rank, entry);
    byFoldedName_.emplace(folded(name), entry);
    return AddResult::added;
}

bool Symbols::remove(std::string_view name)
{
    const auto found = byName_.find(name);
    if (found == byName_.end())
        return false;
    const std::string key = found->first;
    const uint16_t address = found->second.address;
    const auto dropFrom = [&](std::map<uint16_t, NameList>& table) {
        const auto at = table.find(address);
        if (at == table.end())
            return;
        for (auto it = at->second.begin(); it != at->second.end(); ++it)
            if (it->second == key) {
                at->second.erase(it);
                break;
            }
        if (at->second.empty())
            table.erase(at);
    };
    dropFrom(byAddress_);
    dropFrom(labelsByAddress_);
    auto [first, last] = byFoldedName_.equal_range(folded(key));
    for (auto it = first; it != last; ++it)
        if (it->second == key) {
            byFoldedName_.erase(it);
            break;
        }
    byName_.erase(found);
    return true;
}

std::optional<SymbolKind> Symbols::kindOf(std::string_view name) const
{
    const auto found = byName_.find(name);
    return found == byName_.end() ? std::nullopt : std::optional<SymbolKind>(found->second.kind);
}

void Symbols::clear()
{
    byName_.clear();
    byAddress_.clear();
    labelsByAddress_.clear();
    byFoldedName_.clear();
    added_ = 0;
}

std::optional<uint16_t> Symbols::addressOf(std::string_view name) const
{
    if (auto found = byName_.find(name); found != byName_.end())
        return found->second.address;
    auto [first, last] = byFoldedName_.equal_range(folded(name));
    if (first == last)
        return std::nullopt;
    const uint16_t address = byName_.find(first->second)->second.address;
    for (auto it = std::next(first); it != last; ++it)
        if (byName_.find(it->second)->second.address != address)
            return std::nullopt; // "Loop" and "LOOP" at different places: ambiguous
    return address;
}

std::string_view Symbols::nameAt(uint16_t address) const
{
    auto found = byAddress_.find(address);
    return found == byAddress_.end() ? std::string_view() : std::string_view(found->second.begin()->second);
}

std::vector<std::string_view> Symbols::namesAt(uint16_t address) const
{
    std::vector<std::string_view> names;
    if (auto found = byAddress_.find(address); found != byAddress_.end())
        for (const auto& [rank, name] : found->second)
            names.emplace_back(name);
    return names;
}

std::string_view Symbols::labelAt(uint16_t address) const
{
    auto found = labelsByAddress_.find(address);
    return found == labelsByAddress_.end() ? std::string_view() : std::string_view(found->second.begin()->second);
}

std::string Symbols::nearestIn(const std::map<uint16_t, NameList>& table, uint16_t address, uint16_t maxOffset) const
{
    auto above = table.upper_bound(address);
    if (above == table.begin())
        return {};
    const auto& [base, names] = *std::prev(above);
    const unsigned offset = address - base;
    if (offset > maxOffset)
        return {};
    std::string text = names.begin()->second;
    if (offset != 0) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "+$%X", offset);
        text += suffix;
    }
    return text;
}

std::string Symbols::nearest(uint16_t address, uint16_t maxOffset) const
{
    // Labels first, so that a constant (a colour of 7) does not name the code at 7; a
    // value names what no label is near, such as a variable in RAM.
    std::string label = nearestIn(labelsByAddress_, address, maxOffset);
    return label.empty() ? nearestIn(byAddress_, address, maxOffset) : label;
}

std::optional<uint16_t> Symbols::resolve(std::string_view text) const
{
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    if (auto address = addressOf(text))
        return address;
    // name+offset or name-offset: the sign after the name's last character.
    const auto sign = text.find_first_of("+-", 1);
    if (sign != std::string_view::npos) {
        const auto base = addressOf(trimmed(text.substr(0, sign)));
        const auto offset = parseNumber(trimmed(text.substr(sign + 1)), true);
        if (!base || !offset || *offset > 0xFFFF)
            return std::nullopt;
        return uint16_t(text[sign] == '+' ? *base + *offset : *base - *offset);
    }
    const auto number = parseNumber(text, true);
    if (!number || *number > 0xFFFF)
        return std::nullopt;
    return uint16_t(*number);
}

} // namespace ollendor
