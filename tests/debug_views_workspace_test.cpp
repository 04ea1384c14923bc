// The debugger's workspace: at the desktop sizes people use, every set of open views is
// tiled beside and below the picture with none over it and none over another; the views
// drawn by the Debug menu's part land on those tiles, follow a resize, are pushed off the
// picture when dragged onto it, and the menu's switch hides and shows them all.
#include "tests/debug_views_support.h"

#include "frontend/debugger_part.h"
#include "frontend/menu_bar.h"
#include "frontend/window_drawing.h"
#include "tests/support/menu_clicks.h"
#include "ui/workspace_layout.h"

#include <imgui_internal.h>

using namespace ollendor;

namespace {

struct Size {
    int width, height;
};
constexpr Size desktopSizes[] = {{960, 619}, {1366, 768}, {1920, 1080}, {700, 450}};

std::vector<DebugView> viewsOf(unsigned mask)
{
    std::vector<DebugView> views;
    for (size_t i = 0; i < debugViewCount; ++i)
        if (mask & (1u << i))
            views.push_back(DebugView(i));
    return views;
}

} // namespace

TEST(WorkspaceLayout, TilesLeaveThePictureFreeAndNeverOverlap)
{
    const int top = 19;
    for (const Size size : desktopSizes) {
        // Every set of open views (4096 of them), at each size.
        for (unsigned mask = 0; mask < (1u << debugViewCount); ++mask) {
            const std::vector<DebugView> open = viewsOf(mask);
            const WorkspaceLayout layout = layoutWorkspace(size.width, top, size.height, open);
            const LayoutRect& picture = layout.picture;
            SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) + " views " +
                         std::to_string(mask));
            // The whole picture at a whole factor, below the bar and inside the window.
            ASSERT_GE(picture.width, 320);
            ASSERT_EQ(picture.width % 320, 0);
            ASSERT_EQ(picture.width / 320 * 200, picture.height);
            ASSERT_GE(picture.y, top);
            ASSERT_LE(picture.right(), size.width);
            ASSERT_LE(picture.bottom(), size.height);
            ASSERT_EQ(layout.tiles.size(), open.size());
            unsigned tiled = 0;
            for (size_t i = 0; i < layout.tiles.size(); ++i) {
                const LayoutRect& tile = layout.tiles[i].rect;
                tiled |= 1u << unsigned(layout.tiles[i].view);
                ASSERT_GE(tile.width, 100);
                ASSERT_GE(tile.height, 60);
                ASSERT_GE(tile.x, 0);
                ASSERT_GE(tile.y, top);
                ASSERT_LE(tile.right(), size.width);
                ASSERT_LE(tile.bottom(), size.height);
                ASSERT_FALSE(tile.overlaps(picture)) << "view " << i;
                // Where the desktop leaves room, no view is cut above its fixed rows.
                if (size.width >= 1366) {
                    ASSERT_GE(tile.height, viewMinimumHeight(layout.tiles[i].view)) << "view " << i;
                }
                for (size_t j = 0; j < i; ++j)
                    ASSERT_FALSE(tile.overlaps(layout.tiles[j].rect)) << "views " << j << " and " << i;
            }
            ASSERT_EQ(tiled, mask) << "each open view has a tile";
        }
    }
}

TEST(WorkspaceLayout, ThePictureGrowsWithTheWindowAndIsCentredWithNoViews)
{
    const DebugView cpu[] = {DebugView::cpu};
    EXPECT_EQ(layoutWorkspace(960, 19, 619, cpu).picture, (LayoutRect{0, 19, 640, 400}));
    EXPECT_EQ(layoutWorkspace(1366, 19, 768, cpu).picture, (LayoutRect{0, 19, 640, 400}));
    EXPECT_EQ(layoutWorkspace(1920, 19, 1080, cpu).picture, (LayoutRect{0, 19, 960, 600}));
    EXPECT_EQ(layoutWorkspace(960, 19, 619, {}).picture, (LayoutRect{0, 19, 960, 600}));
    EXPECT_EQ(layoutWorkspace(1000, 20, 420, {}).picture, (LayoutRect{180, 20, 640, 400}));
}

TEST(WorkspaceLayout, AViewDroppedOnThePictureGoesToTheNearerSide)
{
    const LayoutRect picture{0, 19, 640, 400};
    EXPECT_EQ(keepOffPicture({600, 100, 300, 200}, picture, 1366, 768), (LayoutRect{640, 100, 300, 200}));
    EXPECT_EQ(keepOffPicture({100, 380, 300, 200}, picture, 1366, 768), (LayoutRect{100, 419, 300, 200}));
    EXPECT_EQ(keepOffPicture({700, 100, 300, 200}, picture, 1366, 768), (LayoutRect{700, 100, 300, 200}));
    // Wherever it is dropped, it ends off the picture and no further out of the window
    // than it was.
    for (int x = -50; x < 1000; x += 37)
        for (int y = 0; y < 700; y += 29) {
            const LayoutRect dropped{x, y, 300, 250};
            const LayoutRect moved = keepOffPicture(dropped, picture, 1000, 768);
            EXPECT_FALSE(moved.overlaps(picture)) << x << "," << y;
            EXPECT_LE(moved.right(), std::max(dropped.right(), 1000)) << x << "," << y;
            EXPECT_LE(moved.bottom(), std::max(dropped.bottom(), 768)) << x << "," << y;
            EXPECT_FALSE(moved.empty());
        }
}

namespace {

class WorkspaceTest : public BareImGui {
protected:
    WorkspaceTest() : BareImGui(ImVec2(1366, 768)), part(rig.control, keys, &drawing)
    {
        drawing.setTextures(&textures);
        drawing.addPart(part);
    }

    void widgets() { bar = drawing.drawMenuBar("Stuff", {}); }
    std::function<void()> drawn() { return [this] { widgets(); }; }
    LayoutRect rectOf(DebugView view) const
    {
        ImGuiWindow* window = ImGui::FindWindowByName(debugViewInfo(view).title);
        if (!window || !window->WasActive)
            return {};
        return {int(window->Pos.x), int(window->Pos.y), int(window->Size.x), int(window->Size.y)};
    }
    LayoutRect pictureRect() const
    {
        return {bar.picture.x, bar.picture.y, bar.picture.width, bar.picture.height};
    }
    // Every open view drawn on the screen, off the picture and off each other.
    void expectTiled()
    {
        ASSERT_GT(bar.picture.width, 0);
        std::vector<LayoutRect> seen;
        for (size_t i = 0; i < debugViewCount; ++i) {
            if (!part.views().isOpen(DebugView(i)))
                continue;
            const LayoutRect rect = rectOf(DebugView(i));
            EXPECT_FALSE(rect.empty()) << debugViewInfo(DebugView(i)).title;
            EXPECT_FALSE(rect.overlaps(pictureRect())) << debugViewInfo(DebugView(i)).title;
            EXPECT_LE(rect.right(), int(ImGui::GetIO().DisplaySize.x));
            EXPECT_LE(rect.bottom(), int(ImGui::GetIO().DisplaySize.y));
            for (const LayoutRect& other : seen)
                EXPECT_FALSE(rect.overlaps(other)) << debugViewInfo(DebugView(i)).title;
            seen.push_back(rect);
        }
    }

    ControlRig rig;
    HotkeyMap keys;
    FakeTextures textures;
    FrontendDrawing drawing;
    DebuggerPart part;
    MenuBarFrame bar;
};

} // namespace

TEST_F(WorkspaceTest, TheViewsAreTiledAroundThePictureAndFollowAResize)
{
    for (size_t i = 0; i < debugViewCount; ++i)
        part.views().setOpen(DebugView(i), true);
    for (const Size size : {Size{1366, 768}, Size{1920, 1080}, Size{960, 619}}) {
        ImGui::GetIO().DisplaySize = ImVec2(float(size.width), float(size.height));
        frame(drawn());
        frame(drawn());
        SCOPED_TRACE(std::to_string(size.width));
        expectTiled();
    }
}

TEST_F(WorkspaceTest, AViewDraggedOntoThePictureIsPutBesideIt)
{
    part.views().setOpen(DebugView::cpu, true);
    frame(drawn());
    frame(drawn());
    const LayoutRect before = rectOf(DebugView::cpu);
    ASSERT_FALSE(before.empty());
    // Dragged by its title bar well into the picture, then let go.
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(float(before.x + 30), float(before.y + 5));
    frame(drawn());
    io.MouseDown[0] = true;
    frame(drawn());
    for (int step = 1; step <= 10; ++step) {
        io.MousePos = ImVec2(float(before.x + 30 - 40 * step), float(before.y + 5));
        frame(drawn());
    }
    EXPECT_LT(rectOf(DebugView::cpu).x, before.x) << "the view moves while dragged";
    io.MouseDown[0] = false;
    frame(drawn());
    frame(drawn());
    expectTiled();
    EXPECT_EQ(rectOf(DebugView::cpu).x, before.x) << "back beside the picture";
    // A drag that stays clear of the picture is kept.
    io.MousePos = ImVec2(float(before.x + 30), float(before.y + 5));
    frame(drawn());
    io.MouseDown[0] = true;
    frame(drawn());
    for (int step = 1; step <= 5; ++step) {
        io.MousePos = ImVec2(float(before.x + 30 + 10 * step), float(before.y + 5 + 10 * step));
        frame(drawn());
    }
    io.MouseDown[0] = false;
    frame(drawn());
    frame(drawn());
    EXPECT_EQ(rectOf(DebugView::cpu).x, before.x + 50);
    EXPECT_EQ(rectOf(DebugView::cpu).y, before.y + 50);
}

TEST_F(WorkspaceTest, TheMenuAndShiftF1HideAndShowTheWholeWorkspace)
{
    part.views().setOpen(DebugView::disassembly, true);
    part.views().setOpen(DebugView::memory, true);
    frame(drawn());
    MenuClicks menus([this] { frame(drawn()); });
    ASSERT_TRUE(menus.choose("Debug", "Show the debugger"));
    EXPECT_FALSE(part.workspaceShown());
    frame(drawn());
    EXPECT_EQ(bar.picture.width, 0) << "the picture has the whole window";
    EXPECT_TRUE(rectOf(DebugView::disassembly).empty());
    EXPECT_TRUE(part.views().isOpen(DebugView::disassembly)) << "the views keep their flags";

    HotkeyDispatch dispatch(keys);
    part.bindKeys(dispatch);
    KeyPress key;
    key.scancode = keys.key(Hotkey::workspace).scancode;
    key.shift = true;
    key.down = true;
    EXPECT_EQ(keys.shortcut(Hotkey::workspace), "Shift+F1");
    EXPECT_TRUE(dispatch.handle(key));
    EXPECT_TRUE(part.workspaceShown());
    frame(drawn());
    frame(drawn());
    expectTiled();
}

TEST_F(WorkspaceTest, OpenViewsAskForAFrameOnlyWhenTheMachineMoved)
{
    for (size_t i = 0; i < debugViewCount; ++i)
        part.views().setOpen(DebugView(i), true);
    rig.control.pause();
    frame(drawn());
    frame(drawn());
    frame(drawn());
    EXPECT_FALSE(bar.redraw) << "paused, nothing changes: nothing is drawn again";
    rig.control.stepInto();
    frame(drawn());
    EXPECT_TRUE(bar.redraw) << "a step moves the machine";
    frame(drawn());
    EXPECT_FALSE(bar.redraw);
    rig.control.resume();
    rig.control.runFrame();
    frame(drawn());
    EXPECT_TRUE(bar.redraw) << "running, each frame of the machine shows";
}
