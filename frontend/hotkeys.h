// The program's own keys: host keys the emulated keyboard does not use (the function keys
// and a few others), one key map for everything they do, so no key does two things.
//
//   F2 save state (to the current slot)     F3 load state (from it)
//   F4 (held) rewind                         F5 continue        F6 pause
//   F7 step into     F8 step over     Shift+F8 step out     F9 breakpoint here
//   F10 (held) fast forward           Shift+F11 sound off/on    F12 screenshot
//   Shift+F1 the debugger's workspace shown or hidden
//
// F11 alone toggles full screen (as on the desktop; Alt+f too) and is no action's key.
//
// The map can be changed (the settings file); a key the emulated keyboard reads, F11, or
// one given to two actions, is refused.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/desktop.h"

namespace ollendor {

enum class Hotkey {
    saveState,
    loadState,
    rewind,
    continueRun,
    pause,
    stepInto,
    stepOver,
    stepOut,
    toggleBreakpoint,
    fastForward,
    mute,
    screenshot,
    workspace,
};
inline constexpr size_t hotkeyCount = 13;

// A key with or without Shift: the key's USB usage id (SDL's scancode number).
struct KeyBinding {
    int scancode = 0;
    bool shift = false;
    bool operator==(const KeyBinding&) const = default;
};

// "save-state", "load-state", "rewind", "continue", "pause", "step-into", "step-over",
// "step-out", "toggle-breakpoint", "fast-forward", "mute", "screenshot", "debugger".
const char* hotkeyName(Hotkey action);
std::optional<Hotkey> parseHotkeyName(std::string_view name);

// F11 without Shift: the full-screen key, which no action can have. Settings files written
// when F11 was the mute key (mute = "F11") have the new default read in its place.
inline constexpr KeyBinding fullscreenKey{68, false};

// "F2", "Shift+F8", "Pause", "PageUp": the keys that can be bound are F1-F12, Pause,
// Insert, Home, End, PageUp and PageDown, each with or without Shift.
std::string keyBindingName(const KeyBinding& key);
std::optional<KeyBinding> parseKeyBinding(std::string_view text);

class HotkeyMap {
public:
    HotkeyMap(); // the defaults above
    const KeyBinding& key(Hotkey action) const { return keys_[size_t(action)]; }
    const std::array<KeyBinding, hotkeyCount>& keys() const { return keys_; }
    // Binds an action to a key; false, with the reason, when another action has the key.
    bool bind(Hotkey action, const KeyBinding& key, std::string& error);
    // The action a key press belongs to, if any (Shift must match; other modifiers are
    // ignored, so Ctrl+F5 still continues).
    std::optional<Hotkey> match(const KeyPress& press) const;
    // "F2", "Shift+F8": what the menus show beside an item.
    std::string shortcut(Hotkey action) const { return keyBindingName(key(action)); }

private:
    std::array<KeyBinding, hotkeyCount> keys_;
};

// Calls what each action does when its key goes down (and, for the held actions rewind
// and fast forward, when it goes up). A key the program's text fields have is left alone.
class HotkeyDispatch {
public:
    explicit HotkeyDispatch(const HotkeyMap& map) : map_(map) {}
    void on(Hotkey action, std::function<void(bool down)> handler) { handlers_[size_t(action)] = std::move(handler); }
    // True when the press was one of the program's keys.
    bool handle(const KeyPress& press);

private:
    const HotkeyMap& map_;
    std::array<std::function<void(bool)>, hotkeyCount> handlers_;
};

} // namespace ollendor
