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

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool isValidSymbolName(std::string_view name)
{
    return !name.empty() && isNameStart(name[0]) && std::all_of(name.begin(), name.end(), isNameChar);
}

Symbols::AddResult Symbols::add(std::string_view name, uint16_t address)
{
    if (!isValidSymbolName(name))
        return AddResult::invalidName;
    if (auto found = byName_.find(name); found != byName_.end())
        return found->second == address ? AddResult::duplicate : AddResult::conflict;

    const std::string& entry = byName_.emplace(std::string(name), address).first->first;
    auto& names = byAddress_[address];
    // After every name that ranks before or with it: local-looking names go last.
    const bool local = looksLocal(entry);
    auto position = local ? names.end()
                          : std::find_if(names.begin(), names.end(),
                                         [](const std::string& other) { return looksLocal(other); });
    names.insert(position, entry);
    byFoldedName_.emplace(folded(name), entry);
    return AddResult::added;
}

void Symbols::clear()
{
    byName_.clear();
    byAddress_.clear();
    byFoldedName_.clear();
}

std::optional<uint16_t> Symbols::addressOf(std::string_view name) const
{
    if (auto found = byName_.find(name); found != byName_.end())
        return found->second;
    auto [first, last] = byFoldedName_.equal_range(folded(name));
    if (first == last)
        return std::nullopt;
    const uint16_t address = byName_.find(first->second)->second;
    for (auto it = std::next(first); it != last; ++it)
        if (byName_.find(it->second)->second != address)
            return std::nullopt; // "Loop" and "LOOP" at different places: ambiguous
    return address;
}

std::string_view Symbols::nameAt(uint16_t address) const
{
    auto found = byAddress_.find(address);
    return found == byAddress_.end() ? std::string_view() : std::string_view(found->second.front());
}

std::span<const std::string> Symbols::namesAt(uint16_t address) const
{
    auto found = byAddress_.find(address);
    if (found == byAddress_.end())
        return {};
    return found->second;
}

std::string Symbols::nearest(uint16_t address, uint16_t maxOffset) const
{
    auto above = byAddress_.upper_bound(address);
    if (above == byAddress_.begin())
        return {};
    const auto& [base, names] = *std::prev(above);
    const unsigned offset = address - base;
    if (offset > maxOffset)
        return {};
    std::string text = names.front();
    if (offset != 0) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "+$%X", offset);
        text += suffix;
    }
    return text;
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
