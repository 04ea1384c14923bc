#include "ui/debugger/call_stack_view.h"

#include <string>

#include <imgui.h>

#include "ui/debugger/widgets.h"

namespace ollendor {

void drawCallStackView(DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Call stack", open)) {
        ImGui::End();
        return;
    }
    const Control& control = context.control;
    const Symbols& symbols = context.symbols();
    const uint16_t pc = control.session().machine().cpu.PC;
    const std::string here = symbols.nearest(pc);
    ImGui::Text("PC %s%s%s", hex4(pc).c_str(), here.empty() ? "" : " in ", here.c_str());
    std::vector<CallFrame> frames = control.debugger().callStack();
    // An interrupt the last step accepted is noted by the debugger only when its handler's
    // first instruction starts: shown from the step until then.
    if (const StepReport* step = context.currentStep(); step && step->interrupt) {
        const CallFrame& taken = *step->interrupt;
        if (frames.empty() || frames.back().target != taken.target || frames.back().sp != taken.sp)
            frames.push_back(taken);
    }
    const std::vector<CallStackLine> lines = callStackLines(frames, symbols);
    if (lines.empty()) {
        // No table to head: its columns would shrink to their titles and run together.
        const std::string empty = control.debugger().callStackFromStart()
                                      ? "In no routine: the top level."
                                      : "In no routine entered since frame " +
                                            std::to_string(control.historyFromFrame()) + ".";
        ImGui::TextDisabled("%s", empty.c_str());
        ImGui::End();
        return;
    }
    if (ImGui::BeginTable("##frames", 4,
                          ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY | ImGuiTableFlags_ScrollX |
                              ImGuiTableFlags_SizingFixedFit)) {
        ImGui::TableSetupScrollFreeze(1, 1);
        for (const char* heading : {"routine", "returns to", "entered by", "from"})
            ImGui::TableSetupColumn(heading);
        ImGui::TableHeadersRow();
        for (size_t i = 0; i < lines.size(); ++i) {
            const CallStackLine& line = lines[i];
            ImGui::PushID(int(i));
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            const std::string routine = hex4(line.target) + (line.targetName.empty() ? "" : " " + line.targetName);
            if (ImGui::Selectable(routine.c_str(), false,
                                  ImGuiSelectableFlags_SpanAllColumns | ImGuiSelectableFlags_AllowDoubleClick) &&
                ImGui::IsMouseDoubleClicked(0))
                context.showCode = line.target;
            if (ImGui::IsItemHovered())
                ImGui::SetTooltip("Double-click to show the routine; SP %s after the push", hex4(line.sp).c_str());
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(hex4(line.returnTo).c_str());
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(line.kind);
            ImGui::TableNextColumn();
            ImGui::Text("%s %s", hex4(line.from).c_str(), line.fromName.c_str());
            ImGui::PopID();
        }
        ImGui::EndTable();
    }
    ImGui::End();
}

} // namespace ollendor
