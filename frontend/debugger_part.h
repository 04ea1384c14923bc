// The debugger in the main window: the "Debug" menu (continue, pause, steps, breakpoints,
// going back, symbols, and the views), the keys F5-F9 (as the key map has them), and the
// views drawn as windows inside the main window, each remembering whether it is open.
//
// Everything runs on the loop's thread inside the main window's frames or its key
// handler, between frames of the machine. While paused the loop keeps the window alive,
// so menus, views and edits go on working.
//
// The debugger's watching (the call stack and the trace, which make the machine run over
// the watching bus) is on only while the call stack or the trace view is open: with those
// closed the machine runs as it does without a debugger.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "control/control.h"
#include "ui/debugger/breakpoints_view.h"
#include "ui/debugger/cpu_view.h"
#include "ui/debugger/debug_context.h"
#include "ui/debugger/disassembly_view.h"
#include "ui/debugger/memory_view.h"
#include "ui/debugger/symbols_view.h"
#include "ui/debugger/trace_view.h"
#include "ui/debugger/vdp_view.h"
#include "ui/debugger/view_flags.h"
#include "ui/workspace_layout.h"
#include "frontend/hotkeys.h"
#include "frontend/main_window_parts.h"

namespace ollendor {

class FrontendDrawing;

// Where a view goes at first (and on "Arrange views"), as fractions of the area below the
// menu bar: x, y, width, height.
struct ViewPlace {
    float x, y, width, height;
};
ViewPlace defaultViewPlace(DebugView view);

class DebuggerPart final : public MainWindowPart {
public:
    // drawing (may be null) gives the main window's picture textures while it exists.
    DebuggerPart(Control& control, const HotkeyMap& keys, const FrontendDrawing* drawing = nullptr);
    ~DebuggerPart() override;
    DebuggerPart(const DebuggerPart&) = delete;
    DebuggerPart& operator=(const DebuggerPart&) = delete;

    void drawMenus() override;
    void drawWindows() override;
    bool wantsRedraw() const override;
    // The open views by their settings names ("debug.cpu"), kept from one run to the next.
    void listOpenWindows(std::vector<std::string>& names) const override;
    bool openWindowNamed(const std::string& name) override;

    // What the keys and the menu do.
    void continueRun();
    void pause();
    void stepInto();
    void stepOver();
    void stepOut();
    // At the disassembly's selected line while it is open and has one, else at PC. True
    // when a breakpoint was set (false: one was removed).
    bool toggleBreakpoint();
    void runToSelection();
    void stepBack();
    void backToLastBreakpoint();
    void stepFrame();
    // F5-F9 as the key map binds them.
    void bindKeys(HotkeyDispatch& dispatch);

    // The open flags, by view and by settings name ("debug.cpu").
    DebugViewFlags& views() { return views_; }
    void openView(DebugView view);
    // The debugger watches (call stack, trace) while a view needs it; called every frame.
    void updateWatching();
    // "running", "paused: breakpoint 2": shown at the right end of the menu bar (the
    // menu's own title stays "Debug", so the menus after it never move).
    std::string runState() const;

    // The workspace: the picture in a panel of its own and the open views tiled around it.
    // Hidden, the views are not drawn (they keep their open flags) and the picture has the
    // whole window.
    bool workspaceShown() const { return workspaceShown_; }
    void setWorkspaceShown(bool shown);
    void toggleWorkspace() { setWorkspaceShown(!workspaceShown_); }
    // Where the picture went in the last frame (pixels of the window); none: the whole area.
    std::optional<PictureArea> pictureArea() const override;
    // The layout last applied to the views.
    const WorkspaceLayout& layout() const { return layout_; }

    DebugContext& context() { return context_; }
    DisassemblyView& disassembly() { return disassembly_; }
    VdpView& videoChip() { return vdp_; }
    MemoryView& memory() { return memory_; }
    TraceView& trace() { return trace_; }

private:
    void drawMessage();
    void noteStep(const StepStart& start);
    void carryOutRequests();
    void placeNextWindow(DebugView view);
    void layOut();
    void keepViewsOffPicture();
    void tellResult(const char* action, const Control::Result& result);

    Control& control_;
    const HotkeyMap& keys_;
    const FrontendDrawing* drawing_;
    PictureSlots pictures_; // the video chip view's pictures, in the drawing's textures
    DebugContext context_;
    DebugViewFlags views_;
    bool arrange_ = false;          // "Arrange views": every view to its place at the next frame
    bool workspaceShown_ = true;
    WorkspaceLayout layout_;        // the tiles of the open views and the picture's panel
    std::vector<int> layoutKey_;    // what the layout was made for: a change lays out again
    bool placeNow_ = false;         // this frame puts every view on its tile
    bool watchingOn_ = false;       // as last set on the debugger
    bool lastPaused_ = false;       // state at the last frame: a change asks for a redraw
    uint64_t lastStops_ = 0;
    bool changed_ = false;
    MachinePosition lastPosition_{};   // where the machine was at the last frame of the views
    bool lastAnyOpen_ = false;
    // The history views' rebuild waits while the machine jumps on every pass (the rewind
    // key held): done once it stands, on a redraw asked for meanwhile.
    uint64_t historyJumps_ = 0;
    bool historyPending_ = false;
    double messageSince_ = -1;      // ImGui time the message was first shown
    uint64_t shownSerial_ = 0;      // the message whose time is counted

    CpuView cpu_;
    DisassemblyView disassembly_;
    MemoryView memory_;
    BreakpointsView breakpoints_;
    TraceView trace_;
    VdpView vdp_;
    SymbolsView symbols_;
};

} // namespace ollendor
