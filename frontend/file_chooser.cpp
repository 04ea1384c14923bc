#include "frontend/file_chooser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <imgui.h>

namespace ollendor {

namespace fs = std::filesystem;

namespace {

// A word for the shell, quoted so nothing in it is special.
std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool installed(const char* program)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        std::error_code error;
        if (!folder.empty() && fs::is_regular_file(fs::path(folder) / program, error))
            return true;
        start = end + 1;
    }
    return false;
}

// Runs the dialog; its one line of output is the choice (none: cancelled).
std::optional<std::string> runDialog(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string out;
    char buffer[512];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    const int status = pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    if (status != 0 || out.empty())
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> FileChooser::desktopCommand() const
{
    const char* wanted = std::getenv("OLLENDOR_FILE_DIALOG");
    if (!desktopAllowed_ || (wanted && std::strcmp(wanted, "window") == 0) || !std::getenv("DISPLAY"))
        return std::nullopt;
    const std::string start = (folder_.empty() ? std::string(".") : folder_.string()) + "/";
    if (installed("zenity")) {
        std::string command = "zenity --file-selection --title=" + quoted(title_) + " --filename=" + quoted(start);
        if (kind_ == ChooserKind::saveFile)
            command += " --save --confirm-overwrite";
        if (kind_ == ChooserKind::folder)
            command += " --directory";
        return command + " 2>/dev/null";
    }
    if (installed("kdialog")) {
        const char* what = kind_ == ChooserKind::openFile   ? "--getopenfilename"
                           : kind_ == ChooserKind::saveFile ? "--getsavefilename"
                                                            : "--getexistingdirectory";
        return std::string("kdialog --title ") + quoted(title_) + " " + what + " " + quoted(start) + " 2>/dev/null";
    }
    return std::nullopt;
}

void FileChooser::start(ChooserKind kind, const std::string& title, const fs::path& folder, Done done)
{
    kind_ = kind;
    title_ = title;
    done_ = std::move(done);
    error_.clear();
    name_[0] = '\0';
    std::error_code error;
    fs::path from = folder.empty() ? fs::current_path(error) : folder;
    if (!fs::is_directory(from, error))
        from = fs::current_path(error);
    enter(from);
    active_ = true;
    if (const std::optional<std::string> command = desktopCommand()) {
        dialog_ = std::async(std::launch::async, runDialog, *command);
        return;
    }
    opening_ = true;
}

void FileChooser::cancel()
{
    active_ = false;
    done_ = nullptr;
}

void FileChooser::enter(const fs::path& folder)
{
    std::error_code error;
    folder_ = fs::absolute(folder, error).lexically_normal();
    if (folder_.has_relative_path() && folder_.filename().empty())
        folder_ = folder_.parent_path();
    entries_.clear();
    error_.clear();
    std::vector<fs::path> folders, files;
    fs::directory_iterator it(folder_, fs::directory_options::skip_permission_denied, error);
    if (error) {
        error_ = "cannot read " + folder_.string() + ": " + error.message();
        return;
    }
    for (; it != fs::directory_iterator() && folders.size() + files.size() < 5000; it.increment(error)) {
        if (error)
            break;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code kindError;
        if (it->is_directory(kindError))
            folders.push_back(it->path());
        else if (kind_ != ChooserKind::folder)
            files.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    entries_ = std::move(folders);
    entries_.insert(entries_.end(), files.begin(), files.end());
}

void FileChooser::accept(const fs::path& chosen)
{
    active_ = false;
    Done done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(chosen);
}

void FileChooser::draw()
{
    if (!active_)
        return;
    if (dialog_.valid()) {
        if (dialog_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        const std::optional<std::string> answer = dialog_.get();
        if (answer)
            accept(*answer);
        else
            cancel();
        return;
    }
    const char* popup = "##file chooser";
    if (opening_) {
        ImGui::OpenPopup(popup);
        opening_ = false;
    }
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 2), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(std::min(640.0f, io.DisplaySize.x - 20), std::min(440.0f, io.DisplaySize.y - 40)),
                             ImGuiCond_Appearing);
    if (!ImGui::BeginPopupModal(popup, nullptr, ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoTitleBar)) {
        active_ = false; // closed from outside
        return;
    }
    ImGui::TextUnformatted(title_.c_str());
    ImGui::Separator();
    if (ImGui::Button("Up"))
        enter(folder_.parent_path());
    ImGui::SameLine();
    ImGui::TextUnformatted(folder_.c_str());
    const float buttons = ImGui::GetFrameHeightWithSpacing() * 2 + ImGui::GetStyle().ItemSpacing.y;
    std::optional<fs::path> enterFolder;
    if (ImGui::BeginChild("##entries", ImVec2(0, -buttons), true)) {
        for (const fs::path& entry : entries_) {
            std::error_code error;
            const bool isFolder = fs::is_directory(entry, error);
            const std::string label = entry.filename().string() + (isFolder ? "/" : "");
            const bool selected = !isFolder && entry.filename().string() == name_;
            if (ImGui::Selectable(label.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick)) {
                if (isFolder)
                    enterFolder = entry;
                else {
                    std::snprintf(name_, sizeof name_, "%s", entry.filename().c_str());
                    if (ImGui::IsMouseDoubleClicked(0)) {
                        ImGui::EndChild();
                        ImGui::CloseCurrentPopup();
                        ImGui::EndPopup();
                        accept(folder_ / name_);
                        return;
                    }
                }
            }
        }
        if (!error_.empty())
            ImGui::TextUnformatted(error_.c_str());
    }
    ImGui::EndChild();
    if (enterFolder)
        enter(*enterFolder);

    bool ok = false;
    if (kind_ != ChooserKind::folder) {
        if (ImGui::IsWindowAppearing())
            ImGui::SetKeyboardFocusHere();
        ImGui::SetNextItemWidth(-1);
        ok = ImGui::InputTextWithHint("##name", "file name", name_, sizeof name_, ImGuiInputTextFlags_EnterReturnsTrue);
    }
    ok = ImGui::Button(kind_ == ChooserKind::saveFile ? "Save" : kind_ == ChooserKind::folder ? "Use this folder" : "Open") || ok;
    ImGui::SameLine();
    const bool cancelled = ImGui::Button("Cancel") || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape));
    if (ok && (kind_ == ChooserKind::folder || name_[0] != '\0')) {
        ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
        // A name typed may be a whole path.
        const fs::path typed(name_);
        accept(kind_ == ChooserKind::folder ? folder_ : typed.is_absolute() ? typed : folder_ / typed);
        return;
    }
    if (cancelled) {
        ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
        cancel();
        return;
    }
    ImGui::EndPopup();
}

} // namespace ollendor
