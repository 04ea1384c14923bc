#include "frontend/machine_menu.h"

#include <imgui.h>

#include <cstdio>

#include "debug/address_text.h"
#include "files/binary_file.h"
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
    if (ImGui::MenuItem(romFolderItem))
        chooser_.start(ChooserKind::folder, "The folder with the MTX ROM images (osrom, basicrom, assemrom)",
                       settings_.romFolder.value_or(fs::path()), [this](const fs::path& folder) { useRomFolder(folder); });
    if (ImGui::MenuItem("Load binary..."))
        chooser_.start(ChooserKind::openFile, "Load a binary file into memory", fs::path(),
                       [this](const fs::path& file) { askBinaryPlace(file); });
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
    drawBinaryDialog();
}

void MachineMenu::askBinaryPlace(const fs::path& file)
{
    binary_.file = file;
    binary_.open = binary_.opening = true;
    binary_.error.clear();
    if (binary_.address[0] == '\0')
        std::snprintf(binary_.address, sizeof binary_.address, "0x8000");
    binary_.start[0] = '\0';
}

bool MachineMenu::loadBinary(const std::string& addressText, const std::string& startText)
{
    // The address and the start as everywhere else (numbers or symbols), then the file,
    // never longer than what fits from the address to the end of memory.
    auto read = [this](const char* what, const std::string& text) -> std::optional<uint16_t> {
        const AddressText read = readAddressText(text, &control_.symbols());
        if (!read.value) {
            binary_.error = std::string(what) + ": " + read.error;
            return std::nullopt;
        }
        if (*read.value > 0xFFFF) {
            binary_.error = std::string(what) + ": " + text + " is past the end of memory (0xFFFF)";
            return std::nullopt;
        }
        return uint16_t(*read.value);
    };
    const std::optional<uint16_t> address = read("Address", addressText);
    if (!address)
        return false;
    std::optional<uint16_t> start;
    if (startText.find_first_not_of(' ') != std::string::npos) {
        start = read("Start", startText);
        if (!start)
            return false;
    }
    BinaryFile file = readBinaryFile(binary_.file, 0x10000 - size_t(*address));
    if (!file.bytes) {
        binary_.error = file.error;
        return false;
    }
    const Control::Result loaded = control_.loadBinary(*file.bytes, *address, std::nullopt, start);
    if (!loaded.ok) {
        binary_.error = loaded.error;
        return false;
    }
    char where[16];
    std::snprintf(where, sizeof where, "%04X", unsigned(*address));
    notices_.show(std::to_string(file.bytes->size()) + " bytes of " + binary_.file.filename().string() + " loaded at " +
                  where);
    binary_.error.clear();
    changed_ = true;
    return true;
}

void MachineMenu::drawBinaryDialog()
{
    if (!binary_.open)
        return;
    const char* popup = "Load binary";
    if (binary_.opening) {
        ImGui::OpenPopup(popup);
        binary_.opening = false;
    }
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 2), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    if (!ImGui::BeginPopupModal(popup, nullptr, ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_AlwaysAutoResize)) {
        binary_.open = false; // closed from outside (Escape)
        return;
    }
    ImGui::Text("%s", binary_.file.filename().c_str());
    const float field = ImGui::CalcTextSize("clearbuf+0x10 (a symbol)").x;
    // The address has the keyboard at first, and again after an answer that would not do.
    if (ImGui::IsWindowAppearing() || binary_.refocus)
        ImGui::SetKeyboardFocusHere();
    binary_.refocus = false;
    ImGui::SetNextItemWidth(field);
    bool ok = ImGui::InputTextWithHint("Address", "0x8000, $8000 or a symbol", binary_.address, sizeof binary_.address,
                                       ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SetNextItemWidth(field);
    ok = ImGui::InputTextWithHint("Start (optional)", "where the CPU goes on", binary_.start, sizeof binary_.start,
                                  ImGuiInputTextFlags_EnterReturnsTrue) || ok;
    if (!binary_.error.empty())
        ImGui::TextColored(ImVec4(0.8f, 0.1f, 0.1f, 1.0f), "%s", binary_.error.c_str());
    ok = ImGui::Button("Load") || ok;
    ImGui::SameLine();
    const bool cancelled = ImGui::Button("Cancel") || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape));
    if (ok && !cancelled && !loadBinary(binary_.address, binary_.start))
        binary_.refocus = true;
    else if (ok || cancelled) {
        binary_.open = false;
        ImGui::CloseCurrentPopup();
    }
    ImGui::EndPopup();
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
