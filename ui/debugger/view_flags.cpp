#include "ui/debugger/view_flags.h"

namespace ollendor {

namespace {
constexpr std::array<DebugViewInfo, debugViewCount> views = {{
    {"debug.cpu", "CPU"},
    {"debug.disassembly", "Disassembly"},
    {"debug.memory", "Memory"},
    {"debug.breakpoints", "Breakpoints"},
    {"debug.call_stack", "Call stack"},
    {"debug.trace", "Trace"},
    {"debug.video_chip", "Video chip"},
    {"debug.counter_timer", "Counter/timer"},
    {"debug.sound_chip", "Sound chip"},
    {"debug.keyboard", "Keyboard"},
    {"debug.tape", "Tape trap"},
    {"debug.symbols", "Symbols"},
}};
} // namespace

const DebugViewInfo& debugViewInfo(DebugView view)
{
    return views[size_t(view)];
}

std::optional<DebugView> debugViewNamed(std::string_view name)
{
    for (size_t i = 0; i < views.size(); ++i)
        if (name == views[i].name)
            return DebugView(i);
    return std::nullopt;
}

std::optional<bool> DebugViewFlags::get(std::string_view name) const
{
    if (const auto view = debugViewNamed(name))
        return isOpen(*view);
    return std::nullopt;
}

bool DebugViewFlags::set(std::string_view name, bool open)
{
    const auto view = debugViewNamed(name);
    if (!view)
        return false;
    setOpen(*view, open);
    return true;
}

} // namespace ollendor
