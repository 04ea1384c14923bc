// The front end's widgets in a bare Dear ImGui context (no window, no SDL): the menu bar
// gives the item clicked, the message box closes on OK's keys and when the desktop closes
// it, and the Timings window's checkbox sets the speed limit.
#include <gtest/gtest.h>

#include <functional>

#include <imgui.h>
#include <imgui_internal.h>

#include "frontend/info_windows.h"
#include "frontend/menu_bar.h"
#include "frontend/message_box.h"
#include "debug/info_text.h"
#include "tests/support/bare_imgui.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

// The widgets at the window size the program starts with.
class FrontendWidgets : public BareImGui {
protected:
    FrontendWidgets() : BareImGui(ImVec2(960, 619)) {}
};

const MenuEntry items[] = {{"Sound", 3}, {"Video chip", 2}, {"Timings", 1}, {"Quit", 5}};

TEST_F(FrontendWidgets, MenuBarGivesTheClickedItemOnceAndItsHeight)
{
    MenuBarFrame last;
    std::vector<int> chosen;
    auto bar = [&] {
        last = drawMenuBar("Stuff", items);
        if (last.chosen)
            chosen.push_back(last.chosen->command);
    };
    frame(bar);
    EXPECT_GT(last.height, 10); // the font's height and the bar's padding
    EXPECT_LT(last.height, 40);
    EXPECT_TRUE(chosen.empty());

    // Open the menu by its title, then click each item in turn below the bar (every item
    // is one line of text high).
    const float line = ImGui::GetTextLineHeightWithSpacing();
    for (int k = 0; k < 4; ++k) {
        click(20, 8, bar);
        const float y = float(last.height) + ImGui::GetStyle().WindowPadding.y + line * k + line / 2;
        click(40, y, bar);
        click(500, 300, bar); // elsewhere: the menu was closed by the choice, nothing more
    }
    EXPECT_EQ(chosen, (std::vector<int>{3, 2, 1, 5}));
}

TEST_F(FrontendWidgets, MessageBoxOpensAndClosesOnEnterKeypadEnterOrEscape)
{
    for (int key : {enterKey, keypadEnterKey, escapeKey}) {
        SCOPED_TRACE(key);
        MessageBoxState box;
        box.caption = "Unsupported mode";
        box.text = "Mode not supported: 2";
        box.wanted = true;
        bool popupOpen = false;
        auto widgets = [&] {
            drawMessageBox(box);
            popupOpen = ImGui::IsPopupOpen("###box");
        };
        frame(widgets);
        frame(widgets);
        EXPECT_TRUE(box.wanted);
        EXPECT_TRUE(box.shown);
        EXPECT_TRUE(popupOpen);
        press(key, widgets);
        EXPECT_FALSE(box.wanted);
        EXPECT_FALSE(box.shown);
        EXPECT_FALSE(popupOpen);
    }
}

TEST_F(FrontendWidgets, MessageBoxIgnoresOtherKeysAndGoesWhenTheDesktopClosesIt)
{
    // A caption with "##" in it is shown whole: it is not taken for an id.
    MessageBoxState box{"File not found##1", "The file ##x could not be opened.", true, false};
    bool popupOpen = false;
    auto widgets = [&] {
        drawMessageBox(box);
        popupOpen = ImGui::IsPopupOpen("###box");
    };
    frame(widgets);
    press(4, widgets); // a key that is not OK's
    EXPECT_TRUE(box.wanted && box.shown);
    EXPECT_TRUE(popupOpen);

    box.wanted = false; // a quit request arrived
    frame(widgets);
    EXPECT_FALSE(box.shown);
    EXPECT_FALSE(popupOpen);

    // A box neither wanted nor shown issues nothing; the next one opens again.
    box = MessageBoxState{"About Ollendor...", "Ollendor - Release 1", true, false};
    frame(widgets);
    EXPECT_TRUE(box.shown);
    EXPECT_TRUE(popupOpen);
}

// A window 700 pixels wide: a message longer than the window is wide (a long path, a
// sentence) wraps inside the box, which stays inside the window, and no word is cut off
// at the box's edge. The box's contents are checked against the box as ImGui laid it out.
class NarrowWidgets : public BareImGui {
protected:
    NarrowWidgets() : BareImGui(ImVec2(700, 440)) {}
};

TEST_F(NarrowWidgets, MessageBoxTextWrapsInsideTheBoxAndTheWindow)
{
    const std::string path = "/home/somebody/" + std::string(120, 'd') + "/NOSUCH.MTX";
    for (const std::string& text :
         {"The tape image " + path + " could not be opened: No such file or directory.",
          std::string("Mode not supported: 2"), std::string(400, 'x')}) {
        SCOPED_TRACE(text.size());
        MessageBoxState box{"File not found", text, true, false};
        ImGuiWindow* shown = nullptr;
        auto widgets = [&] {
            drawMessageBox(box);
            shown = ImGui::FindWindowByName("File not found###box");
        };
        for (int i = 0; i < 3; ++i)
            frame(widgets);
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(box.shown);
        const float padding = ImGui::GetStyle().WindowPadding.x;
        EXPECT_GE(shown->Pos.x, 0);
        EXPECT_LE(shown->Pos.x + shown->Size.x, 700);
        // Everything drawn inside the box fits between its paddings.
        EXPECT_LE(shown->ContentSize.x, shown->Size.x - 2 * padding + 1)
            << "contents " << shown->ContentSize.x << " wide in a box " << shown->Size.x << " wide";
        const float wrap = messageBoxWrapWidth(text.c_str(), 700);
        const ImVec2 laidOut = ImGui::CalcTextSize(text.c_str(), nullptr, false, wrap);
        EXPECT_LE(laidOut.x, shown->Size.x - 2 * padding + 1);
        if (text.size() < 30)
            EXPECT_FLOAT_EQ(laidOut.y, ImGui::GetTextLineHeight()) << "a short message is one line";
        else
            EXPECT_GT(laidOut.y, ImGui::GetTextLineHeight()) << "a long message is wrapped";
    }
}

class SettingSource : public InfoSource {
public:
    SettingSource() { vdpReset(vdp); }
    InfoSources infoSources() override
    {
        ++reads;
        return InfoSources{4000000, vdp, ToneSettings{}};
    }
    bool speedLimited() override { return limited; }
    void setSpeedLimited(bool value) override
    {
        limited = value;
        ++changes;
    }

    VdpState vdp;
    bool limited = true;
    int reads = 0;
    int changes = 0;
};

TEST_F(FrontendWidgets, TimingsCheckboxSwitchesTheSpeedLimitBothWays)
{
    SettingSource source;
    auto timings = [&] { drawInfoWindow(InfoWindow::timings, source); };
    ImGui::GetIO().DisplaySize = ImVec2(float(infoWindowSizes[0].width), float(infoWindowSizes[0].height));
    const float x = float(checkboxX) + 5, y = float(checkboxY) + 5; // inside the box
    click(x, y, timings);
    EXPECT_FALSE(source.limited);
    click(x, y, timings);
    EXPECT_TRUE(source.limited);
    EXPECT_EQ(source.changes, 2);
    EXPECT_EQ(source.reads, 6); // every frame shows the source as it is then

    // A setting changed elsewhere shows at the next frame: a click then turns it back on.
    source.limited = false;
    click(x, y, timings);
    EXPECT_TRUE(source.limited);
}

TEST_F(FrontendWidgets, OnlyTheTimingsWindowHasTheCheckbox)
{
    for (InfoWindow kind : {InfoWindow::videoChip, InfoWindow::sound}) {
        SettingSource source;
        click(float(checkboxX) + 5, float(checkboxY) + 5, [&] { drawInfoWindow(kind, source); });
        EXPECT_EQ(source.changes, 0);
        EXPECT_TRUE(source.limited);
        EXPECT_EQ(source.reads, 3);
    }
}

} // namespace
