#include "automation/key_names.h"

namespace ollendor {

namespace {

constexpr KeyName table[] = {
    {"A", 0x41}, {"B", 0x42}, {"C", 0x43}, {"D", 0x44}, {"E", 0x45}, {"F", 0x46}, {"G", 0x47},
    {"H", 0x48}, {"I", 0x49}, {"J", 0x4A}, {"K", 0x4B}, {"L", 0x4C}, {"M", 0x4D}, {"N", 0x4E},
    {"O", 0x4F}, {"P", 0x50}, {"Q", 0x51}, {"R", 0x52}, {"S", 0x53}, {"T", 0x54}, {"U", 0x55},
    {"V", 0x56}, {"W", 0x57}, {"X", 0x58}, {"Y", 0x59}, {"Z", 0x5A},
    {"0", 0x30}, {"1", 0x31}, {"2", 0x32}, {"3", 0x33}, {"4", 0x34}, {"5", 0x35}, {"6", 0x36},
    {"7", 0x37}, {"8", 0x38}, {"9", 0x39},
    {"Shift", 0x10}, {"Ctrl", 0x11}, {"Enter", 0x0D}, {"Space", 0x20}, {"Backspace", 0x08},
    {"Tab", 0x09}, {"Delete", 0x2E}, {"Up", 0x26}, {"Down", 0x28}, {"Left", 0x25}, {"Right", 0x27},
    {"Comma", 0xBC}, {"Period", 0xBE}, {"Slash", 0xBF}, {"Execute", 0x2B}, {"NonUSBackslash", 0xE2},
    // Other spellings clients use for the same keys.
    {"Return", 0x0D}, {"Control", 0x11}, {"Del", 0x2E},
};

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::span<const KeyName> keyNames()
{
    return table;
}

std::optional<uint8_t> keyByName(std::string_view name)
{
    for (const KeyName& key : keyNames())
        if (equalIgnoringCase(key.name, name))
            return key.virtualKey;
    return std::nullopt;
}

const char* nameOfKey(uint8_t virtualKey)
{
    for (const KeyName& key : keyNames())
        if (key.virtualKey == virtualKey)
            return key.name;
    return nullptr;
}

std::string keyNameList()
{
    return "A-Z, 0-9, Shift, Ctrl, Enter, Space, Backspace, Tab, Delete, Up, Down, Left, Right, "
           "Comma, Period, Slash, Execute, NonUSBackslash (also Return, Control, Del)";
}

} // namespace ollendor
