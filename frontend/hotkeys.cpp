#include "frontend/hotkeys.h"

#include <cctype>

namespace ollendor {

namespace {

constexpr const char* actionNames[hotkeyCount] = {
    "save-state", "load-state", "rewind", "continue",          "pause",        "step-into",
    "step-over",  "step-out",   "toggle-breakpoint", "fast-forward", "mute", "screenshot",
    "debugger",
};

struct NamedKey {
    const char* name;
    int scancode; // USB usage id
};

// Keys the emulated keyboard does not read, by name.
constexpr NamedKey bindableKeys[] = {
    {"F1", 58},  {"F2", 59},  {"F3", 60},     {"F4", 61},   {"F5", 62},      {"F6", 63},
    {"F7", 64},  {"F8", 65},  {"F9", 66},     {"F10", 67},  {"F11", 68},     {"F12", 69},
    {"Pause", 72}, {"Insert", 73}, {"Home", 74}, {"PageUp", 75}, {"End", 77}, {"PageDown", 78},
};

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

const char* hotkeyName(Hotkey action)
{
    return actionNames[size_t(action)];
}

std::optional<Hotkey> parseHotkeyName(std::string_view name)
{
    for (size_t i = 0; i < hotkeyCount; ++i)
        if (name == actionNames[i])
            return Hotkey(i);
    return std::nullopt;
}

std::string keyBindingName(const KeyBinding& key)
{
    for (const NamedKey& named : bindableKeys)
        if (named.scancode == key.scancode)
            return std::string(key.shift ? "Shift+" : "") + named.name;
    return "?";
}

std::optional<KeyBinding> parseKeyBinding(std::string_view text)
{
    KeyBinding key;
    constexpr std::string_view shiftPrefix = "Shift+";
    if (text.size() > shiftPrefix.size() && sameName(text.substr(0, shiftPrefix.size()), shiftPrefix)) {
        key.shift = true;
        text.remove_prefix(shiftPrefix.size());
    }
    for (const NamedKey& named : bindableKeys)
        if (sameName(text, named.name)) {
            key.scancode = named.scancode;
            return key;
        }
    return std::nullopt;
}

HotkeyMap::HotkeyMap()
{
    auto set = [this](Hotkey action, int scancode, bool shift = false) {
        keys_[size_t(action)] = KeyBinding{scancode, shift};
    };
    set(Hotkey::saveState, 59);       // F2
    set(Hotkey::loadState, 60);       // F3
    set(Hotkey::rewind, 61);          // F4
    set(Hotkey::continueRun, 62);     // F5
    set(Hotkey::pause, 63);           // F6
    set(Hotkey::stepInto, 64);        // F7
    set(Hotkey::stepOver, 65);        // F8
    set(Hotkey::stepOut, 65, true);   // Shift+F8
    set(Hotkey::toggleBreakpoint, 66); // F9
    set(Hotkey::fastForward, 67);     // F10
    set(Hotkey::mute, 68, true);      // Shift+F11 (F11 alone is the full-screen key)
    set(Hotkey::screenshot, 69);      // F12
    set(Hotkey::workspace, 58, true); // Shift+F1
}

bool HotkeyMap::bind(Hotkey action, const KeyBinding& key, std::string& error)
{
    if (key == fullscreenKey) {
        error = "F11 is the full-screen key";
        return false;
    }
    for (size_t i = 0; i < hotkeyCount; ++i)
        if (Hotkey(i) != action && keys_[i] == key) {
            error = keyBindingName(key) + " already does " + actionNames[i];
            return false;
        }
    keys_[size_t(action)] = key;
    return true;
}

std::optional<Hotkey> HotkeyMap::match(const KeyPress& press) const
{
    for (size_t i = 0; i < hotkeyCount; ++i)
        if (keys_[i].scancode == press.scancode && keys_[i].shift == press.shift)
            return Hotkey(i);
    return std::nullopt;
}

bool HotkeyDispatch::handle(const KeyPress& press)
{
    if (press.repeat || (press.captured && press.down))
        return false;
    std::optional<Hotkey> action = map_.match(press);
    if (!press.down && !action) {
        // A held key let go after Shift changed is still that key.
        for (Hotkey heldAction : {Hotkey::rewind, Hotkey::fastForward})
            if (map_.key(heldAction).scancode == press.scancode)
                action = heldAction;
    }
    if (!action)
        return false;
    const bool held = *action == Hotkey::rewind || *action == Hotkey::fastForward;
    if (!press.down && !held)
        return true;
    if (const auto& handler = handlers_[size_t(*action)])
        handler(press.down);
    return true;
}

} // namespace ollendor
