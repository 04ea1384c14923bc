#include "files/message_text.h"

namespace ollendor {

std::string escapedForMessage(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (c == '\r') {
            shown += "\\r";
        } else {
            shown += "\\x";
            shown += hex[byte >> 4];
            shown += hex[byte & 0x0F];
        }
    }
    return shown;
}

std::string escapedName(std::string_view name)
{
    std::string shown;
    shown.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const std::string_view character = characterAt(name, at);
        const unsigned char lead = static_cast<unsigned char>(character[0]);
        const bool control = character.size() == 1
                                 ? lead < 0x20 || lead >= 0x7F
                                 : lead == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0; // U+0080-U+009F
        shown += control ? escapedForMessage(character) : std::string(character);
        at += character.size();
    }
    return shown;
}

std::string_view characterAt(std::string_view text, std::size_t at)
{
    if (at >= text.size())
        return {};
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (at + length > text.size())
        return text.substr(at, 1);
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return text.substr(at, 1);
    }
    return text.substr(at, length);
}

} // namespace ollendor
