#include "ui/debugger/ctc_view.h"

#include <imgui.h>


namespace ollendor {

void drawCtcView(DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Counter/timer", open)) {
        ImGui::End();
        return;
    }
    const auto channels = ctcSummary(context.machine().ctc);
    ImGui::Text("Vector base %02X (ports 8-11 are channels 0-3)", unsigned(context.machine().ctc.vector));
    if (ImGui::BeginTable("##channels", 6, ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingFixedFit | ImGuiTableFlags_BordersInnerV)) {
        for (const char* heading : {"ch", "control", "constant", "counter", "vector", "state"})
            ImGui::TableSetupColumn(heading);
        ImGui::TableHeadersRow();
        for (unsigned c = 0; c < 4; ++c) {
            const CtcChannelSummary& s = channels[c];
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::Text("%u", c);
            ImGui::TableNextColumn();
            ImGui::Text("%02X", unsigned(s.control));
            if (ImGui::IsItemHovered())
                ImGui::SetTooltip("%s", s.controlText.c_str());
            ImGui::TableNextColumn();
            ImGui::Text("%u%s", unsigned(s.timeConstant), s.constantNext ? " (next byte)" : "");
            ImGui::TableNextColumn();
            ImGui::Text("%d (IN %u)", int(s.counter), unsigned(s.count));
            ImGui::TableNextColumn();
            ImGui::Text("%02X%s", unsigned(s.vector), s.interrupts ? "" : " off");
            ImGui::TableNextColumn();
            if (s.running)
                ImGui::Text("runs, every %u slice%s", unsigned(s.periodSlices), s.periodSlices == 1 ? "" : "s");
            else
                ImGui::TextDisabled("stopped");
        }
        ImGui::EndTable();
    }
    ImGui::TextDisabled("Hover a control word for what it says.");
    ImGui::End();
}

} // namespace ollendor
