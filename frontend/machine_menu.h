// The "Machine" menu and the "Help" menu of the main window.
//
//   Machine:  Reset, Pause / Continue (F6 / F5), Open tape..., Recent tapes >,
//             ROM folder..., Load binary..., Load state..., Save state...
//   Help:     Keys (a table of the program's keys), About
//
// Files and folders are chosen with the FileChooser (the desktop's dialog, or one inside
// the window). What changes the machine is asked of the actions and done between frames.
#pragma once

#include <filesystem>
#include <functional>

#include "control/control.h"
#include "frontend/file_chooser.h"
#include "frontend/hotkey_actions.h"
#include "frontend/hotkeys.h"
#include "frontend/main_window_parts.h"
#include "frontend/notices.h"
#include "frontend/settings.h"
#include "frontend/tapes_window.h"

namespace ollendor {

// The Machine menu's item that chooses the ROM folder (the built-in ROM's welcome page names
// it too).
inline constexpr const char* romFolderItem = "ROM folder...";

class MachineMenu final : public MainWindowPart {
public:
    // Everything given must outlive the menu.
    MachineMenu(Control& control, HotkeyActions& actions, TapesWindow& tapes, Settings& settings,
                const HotkeyMap& keys, Notices& notices);

    void drawMenus() override;
    void drawWindows() override;
    bool wantsRedraw() const override { return chooser_.active() || binary_.open || changed_; }

    FileChooser& chooser() { return chooser_; }
    // A ROM folder chosen: its ROM set is used from a reset done at once; false (told)
    // when the folder holds no usable set.
    bool useRomFolder(const std::filesystem::path& folder);
    // A binary file chosen: a small dialog asks where it goes (and, if wanted, where the
    // CPU goes on from); then it is put there through the control's loadBinary. False
    // (said in the dialog, which stays open) when the address or the file will not do.
    void askBinaryPlace(const std::filesystem::path& file);
    bool loadBinary(const std::string& address, const std::string& start);
    bool binaryDialogOpen() const { return binary_.open; }
    const std::string& binaryError() const { return binary_.error; }

private:
    void drawBinaryDialog();

    struct BinaryDialog {
        bool open = false;
        bool opening = false; // the popup is to open at the next frame
        bool refocus = false; // the address field takes the keyboard again
        std::filesystem::path file;
        char address[64] = {};
        char start[64] = {};
        std::string error;
    };
    Control& control_;
    HotkeyActions& actions_;
    TapesWindow& tapes_;
    Settings& settings_;
    const HotkeyMap& keys_;
    Notices& notices_;
    FileChooser chooser_;
    BinaryDialog binary_;
    bool changed_ = false; // a command was carried out: the window is drawn again
};

class HelpMenu final : public MainWindowPart {
public:
    // about shows the About box; it is called between frames (takeAbout).
    explicit HelpMenu(const HotkeyMap& keys) : keys_(keys) {}

    void drawMenus() override;
    void drawWindows() override;
    void listOpenWindows(std::vector<std::string>& names) const override;
    bool openWindowNamed(const std::string& name) override;

    bool keysShown() const { return keysOpen_; }
    // The About box was asked for since the last call.
    bool takeAbout()
    {
        const bool asked = aboutAsked_;
        aboutAsked_ = false;
        return asked;
    }

private:
    const HotkeyMap& keys_;
    bool keysOpen_ = false;
    bool aboutAsked_ = false;
};

} // namespace ollendor
