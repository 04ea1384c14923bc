#include "frontend/tapes_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <system_error>

#include <imgui.h>

#include "files/tape_files.h"

namespace ollendor {

namespace fs = std::filesystem;

namespace {
constexpr auto relistInterval = std::chrono::seconds(2);
constexpr const char* windowName = "tapes";

fs::path absoluteOf(const fs::path& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}
} // namespace

std::vector<fs::path> listTapeFolder(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    fs::directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
    if (error)
        return files;
    for (auto end = fs::directory_iterator(); entries != end && files.size() < tapeFolderListLimit;
         entries.increment(error)) {
        if (error)
            break;
        std::error_code kind;
        if (entries->is_regular_file(kind))
            files.push_back(entries->path());
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    return files;
}

TapesWindow::TapesWindow(Control& control, Settings& settings)
    : control_(control), session_(control.session()), settings_(settings)
{
}

bool TapesWindow::mount(const fs::path& file)
{
    const TapeLookup lookup = readTapeFile(file);
    if (!lookup.found) {
        error_ = lookup.message;
        std::fprintf(stderr, "ollendor: %s\n", error_.c_str());
        if (notify_)
            notify_("The tape could not be mounted", true);
        return false;
    }
    error_.clear();
    const fs::path absolute = absoluteOf(file);
    control_.mountTape(absolute);
    rememberTape(settings_, absolute);
    if (notify_)
        notify_("Tape mounted: " + absolute.filename().string(), false);
    return true;
}

void TapesWindow::dropped(const fs::path& file)
{
    if (!mount(file))
        setOpen(true);
}

void TapesWindow::unmount()
{
    control_.unmountTape();
}

void TapesWindow::refresh()
{
    // Absolute, as mounted files are, so that the mounted one is found by its name.
    files_ = listTapeFolder(absoluteOf(session_.tapeFolder()));
    listed_ = std::chrono::steady_clock::now();
    const std::string folder = session_.tapeFolder().string();
    std::snprintf(folderField_, sizeof folderField_, "%s", folder.c_str());
}

void TapesWindow::setOpen(bool open)
{
    if (open && !open_)
        refresh();
    open_ = open;
}

void TapesWindow::drawMenus()
{
    if (!ImGui::BeginMenu("Tapes"))
        return;
    bool open = open_;
    if (ImGui::MenuItem("Tapes window", nullptr, &open))
        setOpen(open);
    if (const auto& mounted = session_.mountedTape()) {
        const std::string label = "Unmount " + mounted->filename().string();
        if (ImGui::MenuItem(label.c_str()))
            unmount();
    }
    if (!settings_.recentTapes.empty()) {
        ImGui::Separator();
        // A copy: mounting reorders the list.
        const std::vector<fs::path> recent = settings_.recentTapes;
        for (const fs::path& file : recent)
            if (ImGui::MenuItem(file.string().c_str()) && !mount(file))
                setOpen(true); // where the reason shows
    }
    ImGui::EndMenu();
}

void TapesWindow::drawWindows()
{
    if (!open_)
        return;
    if (std::chrono::steady_clock::now() - listed_ > relistInterval)
        refresh();
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowSize(ImVec2(420, 300), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_FirstUseEver,
                            ImVec2(0.5f, 0.5f));
    bool open = true;
    if (ImGui::Begin("Tapes", &open, ImGuiWindowFlags_NoSavedSettings)) {
        const auto& mounted = session_.mountedTape();
        if (mounted) {
            ImGui::TextWrapped("Mounted: %s", mounted->string().c_str());
            if (ImGui::Button("Unmount"))
                unmount();
        } else {
            ImGui::TextUnformatted("Nothing mounted: loads look in the folder by name.");
        }
        if (!error_.empty()) {
            ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(170, 0, 0, 255));
            ImGui::TextWrapped("%s", error_.c_str());
            ImGui::PopStyleColor();
        }
        ImGui::Separator();
        ImGui::TextUnformatted("Folder");
        ImGui::SameLine();
        if (ImGui::InputText("##folder", folderField_, sizeof folderField_, ImGuiInputTextFlags_EnterReturnsTrue)) {
            std::error_code error;
            if (fs::is_directory(folderField_, error)) {
                session_.setTapeFolder(folderField_);
                settings_.tapeFolder = fs::absolute(folderField_, error);
            }
            refresh();
        }
        if (ImGui::BeginChild("##files", ImVec2(0, 0), true)) {
            if (files_.empty())
                ImGui::TextUnformatted("(no files)");
            for (const fs::path& file : files_) {
                const bool isMounted = mounted && *mounted == file;
                const std::string name = file.filename().string();
                if (ImGui::Selectable(name.c_str(), isMounted)) {
                    if (isMounted)
                        unmount();
                    else
                        mount(file);
                }
            }
        }
        ImGui::EndChild();
    }
    ImGui::End();
    if (!open)
        open_ = false;
}

void TapesWindow::listOpenWindows(std::vector<std::string>& names) const
{
    if (open_)
        names.emplace_back(windowName);
}

bool TapesWindow::openWindowNamed(const std::string& name)
{
    if (name != windowName)
        return false;
    setOpen(true);
    return true;
}

} // namespace ollendor
