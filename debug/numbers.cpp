// Number parsing for symbol files and typed addresses.
#include "debug/numbers.h"

#include <cctype>

namespace ollendor {

namespace {

std::optional<uint32_t> parseDigits(std::string_view digits, unsigned base)
{
    if (digits.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            return std::nullopt;
        if (digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return uint32_t(value);
}

} // namespace

std::optional<uint32_t> parseNumber(std::string_view text, bool bareHex)
{
    if (text.empty())
        return std::nullopt;
    if (text[0] == '$' || text[0] == '#')
        return parseDigits(text.substr(1), 16);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseDigits(text.substr(2), 16);
    const char last = text.back();
    if ((last == 'h' || last == 'H') && std::isdigit(static_cast<unsigned char>(text[0])))
        return parseDigits(text.substr(0, text.size() - 1), 16);
    return parseDigits(text, bareHex ? 16 : 10);
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

} // namespace ollendor
