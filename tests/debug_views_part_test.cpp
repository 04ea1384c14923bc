// The Debug menu and its views drawn in a bare ImGui context over a control on the
// built-in ROM: the menu's items do what they say, clicks reach the view under them only
// when no menu is over it, F9 toggles at the selection or at PC, the debugger watches only
// while the call stack or the trace is open, and the open flags go by their names.
#include "tests/debug_views_support.h"

#include "frontend/debugger/debugger_part.h"
#include "frontend/menu_bar.h"
#include "frontend/window_drawing.h"

#include <imgui_internal.h>

using namespace ollendor;

namespace {

class DebugPartTest : public BareImGui {
protected:
    DebugPartTest() : part(rig.control, keys, &drawing) { drawing.setPictureTextures(&textures); }

    // The bar with the Debug menu, then the views: as the main window draws them.
    void widgets()
    {
        MainWindowPart* parts[] = {&part};
        bar = drawMenuBar("Stuff", {}, parts);
        part.drawWindows();
    }
    std::function<void()> drawn() { return [this] { widgets(); }; }
    // The y of the menu's item with that text (items one line apart below the bar).
    float itemY(int index) const
    {
        const float line = ImGui::GetTextLineHeightWithSpacing();
        return float(bar.height) + ImGui::GetStyle().WindowPadding.y + line * float(index) + line / 2;
    }

    ControlRig rig;
    HotkeyMap keys;
    FakeTextures textures;
    FrontendDrawing drawing;
    DebuggerPart part;
    MenuBarFrame bar;
};

} // namespace

TEST_F(DebugPartTest, AClickOnAMenuItemDoesNotReachTheViewBelowIt)
{
    part.views().setOpen(DebugView::disassembly, true);
    rig.control.pause();
    frame(drawn());
    frame(drawn());
    const float debugX = ImGui::CalcTextSize("Stuff").x + 20;
    click(debugX, 8, drawn()); // opens the Debug menu
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(80, itemY(5)); // "Step frame", over the disassembly's lines
    frame(drawn());
    io.MouseDown[0] = true;
    frame(drawn());
    io.MouseDown[0] = false;
    frame(drawn());
    rig.runUntilPaused();
    frame(drawn());
    frame(drawn());
    EXPECT_FALSE(part.disassembly().selected.has_value()) << "the click went on to a line below the menu";
}

TEST_F(DebugPartTest, EachTabOfTheVideoChipViewShowsItsOwnContents)
{
    part.views().setOpen(DebugView::videoChip, true);
    frame(drawn());
    frame(drawn());
    EXPECT_EQ(part.videoChip().shown, VdpView::Tab::registers);
    ImGuiWindow* window = ImGui::FindWindowByName("Video chip");
    ASSERT_NE(window, nullptr);
    // The tabs sit one line below the title bar, side by side.
    const float y = window->Pos.y + ImGui::GetFrameHeight() + ImGui::GetStyle().WindowPadding.y + 4;
    const char* titles[] = {"Registers", "Patterns", "Names", "Colours", "Sprites"};
    const VdpView::Tab tabs[] = {VdpView::Tab::registers, VdpView::Tab::patterns, VdpView::Tab::names,
                                 VdpView::Tab::colours, VdpView::Tab::sprites};
    for (int order : {1, 2, 4, 3, 0, 2}) {
        float x = window->Pos.x + ImGui::GetStyle().WindowPadding.x;
        for (int i = 0; i < order; ++i)
            x += ImGui::CalcTextSize(titles[i]).x + ImGui::GetStyle().FramePadding.x * 2 + ImGui::GetStyle().ItemInnerSpacing.x;
        x += 6;
        click(x, y, drawn());
        frame(drawn());
        EXPECT_EQ(part.videoChip().shown, tabs[order]) << titles[order];
    }
}
