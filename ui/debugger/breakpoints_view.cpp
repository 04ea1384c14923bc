#include "ui/debugger/breakpoints_view.h"

#include <vector>

#include <imgui.h>

#include "debug/numbers.h"
#include "ui/debugger/widgets.h"

namespace ollendor {

namespace {
constexpr BreakKind kinds[] = {BreakKind::exec, BreakKind::read,        BreakKind::write,    BreakKind::in,
                               BreakKind::out,  BreakKind::vdpRegister, BreakKind::interrupt};
constexpr const char* kindTitles[] = {"execute",          "read memory",         "write memory", "IN port",
                                      "OUT port",         "video chip register", "interrupt (counter/timer channel)"};
static_assert(std::size(kinds) == std::size(kindTitles));

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}
} // namespace

bool toggleExecBreakpoint(Breakpoints& breakpoints, uint16_t address)
{
    bool removed = false;
    // Ids of the ones to remove first: removing changes the list.
    std::vector<int> ids;
    for (const Breakpoint& breakpoint : breakpoints.all())
        if (breakpoint.kind == BreakKind::exec && breakpoint.first == address)
            ids.push_back(breakpoint.id);
    for (int id : ids)
        removed = breakpoints.remove(id) || removed;
    if (removed)
        return false;
    breakpoints.add(BreakKind::exec, address, address, std::nullopt);
    return true;
}

Breakpoints::Added addFromForm(Breakpoints& breakpoints, const Symbols& symbols, const BreakpointForm& form)
{
    if (form.kind < 0 || size_t(form.kind) >= std::size(kinds))
        return {0, "no such kind of breakpoint"};
    const BreakKind kind = kinds[form.kind];
    uint16_t first = 0, last = 0;
    std::string error;
    if (kind == BreakKind::vdpRegister || kind == BreakKind::interrupt) {
        const auto number = parseNumber(form.first);
        if (!number || *number > 0xFFFF)
            return {0, kind == BreakKind::vdpRegister ? "type a register number, 0-7" : "type a channel number, 0-3"};
        first = uint16_t(*number);
    } else {
        const auto address = resolveAddress(symbols, form.first, error);
        if (!address)
            return {0, error};
        first = *address;
    }
    last = first;
    if ((kind == BreakKind::read || kind == BreakKind::write) && !isBlank(form.last)) {
        const auto address = resolveAddress(symbols, form.last, error);
        if (!address)
            return {0, "range end: " + error};
        last = *address;
    }
    std::optional<Condition> condition;
    if (!isBlank(form.condition)) {
        ConditionParse parsed = parseCondition(form.condition);
        if (!parsed.condition)
            return {0, "condition: " + parsed.error};
        condition = parsed.condition;
    }
    return breakpoints.add(kind, first, last, condition);
}

void drawBreakpointsView(BreakpointsView& view, DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Breakpoints", open)) {
        ImGui::End();
        return;
    }
    Breakpoints& breakpoints = context.control.debugger().breakpoints;

    // The form: kind and where on one line, range end, condition and Add on the next.
    const float spacing = ImGui::GetStyle().ItemSpacing.x;
    const float half = (ImGui::GetContentRegionAvail().x - spacing) / 2;
    ImGui::SetNextItemWidth(half);
    ImGui::Combo("##kind", &view.form.kind, kindTitles, int(std::size(kindTitles)));
    const BreakKind kind = kinds[size_t(view.form.kind) < std::size(kinds) ? view.form.kind : 0];
    const bool range = kind == BreakKind::read || kind == BreakKind::write;
    const char* hint = kind == BreakKind::in || kind == BreakKind::out ? "port (hex or symbol)"
                       : kind == BreakKind::vdpRegister               ? "register 0-7"
                       : kind == BreakKind::interrupt                 ? "channel 0-3"
                       : range                                        ? "from address or symbol"
                                                                      : "address or symbol";
    ImGui::SameLine();
    ImGui::SetNextItemWidth(half);
    bool add = ImGui::InputTextWithHint("##first", hint, view.form.first, sizeof view.form.first,
                                        ImGuiInputTextFlags_EnterReturnsTrue);
    const float addWidth = ImGui::CalcTextSize("Add").x + ImGui::GetStyle().FramePadding.x * 2;
    float rest = ImGui::GetContentRegionAvail().x - addWidth - spacing;
    if (range) {
        ImGui::SetNextItemWidth(rest / 2 - spacing / 2);
        add |= ImGui::InputTextWithHint("##last", "to (optional)", view.form.last, sizeof view.form.last,
                                        ImGuiInputTextFlags_EnterReturnsTrue);
        ImGui::SameLine();
        rest = rest / 2 - spacing / 2;
    }
    ImGui::SetNextItemWidth(rest);
    add |= ImGui::InputTextWithHint("##condition", "condition, e.g. A == $10", view.form.condition,
                                    sizeof view.form.condition, ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    add |= ImGui::Button("Add");
    if (add) {
        const Breakpoints::Added added = addFromForm(breakpoints, context.symbols(), view.form);
        view.error = added.id ? std::string() : added.error;
    }
    if (!view.error.empty()) {
        ImGui::PushTextWrapPos(0);
        colouredText(debugColour::error, view.error);
        ImGui::PopTextWrapPos();
    }
    ImGui::Separator();

    if (breakpoints.all().empty())
        ImGui::TextWrapped("No breakpoints. F9 sets one at the selected line of the disassembly, or at PC.");
    int removeId = 0;
    int toggleId = 0;
    bool toggleTo = false;
    if (ImGui::BeginTable("##list", 4, ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY | ImGuiTableFlags_SizingStretchProp)) {
        ImGui::TableSetupColumn("on", ImGuiTableColumnFlags_WidthFixed, 24);
        ImGui::TableSetupColumn("breakpoint", ImGuiTableColumnFlags_WidthStretch);
        ImGui::TableSetupColumn("hits", ImGuiTableColumnFlags_WidthFixed, 60);
        ImGui::TableSetupColumn("##remove", ImGuiTableColumnFlags_WidthFixed, 56);
        for (const Breakpoint& breakpoint : breakpoints.all()) {
            ImGui::PushID(breakpoint.id);
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            bool enabled = breakpoint.enabled;
            if (ImGui::Checkbox("##enabled", &enabled)) {
                toggleId = breakpoint.id;
                toggleTo = enabled;
            }
            ImGui::TableNextColumn();
            std::string text = std::to_string(breakpoint.id) + ": " + breakpoint.describe();
            if (breakpoint.kind == BreakKind::exec) {
                const std::string name = context.symbols().nearest(breakpoint.first);
                if (!name.empty())
                    text += "  (" + name + ")";
            }
            const bool stoppedHere = context.control.paused() && context.control.stop().reason == StopReason::breakpoint &&
                                     context.control.stop().breakpoint == breakpoint.id;
            if (ImGui::Selectable(text.c_str(), stoppedHere, ImGuiSelectableFlags_AllowDoubleClick) &&
                ImGui::IsMouseDoubleClicked(0) && breakpoint.kind == BreakKind::exec)
                context.showCode = breakpoint.first;
            if (ImGui::IsItemHovered() && breakpoint.kind == BreakKind::exec)
                ImGui::SetTooltip("Double-click to show it in the disassembly");
            ImGui::TableNextColumn();
            ImGui::Text("%llu", static_cast<unsigned long long>(breakpoint.hits));
            ImGui::TableNextColumn();
            if (ImGui::SmallButton("Remove"))
                removeId = breakpoint.id;
            ImGui::PopID();
        }
        ImGui::EndTable();
    }
    // Changed after the list was drawn: the list is not changed under its own loop.
    if (toggleId)
        breakpoints.setEnabled(toggleId, toggleTo);
    if (removeId)
        breakpoints.remove(removeId);
    ImGui::End();
}

} // namespace ollendor
