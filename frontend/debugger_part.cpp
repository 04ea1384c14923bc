#include "frontend/debugger_part.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>

#include "ui/debugger/call_stack_view.h"
#include "ui/debugger/ctc_view.h"
#include "ui/debugger/keyboard_view.h"
#include "ui/debugger/sound_view.h"
#include "ui/debugger/tape_view.h"
#include "ui/debugger/widgets.h"
#include "frontend/window_drawing.h"

namespace ollendor {

namespace {
constexpr double messageSeconds = 8; // how long the outcome of an action shows
} // namespace

ViewPlace defaultViewPlace(DebugView view)
{
    // The code on the left, the registers beside it, lists at the right, memory and the
    // trace below; the chips' views over the right half, each a little lower than the last
    // so their title bars stay in sight.
    switch (view) {
    case DebugView::disassembly: return {0.00f, 0.00f, 0.44f, 0.62f};
    case DebugView::cpu: return {0.44f, 0.00f, 0.28f, 0.62f};
    case DebugView::breakpoints: return {0.72f, 0.00f, 0.28f, 0.31f};
    case DebugView::callStack: return {0.72f, 0.31f, 0.28f, 0.31f};
    case DebugView::symbols: return {0.72f, 0.04f, 0.28f, 0.58f};
    case DebugView::memory: return {0.00f, 0.62f, 0.58f, 0.38f};
    case DebugView::trace: return {0.58f, 0.62f, 0.42f, 0.38f};
    case DebugView::videoChip: return {0.44f, 0.25f, 0.56f, 0.75f};
    case DebugView::counterTimer: return {0.44f, 0.50f, 0.56f, 0.30f};
    case DebugView::soundChip: return {0.48f, 0.56f, 0.52f, 0.28f};
    case DebugView::keyboard: return {0.46f, 0.36f, 0.54f, 0.52f};
    case DebugView::tape: return {0.52f, 0.64f, 0.48f, 0.36f};
    }
    return {0.1f, 0.1f, 0.5f, 0.5f};
}

DebuggerPart::DebuggerPart(Control& control, const HotkeyMap& keys, const FrontendDrawing* drawing)
    : control_(control), keys_(keys), drawing_(drawing), context_(control)
{
    lastPaused_ = control.paused();
    lastStops_ = control.stops();
}

DebuggerPart::~DebuggerPart()
{
    // The window may have gone first (its textures with it): then nothing is given back.
    pictures_.release(drawing_ ? drawing_->textures() : nullptr);
}

std::string DebuggerPart::runState() const
{
    if (!control_.paused())
        return "running";
    return "paused: " + control_.stop().text();
}

void DebuggerPart::setWorkspaceShown(bool shown)
{
    if (shown == workspaceShown_)
        return;
    workspaceShown_ = shown;
    layoutKey_.clear(); // laid out again when it shows
    changed_ = true;
}

std::optional<PictureArea> DebuggerPart::pictureArea() const
{
    if (!workspaceShown_ || layout_.tiles.empty())
        return std::nullopt;
    const LayoutRect& p = layout_.picture;
    return PictureArea{p.x, p.y, p.width, p.height};
}

void DebuggerPart::listOpenWindows(std::vector<std::string>& names) const
{
    for (size_t view = 0; view < debugViewCount; ++view)
        if (views_.isOpen(DebugView(view)))
            names.emplace_back(debugViewInfo(DebugView(view)).name);
}

bool DebuggerPart::openWindowNamed(const std::string& name)
{
    // At start, outside any frame: the flag only (the view shows from the next frame).
    const std::optional<DebugView> view = debugViewNamed(name);
    if (view)
        views_.setOpen(*view, true);
    return view.has_value();
}

void DebuggerPart::openView(DebugView view)
{
    views_.setOpen(view, true);
    ImGui::SetWindowFocus(debugViewInfo(view).title);
}

void DebuggerPart::updateWatching()
{
    // Only a change is passed on, so what an automation client keeps is left alone.
    const bool wanted = views_.isOpen(DebugView::callStack) || views_.isOpen(DebugView::trace);
    if (wanted == watchingOn_)
        return;
    Debugger& debugger = control_.debugger();
    debugger.keepCallStack(Debugger::Keeper::views, wanted);
    debugger.keepTrace(Debugger::Keeper::views, wanted);
    watchingOn_ = wanted;
}

bool DebuggerPart::wantsRedraw() const
{
    // The views show the machine: drawn again when it moved (or was replaced, or stopped),
    // not while it stands still. What the user does in them is input, which redraws anyway.
    return changed_ || historyPending_ || !context_.message.empty();
}

// --- actions -------------------------------------------------------------------------

void DebuggerPart::continueRun()
{
    control_.resume();
}

void DebuggerPart::pause()
{
    control_.pause();
}

void DebuggerPart::noteStep(const StepStart& start)
{
    // Only a step that ended at once was a single one (a step over a call runs on).
    if (!control_.paused() || control_.stop().reason != StopReason::step)
        return;
    context_.lastStep = stepReport(start, control_.machine());
    context_.lastStepStops = control_.stops();
}

void DebuggerPart::stepInto()
{
    const StepStart start = stepStart(control_.machine());
    control_.stepInto();
    noteStep(start);
}

void DebuggerPart::stepOver()
{
    const StepStart start = stepStart(control_.machine());
    control_.stepOver();
    noteStep(start);
}

void DebuggerPart::stepOut()
{
    control_.stepOut();
}

bool DebuggerPart::toggleBreakpoint()
{
    const uint16_t address = views_.isOpen(DebugView::disassembly) && disassembly_.selected
                                 ? *disassembly_.selected
                                 : control_.machine().cpu.PC;
    const bool set = toggleExecBreakpoint(control_.debugger().breakpoints, address);
    const std::string name = control_.symbols().nearest(address);
    context_.tell(std::string(set ? "breakpoint set at " : "breakpoint removed at ") + hex4(address) +
                      (name.empty() ? "" : " (" + name + ")"),
                  false);
    return set;
}

void DebuggerPart::runToSelection()
{
    if (views_.isOpen(DebugView::disassembly) && disassembly_.selected)
        control_.runTo(*disassembly_.selected);
}

void DebuggerPart::tellResult(const char* action, const Control::Result& result)
{
    if (result.ok)
        context_.tell("", false);
    else
        context_.tell(std::string(action) + ": " + result.error, true);
}

void DebuggerPart::stepBack()
{
    tellResult("Step back", control_.reverseStep(1));
}

void DebuggerPart::backToLastBreakpoint()
{
    tellResult("Back to the last breakpoint", control_.reverseContinue());
}

void DebuggerPart::stepFrame()
{
    control_.stepFrames(1);
}

void DebuggerPart::bindKeys(HotkeyDispatch& dispatch)
{
    dispatch.on(Hotkey::continueRun, [this](bool) { continueRun(); });
    dispatch.on(Hotkey::pause, [this](bool) { pause(); });
    dispatch.on(Hotkey::stepInto, [this](bool) { stepInto(); });
    dispatch.on(Hotkey::stepOver, [this](bool) { stepOver(); });
    dispatch.on(Hotkey::stepOut, [this](bool) { stepOut(); });
    dispatch.on(Hotkey::toggleBreakpoint, [this](bool) { toggleBreakpoint(); });
    dispatch.on(Hotkey::workspace, [this](bool) { toggleWorkspace(); });
}

// --- drawing -------------------------------------------------------------------------

void DebuggerPart::drawMenus()
{
    // The run state at the right end of the bar, so the menus keep their places.
    const std::string state = runState();
    const float stateWidth = ImGui::CalcTextSize(state.c_str()).x;
    const float stateX = ImGui::GetWindowWidth() - stateWidth - ImGui::GetStyle().ItemSpacing.x * 2;
    const float afterMenus = ImGui::GetCursorPosX();
    bool open = ImGui::BeginMenu("Debug");
    if (stateX > afterMenus + 200) {
        const ImVec2 cursor = ImGui::GetCursorPos();
        ImGui::SetCursorPosX(stateX);
        colouredText(control_.paused() ? debugColour::error : debugColour::label, state);
        ImGui::SetCursorPos(cursor);
    }
    if (!open)
        return;
    const bool paused = control_.paused();
    auto shortcut = [this](Hotkey key) { return keys_.shortcut(key); };
    if (ImGui::MenuItem("Continue", shortcut(Hotkey::continueRun).c_str(), false, paused))
        continueRun();
    if (ImGui::MenuItem("Pause", shortcut(Hotkey::pause).c_str(), false, !paused))
        pause();
    if (ImGui::MenuItem("Step into", shortcut(Hotkey::stepInto).c_str()))
        stepInto();
    if (ImGui::MenuItem("Step over", shortcut(Hotkey::stepOver).c_str()))
        stepOver();
    if (ImGui::MenuItem("Step out", shortcut(Hotkey::stepOut).c_str()))
        stepOut();
    if (ImGui::MenuItem("Step frame"))
        stepFrame();
    if (ImGui::MenuItem("Toggle breakpoint", shortcut(Hotkey::toggleBreakpoint).c_str()))
        toggleBreakpoint();
    if (ImGui::MenuItem("Run to the selected line", nullptr, false,
                        views_.isOpen(DebugView::disassembly) && disassembly_.selected.has_value()))
        runToSelection();
    ImGui::Separator();
    if (ImGui::MenuItem("Step back"))
        stepBack();
    if (ImGui::MenuItem("Back to the last breakpoint"))
        backToLastBreakpoint();
    ImGui::Separator();
    if (ImGui::MenuItem("Load symbols...")) {
        openView(DebugView::symbols);
        symbols_.focusPath = true;
    }
    ImGui::Separator();
    for (size_t i = 0; i < debugViewCount; ++i)
        ImGui::MenuItem(debugViewInfo(DebugView(i)).title, nullptr, &views_.flag(DebugView(i)));
    ImGui::Separator();
    if (ImGui::MenuItem("Show the debugger", keys_.shortcut(Hotkey::workspace).c_str(), workspaceShown_))
        toggleWorkspace();
    if (ImGui::MenuItem("Arrange views"))
        arrange_ = true;
    ImGui::EndMenu();
}

void DebuggerPart::layOut()
{
    // Laid out again when the window's size, the bar or the set of open views changes (or
    // on "Arrange views"); between those the user may drag the views about.
    const ImGuiIO& io = ImGui::GetIO();
    const int width = int(io.DisplaySize.x), height = int(io.DisplaySize.y);
    const int top = int(ImGui::GetFrameHeight());
    std::vector<DebugView> open;
    std::vector<int> key{width, height, top};
    for (size_t view = 0; view < debugViewCount; ++view)
        if (views_.isOpen(DebugView(view))) {
            open.push_back(DebugView(view));
            key.push_back(int(view));
        }
    placeNow_ = arrange_ || key != layoutKey_;
    if (!placeNow_)
        return;
    layoutKey_ = key;
    const bool hadTiles = !layout_.tiles.empty();
    // The widgets' size: their font over the default font's 13 pixels.
    layout_ = layoutWorkspace(width, top, height, open, ImGui::GetFontSize() / 13.0);
    if (hadTiles || !layout_.tiles.empty())
        changed_ = true; // the views or the picture move
}

void DebuggerPart::placeNextWindow(DebugView view)
{
    if (!placeNow_)
        return;
    for (const WorkspaceTile& tile : layout_.tiles)
        if (tile.view == view) {
            ImGui::SetNextWindowPos(ImVec2(float(tile.rect.x), float(tile.rect.y)), ImGuiCond_Always);
            ImGui::SetNextWindowSize(ImVec2(float(tile.rect.width), float(tile.rect.height)), ImGuiCond_Always);
            return;
        }
}

void DebuggerPart::keepViewsOffPicture()
{
    // A view dragged over the picture goes beside or below it once it is let go.
    if (ImGui::IsMouseDown(ImGuiMouseButton_Left) || layout_.tiles.empty())
        return;
    for (size_t view = 0; view < debugViewCount; ++view) {
        if (!views_.isOpen(DebugView(view)))
            continue;
        const char* title = debugViewInfo(DebugView(view)).title;
        ImGuiWindow* window = ImGui::FindWindowByName(title);
        if (!window || window->Hidden || window->Collapsed)
            continue;
        const LayoutRect rect{int(window->Pos.x), int(window->Pos.y), int(window->Size.x), int(window->Size.y)};
        const ImVec2 display = ImGui::GetIO().DisplaySize;
        const LayoutRect moved = keepOffPicture(rect, layout_.picture, int(display.x), int(display.y));
        if (!(moved == rect)) {
            ImGui::SetWindowPos(title, ImVec2(float(moved.x), float(moved.y)));
            changed_ = true;
        }
    }
}

void DebuggerPart::carryOutRequests()
{
    if (context_.showCode) {
        views_.setOpen(DebugView::disassembly, true);
        disassembly_.show(control_.machine(), *context_.showCode);
        disassembly_.followPc = false; // the user looks elsewhere now
        context_.showCode.reset();
    }
    if (context_.showMemory)
        views_.setOpen(DebugView::memory, true);
}

void DebuggerPart::drawMessage()
{
    if (context_.messageSerial != shownSerial_) {
        shownSerial_ = context_.messageSerial;
        messageSince_ = ImGui::GetTime();
    }
    if (context_.message.empty())
        return;
    if (ImGui::GetTime() - messageSince_ > messageSeconds) {
        context_.message.clear();
        return;
    }
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(8, io.DisplaySize.y - 8), ImGuiCond_Always, ImVec2(0, 1));
    ImGui::SetNextWindowBgAlpha(0.92f);
    if (ImGui::Begin("##debugger message", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                         ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav)) {
        colouredText(context_.messageIsError ? debugColour::error : debugColour::label, context_.message);
        if (ImGui::IsWindowHovered() && ImGui::IsMouseClicked(0))
            context_.message.clear();
    }
    ImGui::End();
}

void DebuggerPart::drawWindows()
{
    const MachinePosition position = machinePosition(control_.machine());
    const bool anyOpen = workspaceShown_ && std::any_of(views_.flags().begin(), views_.flags().end(), [](bool open) { return open; });
    changed_ = control_.paused() != lastPaused_ || control_.stops() != lastStops_ ||
               (anyOpen && !(position == lastPosition_)) || anyOpen != lastAnyOpen_;
    lastPaused_ = control_.paused();
    lastStops_ = control_.stops();
    lastPosition_ = position;
    lastAnyOpen_ = anyOpen;
    pictures_.use(drawing_ ? drawing_->textures() : nullptr);
    context_.textures = drawing_ && drawing_->textures() ? &pictures_ : nullptr;
    carryOutRequests();
    if (!workspaceShown_) {
        // The views keep their open flags; the debugger keeps watching for them.
        drawMessage();
        updateWatching();
        return;
    }
    layOut();
    // The call stack and the trace show what ran up to now: rebuilt from the rewind
    // history where they were not followed (when just opened, or after going back).
    const bool settled = control_.jumps() == historyJumps_;
    historyJumps_ = control_.jumps();
    historyPending_ = false;
    if (views_.isOpen(DebugView::callStack) || views_.isOpen(DebugView::trace)) {
        updateWatching();
        if (settled)
            control_.freshHistory();
        else
            historyPending_ = true;
    }

    if (views_.isOpen(DebugView::memory))
        context_.changes.notice(control_.session().machine(), control_.paused(), control_.stops());
    else if (context_.changes.active())
        context_.changes.release();

    auto draw = [&](DebugView view, auto&& drawView) {
        if (!views_.isOpen(view))
            return;
        placeNextWindow(view);
        drawView(&views_.flag(view));
    };
    draw(DebugView::disassembly, [&](bool* open) { drawDisassemblyView(disassembly_, context_, open); });
    draw(DebugView::cpu, [&](bool* open) { drawCpuView(cpu_, context_, open); });
    draw(DebugView::memory, [&](bool* open) { drawMemoryView(memory_, context_, open); });
    draw(DebugView::breakpoints, [&](bool* open) { drawBreakpointsView(breakpoints_, context_, open); });
    draw(DebugView::callStack, [&](bool* open) { drawCallStackView(context_, open); });
    draw(DebugView::trace, [&](bool* open) { drawTraceView(trace_, context_, open); });
    draw(DebugView::videoChip, [&](bool* open) { drawVdpView(vdp_, context_, open); });
    draw(DebugView::counterTimer, [&](bool* open) { drawCtcView(context_, open); });
    draw(DebugView::soundChip, [&](bool* open) { drawSoundView(context_, open); });
    draw(DebugView::keyboard, [&](bool* open) { drawKeyboardView(context_, open); });
    draw(DebugView::tape, [&](bool* open) { drawTapeView(context_, open); });
    draw(DebugView::symbols, [&](bool* open) { drawSymbolsView(symbols_, context_, open); });
    arrange_ = false;
    keepViewsOffPicture();
    drawMessage();
    // A view may have asked for another (a double click on a call's target): at once.
    carryOutRequests();
    updateWatching();
}

} // namespace ollendor
