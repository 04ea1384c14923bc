#include "ui/debugger/sound_view.h"

#include <imgui.h>

namespace ollendor {

std::array<ToneChannelSummary, 3> toneSummary(const SoundChip& chip)
{
    std::array<ToneChannelSummary, 3> channels{};
    for (unsigned c = 0; c < 3; ++c) {
        ToneChannelSummary& s = channels[c];
        s.period = chip.tonePeriod[c];
        s.frequency = s.period ? 4000000u / (s.period * 32u) : 0;
        s.volume = chip.volume[c];
        s.attenuation = 15;
        for (unsigned level = 0; level < 16; ++level)
            if (volumeTable[level] == s.volume) {
                s.attenuation = level;
                break;
            }
        s.publishedFrequency = chip.published.frequency[c];
        s.publishedAmplitude = chip.published.amplitude[c];
    }
    return channels;
}

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
