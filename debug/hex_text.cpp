#include "debug/hex_text.h"

#include <cstdio>

namespace ollendor {

std::string hex4(uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", unsigned(value));
    return text;
}

std::string hex2(uint8_t value)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02X", unsigned(value));
    return text;
}

} // namespace ollendor
