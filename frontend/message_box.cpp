#include "frontend/message_box.h"

#include <algorithm>

#include <imgui.h>

namespace ollendor {

float messageBoxWrapWidth(const char* text, float windowWidth)
{
    // As wide as the text's longest line, but never wider than the window leaves room for
    // (its padding and the box's on both sides): longer lines wrap inside the box, and a
    // word too long for a line (a path) is cut where the line ends.
    const ImGuiStyle& style = ImGui::GetStyle();
    const float room = windowWidth - 2 * (style.DisplaySafeAreaPadding.x + style.WindowPadding.x +
                                          style.WindowBorderSize + ImGui::GetFontSize());
    const float widest = std::min(room, 40 * ImGui::GetFontSize());
    const float natural = ImGui::CalcTextSize(text).x;
    return std::max(std::min(natural, widest), 8 * ImGui::GetFontSize());
}

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
    // Centred whatever the window's size does meanwhile.
    ImGui::SetNextWindowPos(viewport->GetCenter(), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    if (!ImGui::BeginPopupModal(id.c_str(), nullptr,
                                ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove)) {
        box.shown = box.wanted = false; // ImGui closed it itself
        return;
    }
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + messageBoxWrapWidth(box.text.c_str(), viewport->Size.x));
    ImGui::TextUnformatted(box.text.c_str()); // ImGui skips the \r of \r\n line ends
    ImGui::PopTextWrapPos();
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
