#include "debug/address_text.h"

#include "debug/numbers.h"
#include "debug/symbols.h"

namespace ollendor {

namespace {

std::string quoted(std::string_view text)
{
    std::string out = "'";
    out.append(text);
    out += '\'';
    return out;
}

} // namespace

bool isNumberText(std::string_view text)
{
    return parseNumber(trimmed(text)).has_value();
}

AddressText readAddressText(std::string_view text, const Symbols* symbols)
{
    text = trimmed(text);
    if (text.empty())
        return {std::nullopt, "an address is empty"};
    if (const std::optional<uint32_t> number = parseNumber(text))
        return {number, {}};
    // name, name+N, name-N: the sign after the name (a name holds no + or -).
    const size_t sign = text.find_first_of("+-");
    const std::string_view name = trimmed(text.substr(0, sign));
    int64_t offset = 0;
    if (sign != std::string_view::npos) {
        const std::string_view digits = trimmed(text.substr(sign + 1));
        const std::optional<uint32_t> n = parseNumber(digits);
        if (!n)
            return {std::nullopt, quoted(digits) + " after the sign is not a number"};
        offset = text[sign] == '-' ? -int64_t(*n) : int64_t(*n);
    }
    if (name.empty() || !isValidSymbolName(name))
        return {std::nullopt, quoted(text) + " is neither a number (0x8000, $8000, 8000h, 32768) nor a symbol"};
    const std::optional<uint16_t> base = symbols ? symbols->addressOf(name) : std::nullopt;
    if (!base)
        return {std::nullopt, "no symbol " + quoted(name)};
    const int64_t sum = int64_t(*base) + offset;
    if (sum < 0 || sum > 0xFFFF)
        return {std::nullopt, quoted(text) + " falls outside 0-65535"};
    return {uint32_t(sum), {}};
}

} // namespace ollendor
