// Bytes as text for the protocol: hex (memory) and base64 (pictures).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ollendor {

// Two upper-case hex digits per byte, in order, no separators.
std::string hexText(std::span<const uint8_t> bytes);
// The bytes of such a text (either case); nothing when its length is odd or a character
// is not a hex digit (`where` then gives the position of the first bad character).
std::optional<std::vector<uint8_t>> bytesFromHex(std::string_view text, size_t* where = nullptr);
// Standard base64 with padding.
std::string base64Text(std::span<const uint8_t> bytes);

} // namespace ollendor
