#include "frontend/message_box.h"

#include <imgui.h>

namespace ollendor {

void drawMessageBox(MessageBoxState& box)
{
    if (!box.wanted && !box.shown)
        return;
    // The caption is the popup's title; "###" keeps any "##" in it from being read as an id.
    const std::string id = box.caption + "###box";
    if (box.wanted && !box.shown) {
        ImGui::OpenPopup(id.c_str());
        box.shown = true;
    }
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(viewport->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    if (!ImGui::BeginPopupModal(id.c_str(), nullptr,
                                ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove)) {
        box.shown = box.wanted = false; // ImGui closed it itself
        return;
    }
    ImGui::TextUnformatted(box.text.c_str()); // ImGui skips the \r of \r\n line ends
    ImGui::Spacing();
    const bool ok = ImGui::Button("OK", ImVec2(80, 0)) ||
                    ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
                    ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false) ||
                    ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false);
    if (ok || !box.wanted) {
        // Closed by OK, or by the desktop: either way the popup goes, so the menu answers again.
        ImGui::CloseCurrentPopup();
        box.shown = box.wanted = false;
    }
    ImGui::EndPopup();
}

} // namespace ollendor
