// One emulated machine with everything around it that is not the platform: its ROM set,
// the tape folder its tape requests are answered from, the keys it is given (the host's
// keyboard, typed text), and the servicing of the events it raises.
//
// The desktop loop, the headless loop and the tests drive a session the same way: set the
// host's keys, run a frame, look at the picture. Everything the machine needs from outside
// goes through SessionHost, so a session never touches the platform itself.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <vector>
#include <functional>
#include <memory>
#include <string>

#include "control/key_typist.h"
#include "machine/machine.h"
#include "machine/rom_set.h"
#include "files/recording_files.h"
#include "state/recording.h"

namespace ollendor {

// What a session hands to its owner while it runs.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    // A message box ("File not found", "Unsupported mode"). The machine stands still while
    // holdsMachine() says so.
    virtual void showMessage(const char* caption, const char* text) = 0;
    // Something shown waits for the user (an open message box): a run stops right after
    // the event that showed it, mid-frame, and the frame goes on once this is false.
    virtual bool holdsMachine() { return false; }
    // A line about the emulated program (an unrecognised instruction), for standard output.
    virtual void diagnosticLine(const char* line) = 0;
    // A line for standard error (a tape image too long, say).
    virtual void warningLine(const char* line) = 0;
    // The tone settings the machine published, to be heard from now on.
    virtual void publishTones(const ToneSettings& tones) = 0;
    // A frame of emulated time has passed.
    virtual void frameElapsed() {}
    // Sound samples the machine made (31,250 a second of emulated time, sound/output.h),
    // in order; handed over after every run that made some.
    virtual void soundSamples(const int16_t* /*samples*/, size_t /*count*/) {}
};

// The host a session has until it is given another: messages and warnings on standard
// error, diagnostics on standard output, the sound dropped.
class PlainSessionHost : public SessionHost {
public:
    void showMessage(const char* caption, const char* text) override;
    void diagnosticLine(const char* line) override;
    void warningLine(const char* line) override;
    void publishTones(const ToneSettings&) override {}
};

// Which host keys are down, by Windows virtual-key code.
using KeyDownQuery = std::function<bool(uint8_t virtualKey)>;

class Debugger;

class Session {
public:
    // A machine at power-on with the ROM set laid out.
    explicit Session(const RomSet& roms);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Mtx& machine() { return *machine_; }
    const Mtx& machine() const { return *machine_; }
    const RomSet& roms() const { return roms_; }
    // Another ROM set (a ROM folder chosen): used from the next reset on.
    void useRoms(const RomSet& roms) { roms_ = roms; }

    // Where events go from now on; the host must outlive its use.
    void setHost(SessionHost& host) { host_ = &host; }

    // Where tape images are looked for ("tapes" at start).
    void setTapeFolder(const std::filesystem::path& folder) { tapeFolder_ = folder; }
    const std::filesystem::path& tapeFolder() const { return tapeFolder_; }
    // A mounted tape answers every tape request, whatever name the program asks for; the
    // folder serves the requests while none is mounted. The file is read at each request,
    // so a file put in place later (or changed) is what the next load gets. Mounting ends
    // the image being read (the next load asks for the new tape); that is an input to the
    // machine, recorded with the others.
    void mountTape(const std::filesystem::path& file);
    void unmountTape() { mountedTape_.reset(); }
    const std::optional<std::filesystem::path>& mountedTape() const { return mountedTape_; }

    // The host's keyboard: queried at each frame boundary (and before the first frame).
    void setHostKeys(KeyDownQuery keys) { hostKeys_ = std::move(keys); }
    // A host key went down (an event, not a state): it counts as held through the next
    // whole frame even if it is let go before that frame starts, so a tap shorter than a
    // frame is still seen by the machine's keyboard scan. Given like any key (recorded,
    // replayed the same).
    void keyTapped(uint8_t virtualKey);
    void setCapsLock(int16_t state) { capsLock_ = state; }
    // Types the text from the current frame on (the --type text at start).
    void typeText(const std::string& text);
    bool typingFinished() const;
    // Holds these host keys (virtual-key codes) down for that many frames from now.
    void holdKeys(std::vector<uint8_t> keys, unsigned frames);

    // The machine's input as the host's keys and the typist give it now; given to the
    // machine (and recorded) when it changed. While inputs are replayed, they come from the
    // replay instead.
    void updateInput();

    // Runs the machine until its next frame is done, servicing every event on the way;
    // with a debugger that is armed, over its watching bus: true when the frame was done,
    // false when the debugger stopped the machine first, or the host holds it (heldByHost).
    bool runFrame(Debugger* debugger = nullptr);
    // The last run stopped within its frame because the host holds the machine (a message
    // box of an event waits for the user); the next runFrame goes on from there.
    bool heldByHost() const { return heldByHost_; }
    // Exactly one instruction (and the slice end after it when one falls due), its events
    // serviced; true when a frame was done on the way.
    bool step(Debugger* debugger = nullptr);
    // Frames run since power-on.
    uint64_t frames() const { return machine_->timing.frames; }

    // Records from now on: the machine as it is, then every input it is given, until
    // stopRecording. False, with the reason, when the file cannot be started.
    // It ends by itself, with a warning, at `limit` bytes (what a replay reads).
    bool startRecording(const std::filesystem::path& path, std::string& error, uint64_t limit = recordingFileLimit);
    bool recording() const { return recorder_ && recorder_->isOpen(); }
    // Ends the recording here and puts the file in place; false, with the reason, when it
    // could not be written. Nothing to do (true) when not recording.
    bool stopRecording(std::string& error);

    // Replays a recording: its start state replaces the machine (refused, with the reason,
    // when unusable: the error names the file) and its inputs are given at their positions.
    bool startReplay(const Recording& recording, const std::string& source, std::string& error);
    // The same, reading the recording's inputs from its file as the replay goes.
    bool startReplay(std::unique_ptr<RecordingStream> stream, const std::string& source, std::string& error);
    bool replaying() const { return replay_.active; }
    // A recording has been replayed to its end (the machine goes on live from there).
    bool replayFinished() const { return replay_.finished; }
    // The run stopped following the recording (a tape request where it holds none, or
    // none where it holds one): the replay was given up there.
    bool replayDiverged() const { return replayDiverged_; }

    // Every input given since the log was last pruned, in order (the debugger re-executes
    // from an earlier capture with them).
    const std::deque<RecordedInput>& inputLog() const { return inputLog_; }
    // Forgets the inputs before a position (older than any capture that is kept).
    void pruneInputLog(const MachinePosition& before);

    // Puts a whole machine in place (a loaded state). A recording in progress cannot
    // follow that jump and ends here (said through the host); the input log starts afresh.
    void replaceMachine(const Mtx& machine);
    // Changes the machine in place (an edit from outside a run). A recording in progress
    // cannot follow it and ends here (said through the host); a replay stops and the machine
    // goes on live; the input log starts afresh.
    void editMachine(const std::function<void(Mtx&)>& edit);
    // Goes back to an earlier machine of this run (a rewind, a reverse step). The inputs
    // given after it are forgotten (rewinding: the machine goes on live from there) or kept
    // to be given again at their positions (keepFuture: stepping forward again repeats the
    // run exactly). A recording in progress ends here.
    void goBackTo(const Mtx& earlier, bool keepFuture);

    // Runs from the machine as it is to `target` without a word to the host (no sound, no
    // boxes), giving the logged inputs on the way: the debugger's search through the past.
    // With a debugger (which must have no goal), over its watching bus, collecting the
    // positions of breakpoint hits instead of stopping. False when the machine could not
    // get there (the target is behind it).
    bool reexecuteTo(const MachinePosition& target, Debugger* debugger = nullptr);
    // The same one instruction at a time, noting the position of every instruction
    // boundary on the way (the start and the target included), for stepping back.
    bool reexecuteSteppingTo(const MachinePosition& target, std::vector<MachinePosition>& boundaries);

private:
    // How the machine is to move: to the end of the frame, or one instruction.
    enum class Advance { frame, step };
    bool advance(Advance how, Debugger* debugger);
    void serviceEvents();
    void answerTapeRequest();
    // Gives the machine an input, logging and recording it.
    void give(const RecordedInput& input);
    void applyTapeAnswer(bool found, std::span<const uint8_t> image, const std::string& message);
    void endRecordingForAJump();
    void abandonReplay();

    struct Replay {
        bool active = false;     // inputs come from the queue
        bool finished = false;   // a recording's end was reached
        std::deque<RecordedInput> inputs; // still to be given, in order
        std::optional<MachinePosition> end; // where a recorded run ended; none: live after the queue
        std::shared_ptr<RecordingStream> rest; // what of a recording file follows the queue
    };
    // Tops up the queue from the recording file when it runs low.
    void refillReplay();
    Replay replayLoggedInputsTo(const MachinePosition& target);

    RomSet roms_;
    PlainSessionHost plainHost_;
    SessionHost* host_ = &plainHost_;
    std::unique_ptr<Mtx> machine_;
    std::filesystem::path tapeFolder_ = "tapes";
    std::optional<std::filesystem::path> mountedTape_;
    KeyDownQuery hostKeys_;
    std::vector<uint8_t> tapped_;         // keys gone down since the last input was taken
    std::vector<uint8_t> latched_;        // keys held through the frame that starts now
    uint64_t latchedFrame_ = 0;           // that frame
    std::vector<uint8_t> heldKeys_;  // holdKeys: down until heldUntil_
    uint64_t heldUntil_ = 0;         // the machine's frame at which they are let go
    int16_t capsLock_ = 0;
    KeyTypist typist_;
    std::unique_ptr<RecordingWriter> recorder_;
    Replay replay_;
    std::deque<RecordedInput> inputLog_;
    bool quiet_ = false; // re-executing: no word to the host, nothing logged
    bool heldByHost_ = false; // the last run stopped for the host's box
    bool replayDiverged_ = false;
};

} // namespace ollendor
