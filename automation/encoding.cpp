#include "automation/encoding.h"

namespace ollendor {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string hexText(std::span<const uint8_t> bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text(bytes.size() * 2, '0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        text[2 * i] = digits[bytes[i] >> 4];
        text[2 * i + 1] = digits[bytes[i] & 15];
    }
    return text;
}

std::optional<std::vector<uint8_t>> bytesFromHex(std::string_view text, size_t* where)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (hexValue(text[i]) < 0) {
            if (where)
                *where = i;
            return std::nullopt;
        }
    }
    if (text.size() % 2 != 0) {
        if (where)
            *where = text.size();
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(text.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(hexValue(text[2 * i]) << 4 | hexValue(text[2 * i + 1]));
    return bytes;
}

std::string base64Text(std::span<const uint8_t> bytes)
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        text += alphabet[group >> 18 & 63];
        text += alphabet[group >> 12 & 63];
        text += alphabet[group >> 6 & 63];
        text += alphabet[group & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (rest == 2)
            group |= uint32_t(bytes[i + 1]) << 8;
        text += alphabet[group >> 18 & 63];
        text += alphabet[group >> 12 & 63];
        text += rest == 2 ? alphabet[group >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}

} // namespace ollendor
