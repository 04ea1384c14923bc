// Numbers as the debugger shows them: upper-case hex digits, no prefix.
#pragma once

#include <cstdint>
#include <string>

namespace ollendor {

// "0AAE": four digits.
std::string hex4(uint16_t value);
// "0A": two digits.
std::string hex2(uint8_t value);

} // namespace ollendor
