// What the program's own keys do for save states, time and the picture, and the "Stuff"
// menu's items for the same things (frontend/state_menu.h): one set of actions for both.
//
//   save state (F2)       the machine into the current slot
//   load state (F3)       the current slot into the machine
//   rewind (F4 held)      time backwards, a frame per presented frame
//   fast forward (F10 held) no speed limit while held
//   mute (Shift+F11)      the sound device silent, or back
//   screenshot (F12)      the picture as a PNG (frontend/screenshot_name.h says where)
//
// Keys and menu items only ask; what they asked is carried out by carryOut, which the loop
// calls once per pass between frames (never inside an event or a frame of the widgets, so a
// message box can show and a machine can be replaced). A failure is shown in a message
// box (on standard error without a window) and the run goes on; a success is a line on
// standard error.
#pragma once

#include <functional>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>

#include "control/control.h"
#include "frontend/hotkeys.h"
#include "frontend/loop.h"

namespace ollendor {

class HotkeyActions {
public:
    // The control and the loop must outlive the actions.
    HotkeyActions(Control& control, Loop& loop);

    // Gives the keys of save, load, rewind, fast forward, mute and screenshot their handlers.
    void registerKeys(HotkeyDispatch& hotkeys);

    // The slot F2 and F3 use: 1 at start, then the one last chosen in the menu.
    int currentSlot() const { return slot_; }
    void chooseSlot(int slot);

    // Asked for now, carried out by the next carryOut, in order.
    void askSave(int slot);
    void askLoad(int slot);
    void askScreenshot();
    void askRewind(unsigned frames); // the menu: back a second
    void askMuted(bool muted);
    bool mutedAsked() const { return muted_; }
    void holdRewind(bool held) { rewindHeld_ = held; }
    void holdFastForward(bool held) { fastForwardHeld_ = held; }

    // The Machine menu's: a state file saved or loaded, the machine started afresh.
    void askSaveFile(const std::filesystem::path& path);
    void askLoadFile(const std::filesystem::path& path);
    void askReset();

    // Told what each action did (and each failure), for the notices over the picture.
    void setNotify(std::function<void(const std::string& text, bool error)> notify) { notify_ = std::move(notify); }

    // Does what was asked since the last call.
    void carryOut();

    // The picture written by the last screenshot (empty before one).
    const std::filesystem::path& lastScreenshot() const { return lastScreenshot_; }

private:
    struct Request {
        enum class Kind { save, load, screenshot, rewind, saveFile, loadFile, reset } kind;
        unsigned value; // the slot, or the frames to go back
        std::filesystem::path path = {}; // the state file
    };
    void saveFile(const std::filesystem::path& path);
    void loadFile(const std::filesystem::path& path);
    void reset();
    void tell(const std::string& text, bool error = false);
    void save(int slot);
    void load(int slot);
    void screenshot();
    void rewind(unsigned frames);
    void fail(const char* caption, const std::string& text);

    Control& control_;
    Loop& loop_;
    int slot_ = 1;
    std::deque<Request> asked_;
    bool muted_ = false;          // what Shift+F11 and the menu last asked
    bool rewindHeld_ = false;     // the rewind key is down
    bool fastForwardHeld_ = false; // the fast-forward key is down
    std::filesystem::path lastScreenshot_;
    std::function<void(const std::string&, bool)> notify_;
    bool toldRewinding_ = false, toldFastForward_ = false;
};

} // namespace ollendor
