#include "frontend/info_windows.h"

#include <imgui.h>

namespace ollendor {

namespace {
const ImU32 textBackground = IM_COL32(99, 99, 99, 255); // behind every line of text
const ImU32 textColour = IM_COL32(0, 0, 0, 255);
} // namespace

void drawInfoWindow(InfoWindow kind, InfoSource& source)
{
    InfoLine lines[maxInfoLines];
    const int count = infoWindowLines(kind, source.infoSources(), lines);

    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::Begin("##information", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (int i = 0; i < count; ++i) {
        const ImVec2 at(float(lines[i].x), float(lines[i].y));
        const ImVec2 extent = ImGui::CalcTextSize(lines[i].text);
        draw->AddRectFilled(at, ImVec2(at.x + extent.x, at.y + extent.y), textBackground);
        draw->AddText(at, textColour, lines[i].text);
    }
    if (kind == InfoWindow::timings) {
        ImGui::SetCursorPos(ImVec2(float(checkboxX), float(checkboxY)));
        bool constrained = source.speedLimited();
        if (ImGui::Checkbox(checkboxText, &constrained))
            source.setSpeedLimited(constrained);
    }
    ImGui::End();
    ImGui::PopStyleVar();
}

} // namespace ollendor
