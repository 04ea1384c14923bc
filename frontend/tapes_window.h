// The "Tapes" window inside the main window, and mounting a tape image by file: the tape
// folder's files and the mounted one; a click on a file mounts it (every tape load reads
// it from then on, whatever name the program asks for), a click on the mounted file or on
// "Unmount" goes back to the folder lookup. A file dropped on the window and the FILE of
// the command line are mounted the same way. A file that cannot be read is reported once,
// when it is mounted (on standard error, and in the window, which a failed drop opens),
// and is not mounted; nothing stops.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "control/control.h"
#include "control/session.h"
#include "frontend/main_window_parts.h"
#include "frontend/settings.h"

namespace ollendor {

inline constexpr size_t tapeFolderListLimit = 1000;

// The regular files in the folder (links followed), by name, at most tapeFolderListLimit;
// empty when the folder cannot be read.
std::vector<std::filesystem::path> listTapeFolder(const std::filesystem::path& folder);

class TapesWindow final : public MainWindowPart {
public:
    // The session and the settings must outlive the window.
    TapesWindow(Control& control, Settings& settings);

    // Mounts the file after checking it can be read; false (reported) when it cannot.
    bool mount(const std::filesystem::path& file);
    // A file dropped on the main window: mounted, or the window opens with the reason.
    void dropped(const std::filesystem::path& file);
    // Told of each mount and each failure to mount, for the notices over the picture.
    void setNotify(std::function<void(const std::string& text, bool error)> notify) { notify_ = std::move(notify); }
    // Why the last mount failed; empty after a good one.
    const std::string& error() const { return error_; }
    void unmount();
    // Lists the tape folder again (done on opening, and every 2 s while open).
    void refresh();
    const std::vector<std::filesystem::path>& files() const { return files_; }

    bool isOpen() const { return open_; }
    void setOpen(bool open);

    // MainWindowPart
    // The "Tapes" menu: the window, unmounting, the recent files.
    void drawMenus() override;
    void drawWindows() override;
    void listOpenWindows(std::vector<std::string>& names) const override;
    bool openWindowNamed(const std::string& name) override;

private:
    Control& control_; // mounting goes through its one door
    Session& session_;
    Settings& settings_;
    std::string error_;
    bool open_ = false;
    std::vector<std::filesystem::path> files_;
    std::chrono::steady_clock::time_point listed_;
    char folderField_[1024] = {};
    std::function<void(const std::string&, bool)> notify_;
};

} // namespace ollendor
