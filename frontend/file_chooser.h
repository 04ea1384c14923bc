// Choosing a file or a folder for the Machine menu: the desktop's own dialog when one is
// installed (zenity or kdialog, run beside the program so the window goes on drawing), or
// else a chooser inside the main window: the folder's sub-folders and files, a name field
// (focused, so a name can be typed and Enter pressed), OK and Cancel; Escape cancels.
#pragma once

#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace ollendor {

enum class ChooserKind { openFile, saveFile, folder };

class FileChooser {
public:
    using Done = std::function<void(const std::filesystem::path& chosen)>;

    // Desktop dialogs are used only when allowed (the default) and one is installed; the
    // environment variable OLLENDOR_FILE_DIALOG=window always uses the in-window chooser.
    void allowDesktopDialog(bool allowed) { desktopAllowed_ = allowed; }
    // Asks for a file or folder, starting in folder; done is called (from draw) with the
    // choice, and not at all when the user cancels. A chooser already open is replaced.
    void start(ChooserKind kind, const std::string& title, const std::filesystem::path& folder, Done done);
    bool active() const { return active_; }
    void cancel();
    // Inside the main window's frame: the in-window chooser, or a look at the dialog.
    void draw();

    // The in-window chooser's folder and its entries (folders first, by name).
    const std::filesystem::path& folder() const { return folder_; }
    const std::vector<std::filesystem::path>& entries() const { return entries_; }

private:
    void enter(const std::filesystem::path& folder);
    void accept(const std::filesystem::path& chosen);
    std::optional<std::string> desktopCommand() const;

    bool desktopAllowed_ = true;
    bool active_ = false;
    bool opening_ = false; // the popup is to open at the next frame
    ChooserKind kind_ = ChooserKind::openFile;
    std::string title_;
    Done done_;
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> entries_;
    char name_[1024] = {};
    std::string error_;
    std::future<std::optional<std::string>> dialog_; // a desktop dialog's answer
};

} // namespace ollendor
