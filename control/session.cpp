#include "control/session.h"

#include <cstdio>

#include "machine/tape_files.h"
#include "state/state_file.h"

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

void Session::typeText(const std::string& text)
{
    typist_ = KeyTypist(text, frames());
}

bool Session::typingFinished() const
{
    return typist_.finished(frames());
}

void Session::updateInput()
{
    if (replay_.active)
        return;
    const uint64_t frame = frames();
    RecordedInput input;
    input.kind = RecordedInput::Kind::keyboard;
    input.keyboard = keyboardInputFrom(
        [&](uint8_t key) { return (hostKeys_ && hostKeys_(key)) || typist_.keyDown(key, frame); }, capsLock_);
    if (input.keyboard == machine_->keyboard.input)
        return;
    input.position = machinePosition(*machine_);
    give(input);
}

void Session::give(const RecordedInput& input)
{
    if (input.kind == RecordedInput::Kind::keyboard)
        machine_->keyboard.input = input.keyboard;
    if (recorder_ && recorder_->isOpen())
        recorder_->add(input);
}

void Session::runFrame()
{
    updateInput();
    for (;;) {
        bool reached = false;
        const RecordedInput* due = nullptr;
        if (replay_.active && replay_.next < replay_.inputs.size()) {
            due = &replay_.inputs[replay_.next];
            reached = machineRunTo(*machine_, due->position);
        } else if (replay_.active) {
            if (machineRunTo(*machine_, replay_.end)) {
                replay_.active = false;
                replay_.finished = true;
            }
        } else {
            machineRun(*machine_);
        }
        const bool frameDone = machine_->events.has(MachineEvent::frameDone);
        serviceEvents();
        // A tape answer is given when its request is serviced; a keyboard input here.
        if (reached && due->kind == RecordedInput::Kind::keyboard && replay_.next < replay_.inputs.size() &&
            due == &replay_.inputs[replay_.next]) {
            give(*due);
            ++replay_.next;
        }
        if (frameDone)
            return;
    }
}

bool Session::startRecording(const std::filesystem::path& path, std::string& error)
{
    recorder_ = std::make_unique<RecordingWriter>();
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

bool Session::startReplay(const Recording& recording, const std::string& source, std::string& error)
{
    auto start = std::make_unique<Mtx>();
    const StateResult loaded = decodeState(recording.startState, *machine_, *start);
    if (!loaded.ok) {
        error = "cannot replay the recording '" + source + "': its start state is unusable: " + loaded.error;
        return false;
    }
    *machine_ = *start;
    replay_ = Replay{};
    replay_.active = true;
    replay_.inputs = recording.inputs;
    replay_.end = recording.end;
    return true;
}

void Session::replaceMachine(const Mtx& machine)
{
    *machine_ = machine;
    if (recorder_ && recorder_->isOpen()) {
        std::string error;
        stopRecording(error);
        host_->warningLine(error.empty() ? "ollendor: the recording ends here: the machine was replaced by a state"
                                         : ("ollendor: " + error).c_str());
    }
    replay_ = Replay{};
}

void Session::serviceEvents()
{
    const MachineEvents events = takeEvents(*machine_);
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
    if (replay_.active) {
        // The recording holds the answer given at this very point.
        if (replay_.next < replay_.inputs.size() &&
            replay_.inputs[replay_.next].kind == RecordedInput::Kind::tape &&
            replay_.inputs[replay_.next].position == machinePosition(*machine_)) {
            const RecordedInput& answer = replay_.inputs[replay_.next++];
            const TapeLookup lookup = answer.tapeFound ? TapeLookup{} : findTapeImage(tapeFolder_, machine_->tape.requestName);
            applyTapeAnswer(answer.tapeFound, answer.tape, lookup.message);
            return;
        }
        host_->warningLine("ollendor: the replay no longer follows the recording (a tape request it does not hold)");
        applyTapeAnswer(false, {}, "");
        return;
    }
    const TapeLookup lookup = findTapeImage(tapeFolder_, machine_->tape.requestName);
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
    if (recorder_ && recorder_->isOpen())
        recorder_->add(input);
    if (found) {
        tapeInsert(*machine_, image);
        return;
    }
    if (tapeMissing(*machine_) && !message.empty())
        host_->showMessage("File not found", message.c_str());
}

} // namespace ollendor
