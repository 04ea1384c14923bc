#include "frontend/hotkey_actions.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "control/state_slots.h"
#include "frontend/screenshot_name.h"
#include "files/message_text.h"
#include "files/safe_file.h"
#include "video/display.h"
#include "video/picture.h"

namespace ollendor {

HotkeyActions::HotkeyActions(Control& control, Loop& loop) : control_(control), loop_(loop) {}

void HotkeyActions::registerKeys(HotkeyDispatch& hotkeys)
{
    hotkeys.on(Hotkey::saveState, [this](bool) { askSave(slot_); });
    hotkeys.on(Hotkey::loadState, [this](bool) { askLoad(slot_); });
    hotkeys.on(Hotkey::rewind, [this](bool down) { holdRewind(down); });
    hotkeys.on(Hotkey::fastForward, [this](bool down) { holdFastForward(down); });
    hotkeys.on(Hotkey::mute, [this](bool) { askMuted(!muted_); });
    hotkeys.on(Hotkey::screenshot, [this](bool) { askScreenshot(); });
}

void HotkeyActions::chooseSlot(int slot)
{
    if (slot >= 1 && slot <= stateSlotCount)
        slot_ = slot;
}

void HotkeyActions::askSave(int slot)
{
    chooseSlot(slot);
    asked_.push_back({Request::Kind::save, unsigned(slot)});
}

void HotkeyActions::askLoad(int slot)
{
    chooseSlot(slot);
    asked_.push_back({Request::Kind::load, unsigned(slot)});
}

void HotkeyActions::askScreenshot()
{
    asked_.push_back({Request::Kind::screenshot, 0});
}

void HotkeyActions::askRewind(unsigned frames)
{
    asked_.push_back({Request::Kind::rewind, frames});
}

void HotkeyActions::askMuted(bool muted)
{
    muted_ = muted;
}

void HotkeyActions::askSaveFile(const std::filesystem::path& path)
{
    asked_.push_back({Request::Kind::saveFile, 0, path});
}

void HotkeyActions::askLoadFile(const std::filesystem::path& path)
{
    asked_.push_back({Request::Kind::loadFile, 0, path});
}

void HotkeyActions::askReset()
{
    asked_.push_back({Request::Kind::reset, 0});
}

void HotkeyActions::tell(const std::string& text, bool error)
{
    if (notify_)
        notify_(text, error);
}

void HotkeyActions::carryOut()
{
    // The held keys and the switch first: they are states, not events.
    if (loop_.rewinding() != rewindHeld_)
        loop_.setRewinding(rewindHeld_);
    if (rewindHeld_ && !toldRewinding_)
        tell("Rewinding");
    toldRewinding_ = rewindHeld_;
    loop_.setFastForward(fastForwardHeld_);
    if (fastForwardHeld_ && !toldFastForward_)
        tell("Fast forward");
    toldFastForward_ = fastForwardHeld_;
    if (loop_.muted() != muted_) {
        loop_.setMuted(muted_);
        tell(muted_ ? "Sound off" : "Sound on");
    }
    // A request carried out may ask for more (a box's keys): those wait for the next pass.
    std::deque<Request> asked;
    asked.swap(asked_);
    for (const Request& request : asked) {
        switch (request.kind) {
        case Request::Kind::save: save(int(request.value)); break;
        case Request::Kind::load: load(int(request.value)); break;
        case Request::Kind::screenshot: screenshot(); break;
        case Request::Kind::rewind: rewind(request.value); break;
        case Request::Kind::saveFile: saveFile(request.path); break;
        case Request::Kind::loadFile: loadFile(request.path); break;
        case Request::Kind::reset: reset(); break;
        }
    }
}

void HotkeyActions::fail(const char* caption, const std::string& text)
{
    tell(std::string(caption) + " failed", true);
    loop_.showMessage(caption, text.c_str());
}

void HotkeyActions::saveFile(const std::filesystem::path& path)
{
    const Control::Result saved = control_.saveState(path);
    if (!saved.ok) {
        fail("Save state", saved.error);
        return;
    }
    tell("State saved to " + path.filename().string());
    std::fprintf(stderr, "ollendor: saved the state to %s\n", path.c_str());
}

void HotkeyActions::loadFile(const std::filesystem::path& path)
{
    const Control::Result loaded = control_.loadState(path);
    if (!loaded.ok) {
        fail("Load state", loaded.error);
        return;
    }
    tell("State loaded from " + path.filename().string());
    std::fprintf(stderr, "ollendor: loaded the state from %s\n", path.c_str());
}

void HotkeyActions::reset()
{
    control_.reset(); // the loop's picture and sound follow the jump
    tell("Reset");
}

void HotkeyActions::save(int slot)
{
    const Control::Result saved = control_.saveSlot(slot);
    if (!saved.ok) {
        fail("Save state", saved.error);
        return;
    }
    const auto path = stateSlotPath(slot);
    tell("State saved to slot " + std::to_string(slot));
    std::fprintf(stderr, "ollendor: saved the state to slot %d (%s)\n", slot, path ? path->c_str() : "?");
}

void HotkeyActions::load(int slot)
{
    std::string why;
    const std::optional<std::filesystem::path> path = stateSlotPath(slot, &why);
    std::error_code error;
    if (path && std::filesystem::symlink_status(*path, error).type() == std::filesystem::file_type::not_found) {
        fail("Load state", "Slot " + std::to_string(slot) + " is empty: nothing has been saved to " +
                               path->string() + " yet.");
        return;
    }
    const Control::Result loaded = control_.loadSlot(slot);
    if (!loaded.ok) {
        fail("Load state", loaded.error);
        return;
    }
    tell("State loaded from slot " + std::to_string(slot));
    std::fprintf(stderr, "ollendor: loaded the state of slot %d (%s)\n", slot, path->c_str());
}

void HotkeyActions::rewind(unsigned frames)
{
    // Less than asked when the buffer holds less: as far back as it goes.
    const size_t depth = control_.rewindDepth();
    if (depth == 0)
        return;
    control_.rewindFrames(unsigned(std::min<size_t>(frames, depth)));
}

void HotkeyActions::screenshot()
{
    const Mtx& machine = control_.machine();
    const std::filesystem::path folder = screenshotFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        fail("Screenshot", "cannot make the folder " + escapedName(folder.string()) + " for the screenshot: " + error.message());
        return;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::string why;
    const std::optional<std::filesystem::path> path = takeScreenshotName(folder, local, why);
    if (!path) {
        fail("Screenshot", "could not write a screenshot into " + escapedName(folder.string()) + ": " + why);
        return;
    }
    const std::vector<uint8_t> png =
        consolePng(machine.frame, displayBlanked(machine.vdp), backdropColour(machine.vdp));
    const std::string failure =
        png.empty() ? std::string("the picture could not be encoded") : writeFileSafely(*path, png);
    if (!failure.empty()) {
        std::filesystem::remove(*path, error); // the empty file that held the name
        fail("Screenshot", "could not write the screenshot " + path->string() + ": " + failure);
        return;
    }
    lastScreenshot_ = *path;
    tell("Screenshot saved: " + path->filename().string());
    std::fprintf(stderr, "ollendor: screenshot saved to %s\n", path->c_str());
}

} // namespace ollendor
