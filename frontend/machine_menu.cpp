#include "frontend/machine_menu.h"

#include <imgui.h>

#include "frontend/rom_search.h"

namespace ollendor {

namespace fs = std::filesystem;

MachineMenu::MachineMenu(Control& control, HotkeyActions& actions, TapesWindow& tapes, Settings& settings,
                         const HotkeyMap& keys, Notices& notices)
    : control_(control), actions_(actions), tapes_(tapes), settings_(settings), keys_(keys), notices_(notices)
{
}

bool MachineMenu::useRomFolder(const fs::path& folder)
{
    const RomSetResult roms = searchRomSet({folder});
    if (!roms.ok || roms.roms.builtin) {
        notices_.show("No MTX ROM images in " + folder.filename().string(), true);
        return false;
    }
    control_.session().useRoms(roms.roms);
    settings_.romFolder = folder;
    actions_.askReset();
    notices_.show("ROMs from " + folder.string());
    return true;
}

void MachineMenu::drawMenus()
{
    changed_ = false;
    if (!ImGui::BeginMenu("Machine"))
        return;
    if (ImGui::MenuItem("Reset")) {
        actions_.askReset();
        changed_ = true;
    }
    const bool paused = control_.paused();
    if (ImGui::MenuItem(paused ? "Continue" : "Pause", keys_.shortcut(paused ? Hotkey::continueRun : Hotkey::pause).c_str())) {
        if (paused)
            control_.resume();
        else
            control_.pause();
        notices_.show(paused ? "Running" : "Paused");
        changed_ = true;
    }
    ImGui::Separator();
    auto tapeFolder = [this] {
        const fs::path& folder = control_.session().tapeFolder();
        return folder.empty() ? settings_.tapeFolder.value_or(fs::path()) : folder;
    };
    if (ImGui::MenuItem("Open tape..."))
        chooser_.start(ChooserKind::openFile, "Open a tape image", tapeFolder(),
                       [this](const fs::path& file) { tapes_.mount(file); });
    if (ImGui::BeginMenu("Recent tapes", !settings_.recentTapes.empty())) {
        const std::vector<fs::path> recent = settings_.recentTapes; // mounting reorders the list
        for (const fs::path& tape : recent) {
            const bool mounted = control_.session().mountedTape() == tape;
            if (ImGui::MenuItem(tape.filename().c_str(), nullptr, mounted))
                tapes_.mount(tape);
            if (ImGui::IsItemHovered())
                ImGui::SetTooltip("%s", tape.c_str());
        }
        ImGui::EndMenu();
    }
    ImGui::Separator();
    if (ImGui::MenuItem("ROM folder..."))
        chooser_.start(ChooserKind::folder, "The folder with the MTX ROM images (osrom, basicrom, assemrom)",
                       settings_.romFolder.value_or(fs::path()), [this](const fs::path& folder) { useRomFolder(folder); });
    ImGui::Separator();
    if (ImGui::MenuItem("Load state..."))
        chooser_.start(ChooserKind::openFile, "Load a state file", fs::path(),
                       [this](const fs::path& file) { actions_.askLoadFile(file); });
    if (ImGui::MenuItem("Save state..."))
        chooser_.start(ChooserKind::saveFile, "Save the machine's state to a file", fs::path(),
                       [this](const fs::path& file) { actions_.askSaveFile(file); });
    ImGui::EndMenu();
}

void MachineMenu::drawWindows()
{
    chooser_.draw();
}

void HelpMenu::drawMenus()
{
    if (!ImGui::BeginMenu("Help"))
        return;
    ImGui::MenuItem("Keys", nullptr, &keysOpen_);
    if (ImGui::MenuItem("About"))
        aboutAsked_ = true;
    ImGui::EndMenu();
}

void HelpMenu::listOpenWindows(std::vector<std::string>& names) const
{
    if (keysOpen_)
        names.emplace_back("help.keys");
}

bool HelpMenu::openWindowNamed(const std::string& name)
{
    if (name != "help.keys")
        return false;
    keysOpen_ = true;
    return true;
}

void HelpMenu::drawWindows()
{
    if (!keysOpen_)
        return;
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 2), ImGuiCond_FirstUseEver, ImVec2(0.5f, 0.5f));
    if (!ImGui::Begin("Keys", &keysOpen_, ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings)) {
        ImGui::End();
        return;
    }
    struct Row {
        std::string key;
        const char* what;
    };
    auto key = [this](Hotkey action) { return keys_.shortcut(action); };
    const Row rows[] = {
        {key(Hotkey::saveState), "save the state to the current slot"},
        {key(Hotkey::loadState), "load the state of the current slot"},
        {key(Hotkey::rewind), "rewind (held)"},
        {key(Hotkey::fastForward), "fast forward (held)"},
        {key(Hotkey::mute), "sound off / on"},
        {key(Hotkey::screenshot), "screenshot"},
        {key(Hotkey::continueRun), "continue"},
        {key(Hotkey::pause), "pause"},
        {key(Hotkey::stepInto), "step into"},
        {key(Hotkey::stepOver), "step over"},
        {key(Hotkey::stepOut), "step out"},
        {key(Hotkey::toggleBreakpoint), "breakpoint on / off"},
        {key(Hotkey::workspace), "show / hide the debugger"},
        {"Alt+f", "full screen"},
        {"other keys", "the MTX keyboard (Esc is its ESC key)"},
    };
    if (ImGui::BeginTable("##keys", 2, ImGuiTableFlags_RowBg | ImGuiTableFlags_BordersInnerV)) {
        ImGui::TableSetupColumn("Key");
        ImGui::TableSetupColumn("What it does");
        ImGui::TableHeadersRow();
        for (const Row& row : rows) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(row.key.c_str());
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(row.what);
        }
        ImGui::EndTable();
    }
    ImGui::TextDisabled("The keys can be changed in the settings file, [keys].");
    ImGui::End();
}

} // namespace ollendor
