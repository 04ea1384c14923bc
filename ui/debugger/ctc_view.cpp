#include "ui/debugger/ctc_view.h"

#include <imgui.h>

#include "machine/hook.h"

namespace ollendor {

std::array<CtcChannelSummary, 4> ctcSummary(const CtcState& ctc)
{
    std::array<CtcChannelSummary, 4> channels{};
    for (unsigned c = 0; c < 4; ++c) {
        const CtcChannel& ch = ctc.channel[c];
        CtcChannelSummary& s = channels[c];
        s.control = ch.control;
        s.interrupts = (ch.control & ctcInterruptEnable) != 0;
        s.controlText = std::string(s.interrupts ? "interrupts on" : "interrupts off") +
                        ((ch.control & ctcPrescaler256) ? ", prescaler 256" : ", prescaler 16") +
                        ((ch.control & ctcStopped) ? ", stops on a new constant" : "");
        s.timeConstant = ch.timeConstant;
        s.counter = ch.counter;
        s.count = ch.count;
        s.running = ch.running;
        s.constantNext = ch.timeConstantNext;
        s.vector = uint16_t(ctc.vector | c * 2);
        // The hook ticks it once a slice; it runs out at most once per tick.
        const uint32_t cycles = uint32_t(ch.timeConstant) << ((ch.control & ctcPrescaler256) ? 8 : 4);
        s.periodSlices = cycles <= uint32_t(mtxCyclesPerHook) ? 1 : (cycles + mtxCyclesPerHook - 1) / mtxCyclesPerHook;
    }
    return channels;
}

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
