#include "control/session.h"

#include <cstdio>

#include "machine/tape_files.h"

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
    const uint64_t frame = frames();
    machine_->keyboard.input = keyboardInputFrom(
        [&](uint8_t key) { return (hostKeys_ && hostKeys_(key)) || typist_.keyDown(key, frame); }, capsLock_);
}

void Session::runFrame()
{
    updateInput();
    for (;;) {
        machineRun(*machine_);
        const bool frameDone = machine_->events.has(MachineEvent::frameDone);
        serviceEvents();
        if (frameDone)
            return;
    }
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
    const TapeLookup lookup = findTapeImage(tapeFolder_, machine_->tape.requestName);
    if (lookup.found) {
        if (!lookup.warning.empty())
            host_->warningLine(lookup.warning.c_str());
        tapeInsert(*machine_, lookup.image);
        return;
    }
    if (tapeMissing(*machine_))
        host_->showMessage("File not found", lookup.message.c_str());
}

} // namespace ollendor
