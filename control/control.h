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
#include <functional>
#include <memory>
#include <vector>
#include <optional>
#include <span>
#include <string>

#include "files/recording_files.h"
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

    struct Result {
        bool ok = true;
        std::string error;
    };

    // --- running ---------------------------------------------------------------------
    bool paused() const { return paused_; }
    // Why the machine stands still (none while it runs).
    const StopInfo& stop() const { return stop_; }
    // Counts every stop; a caller waiting for "the next stop" compares it.
    uint64_t stops() const { return stops_; }
    void pause();
    void resume();
    // Counts the requests that direct the run (pause, resume, the steps, run to, going
    // back): a caller waiting for the stop of its own request sees another take over.
    uint64_t commands() const { return commands_; }
    // Drops what the run was asked to stop at (run to, step over or out, frames): the
    // machine runs on freely. A wait that gave up on its goal leaves nothing armed.
    void dropGoal();

    // One pass of the loop: while running, the machine runs to the end of its frame (over
    // the watching bus when something is armed) and the frame is kept for rewinding; a
    // breakpoint or goal on the way pauses it; an event whose box the host holds the machine
    // for ends the pass where it happened, without pausing. True when a frame was done.
    bool runFrame();

    // --- steps (from a pause) --------------------------------------------------------
    void stepInto(unsigned count = 1);
    // A CALL, RST or block instruction runs to its return; anything else is a step into.
    void stepOver(unsigned count = 1);
    // Runs until the current routine returns. Refused where the call stack is kept and
    // holds no routine: nothing would ever return.
    Result stepOut(unsigned count = 1);
    // Runs until the CPU is about to execute at address; from that address itself, until it
    // comes there again.
    void runTo(uint16_t address);
    void stepFrames(unsigned count);

    // --- back in time ----------------------------------------------------------------
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
    // The frame numbers of the oldest and the newest capture held (none when none is).
    std::optional<uint64_t> oldestCaptureFrame() const;
    std::optional<uint64_t> newestCaptureFrame() const;

    // --- history: the call stack and the trace ------------------------------------------
    // Makes the debugger's call stack and trace tell what the machine did up to where it
    // stands, over the whole span the rewind history holds, whenever they are first asked:
    // where they were not followed all along (never kept, kept with gaps, or the machine
    // went back), that span is run again from the rewind captures over the watching bus.
    // The plain run pays nothing for it. Cheap when they are already up to date.
    Result freshHistory();
    // The frame from which freshHistory's history is known: what ran before it is not in
    // the trace, and routines entered before it are missing from the call stack unless the
    // call stack is followed from the machine's start (Debugger::callStackFromStart).
    uint64_t historyFromFrame() const { return historyFromFrame_; }
    // The call stack starts empty here (a reset, a program started): the top level, and
    // routines entered before are no callers of what runs now.
    void callStackStartsHere();

    // --- the one door: every change to the machine from outside a run -------------------
    // Each change moves the generation on; followers (the sound output, the display, the
    // views) compare it with the one they last followed instead of being called by hand.
    // `jumps` moves on only when the machine itself was put elsewhere or changed (a state,
    // a rewind, a reverse step, a reset, a replay, an edit), not for inputs given to it.
    uint64_t generation() const { return generation_; }
    uint64_t jumps() const { return jumps_; }

    // An edit of the machine (a register, a flag, a byte): the one path for the views and
    // the automation tools. The run before it can no longer be replayed into it, so a
    // recording in progress ends (saying so), a replay stops and the machine goes on live,
    // and the rewind history starts again from the edited machine: stepping back then stops
    // at the edit instead of bringing back a past that never led here. The call stack and
    // the trace stay: they are true of what ran. Runs on the loop's thread, between runs.
    void edit(const std::function<void(Mtx&)>& change);
    // Power-on again with the same ROM set (the tapes mounted, breakpoints and symbols
    // stay); the history starts afresh.
    void reset();
    // Inputs: a tape for every tape request from now on (or none), text to type, keys to hold.
    void mountTape(const std::filesystem::path& file);
    void unmountTape();
    void typeText(const std::string& text);
    void holdKeys(std::vector<uint8_t> keys, unsigned frames);
    // Replays a recording from its start state (Session::startReplay); false with the reason.
    bool startReplay(std::unique_ptr<RecordingStream> recording, const std::string& source, std::string& error);
    // Puts bytes into memory at `address`: into the pages the CPU sees there now, or into
    // `page` (0-15) alone; with `start`, the CPU goes on from there (PC set; a halted CPU
    // leaves its HALT). An edit (see edit): a recording ends, the history starts afresh.
    Result loadBinary(std::span<const uint8_t> bytes, uint16_t address, std::optional<unsigned> page,
                      std::optional<uint16_t> start);

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

private:
    void pauseFor(StopInfo stop);
    void resumeRun();
    void captureFrame();
    // Goes to the machine at `target`, an earlier point of this run held in the rewind
    // buffer's range: the capture at or before it, re-executed to it.
    Result goBack(const MachinePosition& target, const StopInfo& stop);
    // The newest capture index whose position is at or before `position`, or -1.
    long captureAtOrBefore(const MachinePosition& position) const;
    void afterStop();
    void continueStepOver(unsigned count, bool first);
    bool countedStep(bool first);

    void changed(bool jump);
    // What the debugger's history knows at a capture, to rebuild it from there.
    void noteHistoryAtCapture();
    // The run about to go on: what of the history is not followed through it is lost.
    void historyRunsOn();
    void historyLost();
    void checkHistoryClears();

    Session& session_;
    RewindBuffer& rewind_;
    uint64_t generation_ = 0;
    uint64_t jumps_ = 0;
    Debugger debugger_;
    Symbols symbols_;
    // The rewind buffer's captures, oldest first: where each is, and what the debugger's
    // history was there when it was followed up to it.
    struct Capture {
        MachinePosition position;
        uint64_t frame = 0;
        std::optional<CallStackState> callStack;
        std::optional<uint64_t> traced; // instructions the trace had counted
        uint64_t fromFrame = 0;         // where that history was known from
    };
    std::deque<Capture> captures_;
    // The debugger's call stack and trace are true of the run up to now (followed from
    // historySpan_), as long as it has not cleared them since (the counts of clears then).
    bool callStackKnown_ = false;
    bool traceKnown_ = false;
    uint64_t callStackClearsSeen_ = 0;
    uint64_t traceClearsSeen_ = 0;
    uint64_t historyFromFrame_ = 0;
    bool paused_ = false;
    bool keepHistory_ = true;
    StopInfo stop_;
    uint64_t stops_ = 0;
    uint64_t commands_ = 0;
    unsigned framesToRun_ = 0;     // stepFrames: frames still to run before pausing
    unsigned stepsOverLeft_ = 0;   // stepOver with a count: steps still to take after this one
    unsigned stepsOutLeft_ = 0;
};

} // namespace ollendor
