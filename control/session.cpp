#include "files/recording_files.h"
#include "control/session.h"

#include <algorithm>
#include <cstdio>

#include "files/message_text.h"
#include "files/tape_files.h"
#include "state/state_file.h"
#include "debug/debugger.h"

namespace ollendor {

void PlainSessionHost::showMessage(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

void PlainSessionHost::diagnosticLine(const char* line)
{
    std::printf("%s\n", line);
}

void PlainSessionHost::warningLine(const char* line)
{
    std::fprintf(stderr, "%s\n", line);
}

Session::Session(const RomSet& roms) : roms_(roms), machine_(std::make_unique<Mtx>())
{
    machinePowerOn(*machine_);
    machineInit(*machine_, roms_);
}

void Session::mountTape(const std::filesystem::path& file)
{
    mountedTape_ = file;
    // While a recording is replayed, its own mounts are what the machine is given.
    if (replay_.active)
        return;
    RecordedInput input;
    input.kind = RecordedInput::Kind::mount;
    input.position = machinePosition(*machine_);
    give(input);
}

void Session::typeText(const std::string& text)
{
    typist_ = KeyTypist(text, frames());
}

void Session::holdKeys(std::vector<uint8_t> keys, unsigned frames)
{
    heldKeys_ = std::move(keys);
    heldUntil_ = this->frames() + frames;
}

bool Session::typingFinished() const
{
    return typist_.finished(frames());
}

void Session::keyTapped(uint8_t virtualKey)
{
    if (std::find(tapped_.begin(), tapped_.end(), virtualKey) == tapped_.end())
        tapped_.push_back(virtualKey);
}

void Session::updateInput()
{
    if (replay_.active || quiet_) {
        tapped_.clear();
        return;
    }
    const uint64_t frame = frames();
    // Keys tapped since the last frame are held through this one; those of an earlier
    // frame have been seen and go (unless still down).
    if (!tapped_.empty()) {
        latched_ = std::move(tapped_);
        tapped_.clear();
        latchedFrame_ = frame;
    } else if (frame != latchedFrame_) {
        latched_.clear();
    }
    const bool latching = !latched_.empty() && frame == latchedFrame_;
    RecordedInput input;
    input.kind = RecordedInput::Kind::keyboard;
    const bool holding = frame < heldUntil_;
    input.keyboard = keyboardInputFrom(
        [&](uint8_t key) {
            return (hostKeys_ && hostKeys_(key)) || typist_.keyDown(key, frame) ||
                   (holding && std::find(heldKeys_.begin(), heldKeys_.end(), key) != heldKeys_.end()) ||
                   (latching && std::find(latched_.begin(), latched_.end(), key) != latched_.end());
        },
        capsLock_);
    if (input.keyboard == machine_->keyboard.input)
        return;
    input.position = machinePosition(*machine_);
    give(input);
}

void Session::give(const RecordedInput& input)
{
    if (input.kind == RecordedInput::Kind::keyboard)
        machine_->keyboard.input = input.keyboard;
    else if (input.kind == RecordedInput::Kind::mount)
        tapeEject(*machine_);
    if (quiet_)
        return;
    inputLog_.push_back(input);
    if (recorder_ && recorder_->isOpen()) {
        recorder_->add(input);
        if (recorder_->reachedLimit()) {
            const std::string text =
                recorder_->error().empty()
                    ? "ollendor: the recording reached the largest size a replay reads (" +
                          (recorder_->limit() >= (1u << 20) ? std::to_string(recorder_->limit() >> 20) + " MiB"
                                                            : std::to_string(recorder_->limit()) + " bytes") +
                          "); it ends here and the rest is not recorded"
                    : "ollendor: " + recorder_->error();
            host_->warningLine(text.c_str());
        }
    }
}

bool Session::runFrame(Debugger* debugger)
{
    updateInput();
    return advance(Advance::frame, debugger);
}

bool Session::step(Debugger* debugger)
{
    return advance(Advance::step, debugger);
}

bool Session::advance(Advance how, Debugger* debugger)
{
    Mtx& m = *machine_;
    const bool watched = debugger && (debugger->armed() || how == Advance::step);
    heldByHost_ = false;
    if (debugger)
        debugger->setStop(StopInfo{});
    for (;;) {
        // Replayed keyboard inputs whose position has come are given now; the run goes no
        // further than the next one (or a recording's end).
        std::optional<MachinePosition> target;
        while (replay_.active) {
            refillReplay();
            if (!replay_.inputs.empty()) {
                const RecordedInput& next = replay_.inputs.front();
                const bool due = !(machinePosition(m) < next.position);
                if (next.kind != RecordedInput::Kind::tape && due) {
                    give(next);
                    replay_.inputs.pop_front();
                    continue;
                }
                if (due) {
                    // A tape answer is given when the machine asks for a tape, at the very
                    // position it was recorded at; reaching that position without the
                    // request means the run no longer follows the recording.
                    abandonReplay();
                    continue;
                }
                target = next.position;
            } else if (replay_.end) {
                if (!(machinePosition(m) < *replay_.end)) {
                    replay_.active = false;
                    replay_.finished = true;
                    if (quiet_)
                        return false; // a re-execution ends exactly at its target
                    continue;
                }
                target = replay_.end;
            } else {
                replay_.active = false; // the inputs kept after a step back are all given: live
            }
            break;
        }

        if (how == Advance::step) {
            if (debugger)
                debugStep(m, *debugger);
            else
                machineStep(m);
        } else if (target) {
            if (watched)
                debugRunTo(m, *debugger, *target);
            else
                machineRunTo(m, *target);
        } else if (watched) {
            debugRun(m, *debugger);
        } else {
            machineRun(m);
        }

        const bool frameDone = m.events.has(MachineEvent::frameDone);
        const bool raised = m.events.raised != 0;
        serviceEvents();
        // A recording replayed to its end is finished at once (not a frame later): a
        // headless run ends right there.
        if (replay_.active)
            refillReplay();
        if (replay_.active && replay_.end && replay_.inputs.empty() && !(machinePosition(m) < *replay_.end)) {
            replay_.active = false;
            replay_.finished = true;
            if (quiet_)
                return false;
        }
        if (how == Advance::step || frameDone)
            return frameDone;
        if (raised && !quiet_ && host_->holdsMachine()) {
            // An event showed a box (a tape not found): the machine waits right here.
            heldByHost_ = true;
            return false;
        }
        if (!raised && watched && debugger->stop().reason != StopReason::none)
            return false; // a breakpoint or a goal stopped the machine
    }
}

// Sets up a quiet replay of the logged inputs from where the machine stands to target;
// gives back the replay it replaces, to be put back when the re-execution ends.
Session::Replay Session::replayLoggedInputsTo(const MachinePosition& target)
{
    const MachinePosition from = machinePosition(*machine_);
    Replay saved = std::move(replay_);
    replay_ = Replay{};
    replay_.active = true;
    for (const RecordedInput& input : inputLog_)
        if (!(input.position < from) && !(target < input.position))
            replay_.inputs.push_back(input);
    replay_.end = target;
    quiet_ = true;
    return saved;
}

bool Session::reexecuteTo(const MachinePosition& target, Debugger* debugger)
{
    if (target < machinePosition(*machine_))
        return false;
    // The inputs to give on the way: those logged from here to the target.
    Replay saved = replayLoggedInputsTo(target);
    const bool collecting = debugger && debugger->collecting;
    if (debugger)
        debugger->collecting = true; // hits are noted, the machine never stops for them
    while (replay_.active)
        advance(Advance::frame, debugger);
    if (debugger)
        debugger->collecting = collecting;
    quiet_ = false;
    replay_ = std::move(saved);
    return machinePosition(*machine_) == target;
}

bool Session::reexecuteSteppingTo(const MachinePosition& target, std::vector<MachinePosition>& boundaries)
{
    boundaries.clear();
    MachinePosition at = machinePosition(*machine_);
    if (target < at)
        return false;
    Replay saved = replayLoggedInputsTo(target);
    boundaries.push_back(at);
    while (at < target) {
        advance(Advance::step, nullptr);
        // Inputs due at the new position are given before the next instruction.
        while (!replay_.inputs.empty() && replay_.inputs.front().kind != RecordedInput::Kind::tape &&
               !(machinePosition(*machine_) < replay_.inputs.front().position)) {
            give(replay_.inputs.front());
            replay_.inputs.pop_front();
        }
        const MachinePosition next = machinePosition(*machine_);
        if (!(at < next))
            break; // cannot happen: every step moves the machine on
        at = next;
        boundaries.push_back(at);
    }
    quiet_ = false;
    replay_ = std::move(saved);
    return at == target;
}

void Session::pruneInputLog(const MachinePosition& before)
{
    while (!inputLog_.empty() && inputLog_.front().position < before)
        inputLog_.pop_front();
}

bool Session::startRecording(const std::filesystem::path& path, std::string& error, uint64_t limit)
{
    // Its start state would be refused when the recording is replayed.
    if (const std::string why = unsavableState(*machine_); !why.empty()) {
        error = "cannot record to '" + escapedName(path.string()) + "': " + why;
        return false;
    }
    recorder_ = std::make_unique<RecordingWriter>(limit);
    if (!recorder_->open(path, encodeState(*machine_))) {
        error = recorder_->error();
        recorder_.reset();
        return false;
    }
    return true;
}

bool Session::stopRecording(std::string& error)
{
    if (!recorder_ || !recorder_->isOpen())
        return true;
    const bool ok = recorder_->finish(machinePosition(*machine_));
    if (!ok)
        error = recorder_->error();
    recorder_.reset();
    return ok;
}

void Session::refillReplay()
{
    // A few inputs at a time: a long recording is never all in memory.
    constexpr size_t lowWater = 64, batch = 1024;
    if (!replay_.rest || replay_.inputs.size() >= lowWater)
        return;
    RecordedInput input;
    for (size_t i = 0; i < batch && replay_.rest->next(input); ++i)
        replay_.inputs.push_back(std::move(input));
    if (replay_.rest->failed()) {
        replay_.rest.reset();
        if (!quiet_)
            host_->warningLine("ollendor: the recording changed while it was replayed; the rest of it is not read");
        abandonReplay();
    } else if (replay_.inputs.size() < lowWater && replay_.rest->given() == replay_.rest->inputCount()) {
        replay_.rest.reset();
    }
}

bool Session::startReplay(std::unique_ptr<RecordingStream> stream, const std::string& source, std::string& error)
{
    Recording head;
    head.startState = stream->startState();
    head.end = stream->end();
    if (const auto& first = stream->firstPosition()) {
        RecordedInput firstInput;
        firstInput.position = *first;
        head.inputs.push_back(firstInput); // only its position is looked at
    }
    if (!startReplay(head, source, error))
        return false;
    replay_.inputs.clear();
    replay_.rest = std::move(stream);
    refillReplay();
    return true;
}

bool Session::startReplay(const Recording& recording, const std::string& source, std::string& error)
{
    auto start = std::make_unique<Mtx>();
    const StateResult loaded = decodeState(recording.startState, *machine_, *start);
    if (!loaded.ok) {
        error = "cannot replay the recording '" + source + "': its start state is unusable: " + loaded.error;
        return false;
    }
    // Inputs are in order and none after the end (checked when read); none may come before
    // the point the start state stands at, where the replay begins.
    const MachinePosition begin = machinePosition(*start);
    if (recording.end < begin || (!recording.inputs.empty() && recording.inputs.front().position < begin)) {
        error = "cannot replay the recording '" + source + "': it holds inputs before its start state";
        return false;
    }
    *machine_ = *start;
    discardSamples(machine_->soundOutput);
    inputLog_.clear();
    replay_ = Replay{};
    replay_.active = true;
    replay_.inputs.assign(recording.inputs.begin(), recording.inputs.end());
    replay_.end = recording.end;
    return true;
}

void Session::abandonReplay()
{
    if (!quiet_)
        host_->warningLine("ollendor: the replay no longer follows the recording; the machine goes on live from here");
    replay_ = Replay{};
    replay_.finished = true;
    replayDiverged_ = true;
}

void Session::endRecordingForAJump()
{
    if (!recorder_ || !recorder_->isOpen())
        return;
    std::string error;
    stopRecording(error);
    host_->warningLine(error.empty() ? "ollendor: the recording ends here: the machine jumped to another point"
                                     : ("ollendor: " + error).c_str());
}

void Session::editMachine(const std::function<void(Mtx&)>& edit)
{
    if (recorder_ && recorder_->isOpen()) {
        std::string error;
        stopRecording(error);
        host_->warningLine(error.empty() ? "ollendor: the recording ends here: the machine was edited"
                                         : ("ollendor: " + error).c_str());
    }
    edit(*machine_);
    inputLog_.clear();
    replay_ = Replay{};
}

void Session::replaceMachine(const Mtx& machine)
{
    endRecordingForAJump();
    *machine_ = machine;
    discardSamples(machine_->soundOutput);
    inputLog_.clear();
    replay_ = Replay{};
}

void Session::goBackTo(const Mtx& earlier, bool keepFuture)
{
    endRecordingForAJump();
    *machine_ = earlier;
    discardSamples(machine_->soundOutput);
    const MachinePosition at = machinePosition(earlier);
    std::deque<RecordedInput> future;
    while (!inputLog_.empty() && !(inputLog_.back().position < at)) {
        future.push_front(std::move(inputLog_.back()));
        inputLog_.pop_back();
    }
    // What was still to be replayed comes after what is now in the future again.
    if (replay_.active)
        future.insert(future.end(), replay_.inputs.begin(), replay_.inputs.end());
    const std::optional<MachinePosition> end = replay_.active ? replay_.end : std::nullopt;
    std::shared_ptr<RecordingStream> rest = replay_.active ? replay_.rest : nullptr;
    replay_ = Replay{};
    if (keepFuture && (!future.empty() || end)) {
        replay_.active = true;
        replay_.inputs = std::move(future);
        replay_.end = end;
        replay_.rest = std::move(rest);
    }
}

void Session::serviceEvents()
{
    const MachineEvents events = takeEvents(*machine_);
    if (machine_->soundOutput.waiting != 0) {
        // The samples made in this run: for the host (a re-execution's are not heard).
        int16_t samples[soundOutputCapacity];
        const size_t count = takeSamples(*machine_, samples, soundOutputCapacity);
        if (!quiet_)
            host_->soundSamples(samples, count);
    }
    if (quiet_) {
        // Nothing for the host; a tape request is answered from the log.
        if (events.has(MachineEvent::tapeRequest))
            answerTapeRequest();
        return;
    }
    if (events.has(MachineEvent::soundChanged))
        host_->publishTones(machine_->sound.published);
    if (events.has(MachineEvent::diagnostic))
        host_->diagnosticLine(events.diagnosticLine);
    if (events.has(MachineEvent::tapeRequest))
        answerTapeRequest();
    if (events.has(MachineEvent::frameDone))
        host_->frameElapsed();
    if (events.has(MachineEvent::unsupportedMode)) {
        char text[32];
        describeUnsupportedMode(text, sizeof text, events.unsupportedMode);
        host_->showMessage("Unsupported mode", text);
    }
}

void Session::answerTapeRequest()
{
    if (replay_.active)
        refillReplay();
    if (replay_.active) {
        // The replay holds the answer given at this very point.
        if (!replay_.inputs.empty() && replay_.inputs.front().kind == RecordedInput::Kind::tape &&
            replay_.inputs.front().position == machinePosition(*machine_)) {
            const RecordedInput answer = std::move(replay_.inputs.front());
            replay_.inputs.pop_front();
            const TapeLookup lookup =
                answer.tapeFound || quiet_ ? TapeLookup{} : findTapeImage(tapeFolder_, machine_->tape.requestName);
            applyTapeAnswer(answer.tapeFound, answer.tape, lookup.message);
            return;
        }
        if (!quiet_)
            abandonReplay();
        applyTapeAnswer(false, {}, "");
        return;
    }
    const TapeLookup lookup = mountedTape_ ? readTapeFile(*mountedTape_)
                                           : findTapeImage(tapeFolder_, machine_->tape.requestName);
    if (lookup.found && !lookup.warning.empty())
        host_->warningLine(lookup.warning.c_str());
    applyTapeAnswer(lookup.found, lookup.image, lookup.message);
}

void Session::applyTapeAnswer(bool found, std::span<const uint8_t> image, const std::string& message)
{
    RecordedInput input;
    input.kind = RecordedInput::Kind::tape;
    input.position = machinePosition(*machine_);
    input.tapeFound = found;
    if (found)
        input.tape.assign(image.begin(), image.end());
    give(input);
    if (found) {
        tapeInsert(*machine_, image);
        return;
    }
    if (tapeMissing(*machine_) && !message.empty() && !quiet_)
        host_->showMessage("File not found", message.c_str());
}

} // namespace ollendor
