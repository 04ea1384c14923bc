// The debugger's views and which of them are open. Each view has a settings name
// ("debug.cpu", "debug.disassembly", ...) by which the settings file keeps its open flag
// from one run to the next, and a title shown on its window and in the Debug menu.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ollendor {

enum class DebugView : uint8_t {
    cpu,
    disassembly,
    memory,
    breakpoints,
    callStack,
    trace,
    videoChip,
    counterTimer,
    soundChip,
    keyboard,
    tape,
    symbols,
};
inline constexpr size_t debugViewCount = 12;

struct DebugViewInfo {
    const char* name;  // settings name: "debug.cpu"
    const char* title; // window title and menu item: "CPU"
};
const DebugViewInfo& debugViewInfo(DebugView view);

class DebugViewFlags {
public:
    bool isOpen(DebugView view) const { return open_[size_t(view)]; }
    void setOpen(DebugView view, bool open) { open_[size_t(view)] = open; }
    // ImGui's window close button writes through this.
    bool& flag(DebugView view) { return open_[size_t(view)]; }
    const std::array<bool, debugViewCount>& flags() const { return open_; }

    // By settings name: nothing for a name that is no view's.
    std::optional<bool> get(std::string_view name) const;
    // False (nothing changed) for a name that is no view's.
    bool set(std::string_view name, bool open);

    bool operator==(const DebugViewFlags&) const = default;

private:
    std::array<bool, debugViewCount> open_{};
};

// The view of a settings name.
std::optional<DebugView> debugViewNamed(std::string_view name);

} // namespace ollendor
