// An address as a person or a client writes it: 0x8000, $8000 or 8000h in hex, plain
// digits in decimal, anything else a symbol with an optional +N or -N (N a number written
// in any of those ways): "clearbuf", "clearbuf+2", "table-$10". Used wherever the tools and
// the breakpoint conditions take an address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ollendor {

class Symbols;

struct AddressText {
    std::optional<uint32_t> value; // when it could be read (not yet checked against a range)
    std::string error;             // why not: "no symbol 'foo'"
};

// Reads `text`; symbols may be null (then only numbers are read). Sums past 16 bits are
// refused rather than wrapped.
AddressText readAddressText(std::string_view text, const Symbols* symbols);

// Whether `text` is a number alone (it needs no symbol table).
bool isNumberText(std::string_view text);

} // namespace ollendor
