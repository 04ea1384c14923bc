// Reading the numbers of symbol files and of what a user types: $1234, 0x1234, #1234,
// 1234h (starting with a digit) and decimal, or bare hex where the caller says so; and
// the white space trimmed around such text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ollendor {

// The value of `text` as one whole number, or nothing when it is not one or exceeds
// 32 bits. With bareHex, digits with no prefix or suffix are hex, else decimal.
std::optional<uint32_t> parseNumber(std::string_view text, bool bareHex = false);

// `text` without the white space at its two ends.
std::string_view trimmed(std::string_view text);

} // namespace ollendor
