// The Debug menu and its views drawn in a bare ImGui context over a control on the
// built-in ROM: the menu's items do what they say, clicks reach the view under them only
// when no menu is over it, F9 toggles at the selection or at PC, the debugger watches only
// while the call stack or the trace is open, and the open flags go by their names.
#include "tests/debug_views_support.h"

#include "frontend/debugger_part.h"
#include "ui/debugger/widgets.h"
#include "frontend/menu_bar.h"
#include "frontend/window_drawing.h"

#include <imgui_internal.h>

#include <set>
#include <string>

using namespace ollendor;

namespace {

class DebugPartTest : public BareImGui {
protected:
    DebugPartTest() : part(rig.control, keys, &drawing) { drawing.setTextures(&textures); }

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

TEST_F(DebugPartTest, EachTabOfTheVideoChipViewShowsItsOwnContents)
{
    part.views().setOpen(DebugView::videoChip, true);
    frame(drawn());
    frame(drawn());
    EXPECT_EQ(part.videoChip().shown, VdpView::Tab::registers);
    ImGuiWindow* window = ImGui::FindWindowByName("Video chip");
    ASSERT_NE(window, nullptr);
    // The buttons sit one line below the title bar, side by side.
    const float y = window->Pos.y + ImGui::GetFrameHeight() + ImGui::GetStyle().WindowPadding.y + 4;
    const char* titles[] = {"Registers", "Patterns", "Names", "Colours", "Sprites"};
    const VdpView::Tab tabs[] = {VdpView::Tab::registers, VdpView::Tab::patterns, VdpView::Tab::names,
                                 VdpView::Tab::colours, VdpView::Tab::sprites};
    for (int order : {1, 2, 4, 3, 0, 2}) {
        float x = window->Pos.x + ImGui::GetStyle().WindowPadding.x;
        for (int i = 0; i < order; ++i)
            x += ImGui::CalcTextSize(titles[i]).x + ImGui::GetStyle().FramePadding.x * 2 + ImGui::GetStyle().ItemSpacing.x;
        x += 6;
        // Pressed where the pointer arrives, as a touch does (no frame sees it hover first).
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(x, y);
        io.MouseDown[0] = true;
        frame(drawn());
        io.MouseDown[0] = false;
        frame(drawn());
        frame(drawn());
        EXPECT_EQ(part.videoChip().shown, tabs[order]) << titles[order];
    }
}

namespace {

// The child window a view draws its lines in ("Disassembly/##lines_...").
ImGuiWindow* childOf(const char* parent, const char* child)
{
    const std::string prefix = std::string(parent) + "/" + child;
    for (ImGuiWindow* window : GImGui->Windows)
        if (std::string_view(window->Name).substr(0, prefix.size()) == prefix)
            return window;
    return nullptr;
}

} // namespace

TEST_F(DebugPartTest, ClicksInTheListingToggleSelectAndFollowTargets)
{
    Mtx& m = rig.machine();
    // No labels up here: every row is one instruction.
    const uint8_t code[] = {0xCD, 0x00, 0xE9, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (size_t i = 0; i < sizeof code; ++i)
        m.memory.page[0][0xE800 + i] = code[i];
    rig.control.pause();
    part.views().setOpen(DebugView::disassembly, true);
    frame(drawn());
    part.disassembly().top = 0xE800;
    part.disassembly().followPc = false;
    frame(drawn());
    frame(drawn());
    ImGuiWindow* lines = childOf("Disassembly", "##lines");
    ASSERT_NE(lines, nullptr);
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float charWidth = ImGui::CalcTextSize("0").x;
    auto rowY = [&](int row) { return lines->Pos.y + line * float(row) + line / 2; };

    // Row 1 (E803): the address column sets a breakpoint there, the text selects it.
    click(lines->Pos.x + charWidth * 3, rowY(1), drawn());
    ASSERT_EQ(rig.control.debugger().breakpoints.all().size(), 1u);
    EXPECT_EQ(rig.control.debugger().breakpoints.all()[0].first, 0xE803);
    click(lines->Pos.x + charWidth * 20, rowY(2), drawn());
    EXPECT_EQ(part.disassembly().selected, std::optional<uint16_t>(0xE804));
    EXPECT_EQ(rig.control.debugger().breakpoints.all().size(), 1u) << "selecting sets nothing";
    // F9 goes to the selected line, and again removes it.
    EXPECT_TRUE(part.toggleBreakpoint());
    EXPECT_TRUE(rig.control.debugger().breakpoints.watchesExec(0xE804));
    EXPECT_FALSE(part.toggleBreakpoint());
    // The address column again: removed.
    click(lines->Pos.x + charWidth * 3, rowY(1), drawn());
    EXPECT_TRUE(rig.control.debugger().breakpoints.all().empty());

    // A double click on the CALL goes to its target.
    doubleClick(lines->Pos.x + charWidth * 20, rowY(0), drawn());
    frame(drawn());
    EXPECT_EQ(part.disassembly().selected, std::optional<uint16_t>(0xE900));
    EXPECT_LE(part.disassembly().top, 0xE900);
    EXPECT_GT(part.disassembly().top, 0xE800);
}

TEST_F(DebugPartTest, ToggleBreakpointGoesToPcWithoutASelectionOrWithTheListingClosed)
{
    rig.control.pause();
    const uint16_t pc = rig.machine().cpu.PC;
    EXPECT_TRUE(part.toggleBreakpoint());
    EXPECT_TRUE(rig.control.debugger().breakpoints.watchesExec(pc));
    EXPECT_NE(part.context().message.find(hex4(pc)), std::string::npos) << part.context().message;
    part.disassembly().selected = 0x1234; // selected, but the listing is closed
    EXPECT_FALSE(part.toggleBreakpoint());
    EXPECT_FALSE(rig.control.debugger().breakpoints.armed());
    part.views().setOpen(DebugView::disassembly, true);
    EXPECT_TRUE(part.toggleBreakpoint());
    EXPECT_TRUE(rig.control.debugger().breakpoints.watchesExec(0x1234));
}

TEST_F(DebugPartTest, TheKeysDoWhatTheMapSays)
{
    HotkeyDispatch dispatch(keys);
    part.bindKeys(dispatch);
    auto press = [&](Hotkey action) {
        KeyPress key;
        key.scancode = keys.key(action).scancode;
        key.shift = keys.key(action).shift;
        key.down = true;
        EXPECT_TRUE(dispatch.handle(key));
    };
    press(Hotkey::pause);
    EXPECT_TRUE(rig.control.paused());
    EXPECT_EQ(part.runState(), "paused: user");
    const uint64_t stops = rig.control.stops();
    press(Hotkey::stepInto);
    EXPECT_EQ(rig.control.stops(), stops + 1);
    EXPECT_EQ(part.runState(), "paused: step");
    press(Hotkey::toggleBreakpoint);
    EXPECT_TRUE(rig.control.debugger().breakpoints.watchesExec(rig.machine().cpu.PC));
    press(Hotkey::continueRun);
    EXPECT_FALSE(rig.control.paused());
    EXPECT_EQ(part.runState(), "running");
    // The breakpoint under PC is not hit again at once; the ROM comes back to it.
    EXPECT_TRUE(rig.runUntilPaused());
    EXPECT_EQ(rig.control.stop().reason, StopReason::breakpoint);
    press(Hotkey::stepOut);
    EXPECT_TRUE(rig.runUntilPaused());
    EXPECT_EQ(rig.control.stop().reason, StopReason::step);

    // A key typed into a text field of the views is the field's.
    KeyPress typed;
    typed.scancode = keys.key(Hotkey::continueRun).scancode;
    typed.down = true;
    typed.captured = true;
    EXPECT_FALSE(dispatch.handle(typed));
    EXPECT_TRUE(rig.control.paused());
}

TEST_F(DebugPartTest, TheMenuPausesStepsAndGoesBack)
{
    frame(drawn());
    const float debugX = ImGui::CalcTextSize("Stuff").x + 20;
    click(debugX, 8, drawn());
    click(60, itemY(1), drawn()); // Pause
    EXPECT_TRUE(rig.control.paused());
    const uint64_t stops = rig.control.stops();
    click(debugX, 8, drawn());
    click(60, itemY(2), drawn()); // Step into
    EXPECT_EQ(rig.control.stops(), stops + 1);
    // Step back, below the first separator: the machine is where it was before the step.
    const Z80State before = rig.machine().cpu;
    part.stepBack();
    EXPECT_TRUE(part.context().message.empty()) << part.context().message;
    part.stepInto();
    EXPECT_EQ(rig.machine().cpu.PC, before.PC);
    // With no breakpoint, going back to the last one says why it cannot.
    part.backToLastBreakpoint();
    EXPECT_TRUE(part.context().messageIsError);
    EXPECT_NE(part.context().message.find("no breakpoint"), std::string::npos) << part.context().message;
}

TEST_F(DebugPartTest, TheDebuggerWatchesOnlyWhileTheCallStackOrTraceIsOpen)
{
    Debugger& debugger = rig.control.debugger();
    frame(drawn());
    EXPECT_FALSE(debugger.watching || debugger.tracing);
    EXPECT_FALSE(part.wantsRedraw()) << "nothing open, nothing changed";
    for (DebugView view : {DebugView::cpu, DebugView::disassembly, DebugView::memory, DebugView::videoChip}) {
        part.views().setOpen(view, true);
        frame(drawn());
        EXPECT_FALSE(debugger.armed()) << debugViewInfo(view).name;
        EXPECT_TRUE(part.wantsRedraw());
    }
    part.views().setOpen(DebugView::trace, true);
    frame(drawn());
    EXPECT_TRUE(debugger.watching && debugger.tracing);
    rig.control.runFrame();
    EXPECT_GT(debugger.trace().size(), 0u);
    part.views().setOpen(DebugView::callStack, true);
    frame(drawn());
    part.views().setOpen(DebugView::trace, false);
    frame(drawn());
    EXPECT_TRUE(debugger.watching) << "the call stack still needs it";
    part.views().setOpen(DebugView::callStack, false);
    frame(drawn());
    EXPECT_FALSE(debugger.armed());
    // Opened again later: what was kept has a gap, which is run again from the rewind
    // history, so the trace goes on to the instruction that ran last.
    ASSERT_GT(debugger.trace().size(), 0u);
    const uint64_t beforeGap = debugger.trace().at(debugger.trace().size() - 1).cycle;
    rig.control.runFrame();
    part.views().setOpen(DebugView::callStack, true);
    frame(drawn());
    ASSERT_GT(debugger.trace().size(), 0u);
    EXPECT_GT(debugger.trace().at(debugger.trace().size() - 1).cycle, beforeGap + 100000);
}

TEST_F(DebugPartTest, OpenFlagsGoByTheirSettingsNames)
{
    DebugViewFlags& flags = part.views();
    std::set<std::string> names;
    for (size_t i = 0; i < debugViewCount; ++i) {
        const std::string name = debugViewInfo(DebugView(i)).name;
        EXPECT_EQ(name.rfind("debug.", 0), 0u) << name;
        EXPECT_TRUE(names.insert(name).second) << "two views called " << name;
        EXPECT_EQ(flags.get(name), std::optional<bool>(false));
        EXPECT_TRUE(flags.set(name, true));
        EXPECT_TRUE(flags.isOpen(DebugView(i)));
    }
    EXPECT_FALSE(flags.get("debug.nothing").has_value());
    EXPECT_FALSE(flags.set("debug.nothing", true));
    EXPECT_FALSE(flags.set("cpu", true)) << "only the full name";
    // The window's close button closes it by its flag.
    flags = DebugViewFlags{};
    flags.set("debug.cpu", true);
    frame(drawn());
    frame(drawn());
    ImGuiWindow* window = ImGui::FindWindowByName("CPU");
    ASSERT_NE(window, nullptr);
    const ImRect close = ImRect(window->Pos.x + window->Size.x - ImGui::GetFrameHeight(), window->Pos.y,
                                window->Pos.x + window->Size.x, window->Pos.y + ImGui::GetFrameHeight());
    click(close.GetCenter().x, close.GetCenter().y, drawn());
    EXPECT_FALSE(flags.isOpen(DebugView::cpu));
    EXPECT_EQ(flags.get("debug.cpu"), std::optional<bool>(false));

    // The settings file's list of open windows: the open views by name, opened by name at
    // the next start (outside any frame); other parts' names are left to them.
    DebuggerPart next(rig.control, keys, &drawing);
    EXPECT_TRUE(next.openWindowNamed("debug.trace"));
    EXPECT_TRUE(next.openWindowNamed("debug.memory"));
    EXPECT_FALSE(next.openWindowNamed("tapes"));
    std::vector<std::string> open{"tapes"};
    next.listOpenWindows(open);
    EXPECT_EQ(open, (std::vector<std::string>{"tapes", "debug.memory", "debug.trace"}));
}

TEST_F(DebugPartTest, AByteTypedIntoTheMemoryViewIsWrittenAndTheNextOneFollows)
{
    rig.control.pause();
    part.views().setOpen(DebugView::memory, true);
    part.context().showMemory = 0xC000;
    frame(drawn());
    frame(drawn());
    frame(drawn());
    ImGuiWindow* rows = childOf("Memory", "##rows");
    ASSERT_NE(rows, nullptr);
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float charWidth = ImGui::CalcTextSize("0").x;
    // The first row shown is C000; its byte 2 is at column 6 + 3 * 2.
    const float x = rows->Pos.x + ImGui::GetStyle().WindowPadding.x * 0 + charWidth * (6 + 3 * 2) + charWidth;
    click(x, rows->Pos.y + line / 2, drawn());
    frame(drawn());
    ASSERT_EQ(part.memory().editing, std::optional<uint32_t>(0xC002));
    frame(drawn()); // the field takes the keyboard
    type("5A", drawn());
    press(enterKey, drawn());
    EXPECT_EQ(rig.machine().memory.page[0][0xC002], 0x5A);
    EXPECT_EQ(part.memory().editing, std::optional<uint32_t>(0xC003)) << "on to the next byte";
    frame(drawn());
    type("7", drawn());
    press(enterKey, drawn());
    EXPECT_EQ(rig.machine().memory.page[0][0xC003], 0x07);

    // Running, a click edits nothing.
    rig.control.resume();
    frame(drawn());
    EXPECT_FALSE(part.memory().editing.has_value());
    click(x, rows->Pos.y + line / 2, drawn());
    EXPECT_FALSE(part.memory().editing.has_value());
}

TEST_F(DebugPartTest, ARegisterTypedIntoTheCpuViewIsSetOnEnter)
{
    rig.control.pause();
    part.views().setOpen(DebugView::cpu, true);
    frame(drawn());
    frame(drawn());
    ImGuiWindow* window = ImGui::FindWindowByName("CPU");
    ASSERT_NE(window, nullptr);
    // AF is the first field: on the line below "Paused (...)", after its name.
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float y = window->Pos.y + ImGui::GetFrameHeight() + ImGui::GetStyle().WindowPadding.y + line +
                    ImGui::GetFrameHeight() / 2;
    const float x = window->Pos.x + ImGui::GetStyle().WindowPadding.x + ImGui::CalcTextSize("AF ").x +
                    ImGui::GetStyle().ItemSpacing.x + 10;
    click(x, y, drawn());
    // Several frames go by while typing: the value shown is read from the machine every
    // frame, yet what is typed stays until Enter.
    type("12", drawn());
    frame(drawn());
    type("34", drawn());
    frame(drawn());
    EXPECT_NE(rig.machine().cpu.AF(), 0x1234) << "not before Enter";
    press(enterKey, drawn());
    EXPECT_EQ(rig.machine().cpu.AF(), 0x1234);
}

TEST_F(DebugPartTest, OneViewShowsAnAddressInAnother)
{
    part.views().setOpen(DebugView::memory, true);
    frame(drawn());
    part.memory().source = MemorySource{MemorySource::Kind::video, 0};
    part.views().setOpen(DebugView::memory, false);
    part.context().showMemory = 0xC123;
    frame(drawn());
    frame(drawn());
    EXPECT_TRUE(part.views().isOpen(DebugView::memory)) << "opened for it";
    EXPECT_EQ(part.memory().source, MemorySource{}) << "in the CPU's view";
    EXPECT_FALSE(part.context().showMemory.has_value()) << "carried out once";

    part.context().showCode = 0x0AAE;
    frame(drawn());
    EXPECT_TRUE(part.views().isOpen(DebugView::disassembly));
    EXPECT_EQ(part.disassembly().selected, std::optional<uint16_t>(0x0AAE));
    EXPECT_FALSE(part.disassembly().followPc) << "a stop does not take it away from there";
}
