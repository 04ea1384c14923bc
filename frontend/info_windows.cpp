#include "frontend/info_windows.h"

#include <imgui.h>

namespace ollendor {

namespace {
// Plain text on the window's own background (a box behind each label read as an error).
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
        draw->AddText(ImVec2(float(lines[i].x), float(lines[i].y)), textColour, lines[i].text);
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
