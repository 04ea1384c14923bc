#include "frontend/volume_item.h"

#include <imgui.h>

namespace ollendor {

void VolumeItem::drawMenus()
{
    if (!ImGui::BeginMenu("Sound"))
        return;
    int volume = settings_.volume;
    ImGui::SetNextItemWidth(120);
    if (ImGui::SliderInt("Volume", &volume, 0, 100, "%d%%", ImGuiSliderFlags_AlwaysClamp)) {
        settings_.volume = volume;
        sound_.setVolume(volume);
    }
    ImGui::EndMenu();
}

} // namespace ollendor
