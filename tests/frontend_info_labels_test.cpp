// The information windows' labels are plain text on the window's background: nothing is
// filled behind them (a dark box behind every label read as an error message).
#include <gtest/gtest.h>

#include <set>

#include <imgui.h>

#include "frontend/info_windows.h"
#include "debug/info_text.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {
class StillSource : public InfoSource {
public:
    StillSource() { vdpReset(vdp); }
    InfoSources infoSources() override { return InfoSources{3999000, vdp, ToneSettings{}}; }
    bool speedLimited() override { return true; }
    void setSpeedLimited(bool) override {}
    VdpState vdp;
};
} // namespace

TEST(InfoLabels, OnlyTheBackgroundAndTheTextAreDrawn)
{
    ImGuiContext* context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(420, 330);
    io.DeltaTime = 1.0f / 60;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    ImGui::StyleColorsLight();
    const ImGuiStyle& style = ImGui::GetStyle();
    const std::set<ImU32> allowed = {ImGui::GetColorU32(style.Colors[ImGuiCol_WindowBg]),
                                     ImGui::GetColorU32(style.Colors[ImGuiCol_Border]),
                                     ImGui::GetColorU32(style.Colors[ImGuiCol_BorderShadow]), IM_COL32(0, 0, 0, 255)};

    StillSource source;
    for (InfoWindow kind : {InfoWindow::videoChip, InfoWindow::sound}) {
        ImGui::NewFrame();
        drawInfoWindow(kind, source);
        ImGui::Render();
        const ImDrawData* data = ImGui::GetDrawData();
        size_t textVertices = 0;
        for (int list = 0; list < data->CmdListsCount; ++list)
            for (const ImDrawVert& vertex : data->CmdLists[list]->VtxBuffer) {
                EXPECT_TRUE(allowed.count(vertex.col)) << "a colour other than the background and the text: "
                                                       << std::hex << vertex.col;
                textVertices += vertex.col == IM_COL32(0, 0, 0, 255);
            }
        EXPECT_GT(textVertices, 100u) << "the labels are drawn";
    }
    ImGui::DestroyContext(context);
}
