#include "frontend/notices.h"

#include <algorithm>

#include <imgui.h>

namespace ollendor {

void Notices::show(const std::string& text, bool error)
{
    text_ = text;
    error_ = error;
    fresh_ = true;
    opacity_ = 1;
}

void Notices::drawWindows()
{
    if (text_.empty())
        return;
    const double now = ImGui::GetTime();
    if (fresh_) {
        since_ = now;
        fresh_ = false;
    }
    const double shown = now - since_, lasts = error_ ? errorSeconds : seconds;
    if (shown >= lasts) {
        text_.clear();
        return;
    }
    opacity_ = float(std::clamp((lasts - shown) / 0.5, 0.0, 1.0));

    const ImGuiIO& io = ImGui::GetIO();
    float x = 0, y = ImGui::GetFrameHeight(), width = io.DisplaySize.x;
    if (const std::optional<PictureArea> area = picture_ ? picture_->pictureArea() : std::nullopt) {
        x = float(area->x);
        y = float(area->y);
        width = float(area->width);
    }
    ImGui::SetNextWindowPos(ImVec2(x + width / 2, y + 12), ImGuiCond_Always, ImVec2(0.5f, 0));
    ImGui::SetNextWindowBgAlpha(0.85f * opacity_);
    ImGui::PushStyleVar(ImGuiStyleVar_Alpha, opacity_);
    ImGui::PushStyleColor(ImGuiCol_WindowBg, IM_COL32(24, 24, 24, 255));
    ImGui::PushStyleColor(ImGuiCol_Text, error_ ? IM_COL32(255, 120, 110, 255) : IM_COL32(245, 245, 245, 255));
    if (ImGui::Begin("##notice", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                         ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoInputs))
        ImGui::TextUnformatted(text_.c_str());
    ImGui::End();
    ImGui::PopStyleColor(2);
    ImGui::PopStyleVar();
}

} // namespace ollendor
