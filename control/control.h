// The control API: what the debugger windows, the automation server and the command line
// do to the running emulator, in one place. Pause and continue, step into, over and out,
// run to an address, step frames, step back one instruction exactly, go back to the last
// breakpoint hit, rewind frames; breakpoints and what the machine holds are reached through
// the debugger and the session it exposes.
//
// Everything here runs on the loop's thread, between frames or while the machine is
// paused. The loop calls runFrame once per pass; while paused it does nothing, and steps
// happen when they are asked for. Operations that need the machine to run for a while
// (step over a call, step out, run to, step frames) set a goal and let the loop run until
// it is met, so the window stays alive meanwhile.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "control/session.h"
#include "debug/debugger.h"
#include "debug/symbol_file.h"
#include "debug/symbols.h"
#include "state/rewind.h"

namespace ollendor {

class Control {
public:
    // The session and the rewind buffer must outlive the control.
    Control(Session& session, RewindBuffer& rewind);

    Session& session() { return session_; }
    const Session& session() const { return session_; }
    Debugger& debugger() { return debugger_; }
    const Debugger& debugger() const { return debugger_; }
    Mtx& machine() { return session_.machine(); }

    // --- running ---------------------------------------------------------------------
    bool paused() const { return paused_; }
    // Why the machine stands still (none while it runs).
    const StopInfo& stop() const { return stop_; }
    // Counts every stop; a caller waiting for "the next stop" compares it.
    uint64_t stops() const { return stops_; }
    void pause();
    void resume();

    // One pass of the loop: while running, the machine runs to the end of its frame (over
    // the watching bus when something is armed) and the frame is kept for rewinding; a
    // breakpoint or goal on the way pauses it. True when a frame was done.
    bool runFrame();

    // --- steps (from a pause) --------------------------------------------------------
    void stepInto(unsigned count = 1);
    // A CALL, RST or block instruction runs to its return; anything else is a step into.
    void stepOver(unsigned count = 1);
    // Runs until the current routine returns.
    void stepOut(unsigned count = 1);
    // Runs until the CPU is about to execute at address; from that address itself, until it
    // comes there again.
    void runTo(uint16_t address);
    void stepFrames(unsigned count);

    // --- back in time ----------------------------------------------------------------
    struct Result {
        bool ok = true;
        std::string error;
    };
    // Back `count` instructions, exactly: stepping forward again gives back the machine as
    // it was. Within the frames the rewind buffer holds.
    Result reverseStep(unsigned count = 1);
    // Back to the last point before this one where a breakpoint was hit.
    Result reverseContinue();
    // Back `frames` frame starts (the rewind key, one per presented frame); the machine then
    // goes on live from there, the inputs after it forgotten.
    Result rewindFrames(unsigned frames);
    // Frames the rewind buffer can go back (the newest capture not counted).
    size_t rewindDepth() const;
    const RewindBuffer& rewindBuffer() const { return rewind_; }

    // A state or machine put in place from outside (load state): the history starts afresh.
    void machineReplaced();
    // Whether frames are kept for going back (on by default). A headless run that nothing
    // can ask to go back turns it off: a capture costs some 40 us a frame.
    void keepHistory(bool keep);
    bool keepsHistory() const { return keepHistory_; }

    // --- symbols (the built-in ROM's own when it runs, and label files loaded) ----------
    Symbols& symbols() { return symbols_; }
    const Symbols& symbols() const { return symbols_; }
    SymbolFileResult loadSymbols(const std::filesystem::path& path);

    // --- save states: a file or a slot (1-4) --------------------------------------------
    Result saveState(const std::filesystem::path& path);
    Result loadState(const std::filesystem::path& path);
    Result saveSlot(int slot);
    Result loadSlot(int slot);

    // --- the machine started afresh: powered on with the session's ROMs (as at start,
    // without the typed text); a run paused stays paused --------------------------------
    void reset();

private:
    void pauseFor(StopInfo stop);
    void captureFrame();
    // Goes to the machine at `target`, an earlier point of this run held in the rewind
    // buffer's range: the capture at or before it, re-executed to it.
    Result goBack(const MachinePosition& target, const StopInfo& stop);
    // The newest capture index whose position is at or before `position`, or -1.
    long captureAtOrBefore(const MachinePosition& position) const;
    void afterStop();
    void continueStepOver(unsigned count, bool first);
    bool countedStep(bool first);

    Session& session_;
    RewindBuffer& rewind_;
    Debugger debugger_;
    Symbols symbols_;
    std::deque<MachinePosition> captures_; // positions of the rewind buffer's captures, oldest first
    bool paused_ = false;
    bool keepHistory_ = true;
    StopInfo stop_;
    uint64_t stops_ = 0;
    unsigned framesToRun_ = 0;     // stepFrames: frames still to run before pausing
    unsigned stepsOverLeft_ = 0;   // stepOver with a count: steps still to take after this one
    unsigned stepsOutLeft_ = 0;
};

} // namespace ollendor
