// Names of the host keys a client can hold down (press_keys): one for every key the
// keyboard matrix answers to, as the desktop maps them from a PC keyboard.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ollendor {

struct KeyName {
    const char* name;   // "A", "7", "Shift", "Enter", "NonUSBackslash", ...
    uint8_t virtualKey; // its Windows virtual-key code (machine/keyboard.h)
};

// Every name, letters and digits first.
std::span<const KeyName> keyNames();
// The key of a name, ignoring case; nothing for an unknown name.
std::optional<uint8_t> keyByName(std::string_view name);
// The name of a key, or nullptr.
const char* nameOfKey(uint8_t virtualKey);
// "A-Z, 0-9, Shift, Ctrl, ..." for descriptions and errors.
std::string keyNameList();

} // namespace ollendor
