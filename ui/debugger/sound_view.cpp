#include "ui/debugger/sound_view.h"

#include <imgui.h>

namespace ollendor {

void drawSoundView(DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Sound chip", open)) {
        ImGui::End();
        return;
    }
    const SoundChip& chip = context.machine().sound;
    const auto channels = toneSummary(chip);
    ImGui::Text("Data bytes go to channel %u", unsigned(chip.latchedChannel));
    if (ImGui::BeginTable("##tones", 4, ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingFixedFit | ImGuiTableFlags_BordersInnerV)) {
        for (const char* heading : {"ch", "period", "volume", "published (last strobe)"})
            ImGui::TableSetupColumn(heading);
        ImGui::TableHeadersRow();
        for (unsigned c = 0; c < 3; ++c) {
            const ToneChannelSummary& s = channels[c];
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::Text("%u%s", c, c == chip.latchedChannel ? " <" : "");
            ImGui::TableNextColumn();
            ImGui::Text("%03X (%u Hz)", unsigned(s.period), unsigned(s.frequency));
            ImGui::TableNextColumn();
            ImGui::Text("%u%s", s.attenuation, s.attenuation == 15 ? " (off)" : "");
            ImGui::TableNextColumn();
            ImGui::Text("%u Hz, amplitude %u", unsigned(s.publishedFrequency), unsigned(s.publishedAmplitude));
        }
        ImGui::EndTable();
    }
    ImGui::TextDisabled("Volume is the attenuation: 0 loudest, 15 silent. The noise channel is not modelled.");
    ImGui::End();
}

} // namespace ollendor
