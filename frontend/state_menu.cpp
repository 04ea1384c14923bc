#include "frontend/state_menu.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <imgui.h>

#include "state/rewind.h"

namespace ollendor {

namespace {
// The picture as shown: the console at 0.3 of its size.
constexpr float pictureWidth = 96, pictureHeight = 60;
constexpr float gap = 8; // between the picture and the text

// A row's lines of text, drawn beside its picture.
struct RowText {
    std::string title;    // "Slot 1"
    std::string time;     // when it was saved, or "empty"
    std::string problem;  // why it cannot be loaded
};
} // namespace

StateMenu::StateMenu(HotkeyActions& actions, Control& control, Loop& loop, const HotkeyMap& keys,
                     FrontendDrawing& drawing)
    : actions_(actions), control_(control), loop_(loop), keys_(keys), drawing_(drawing),
      slots_(control.machine().romBuiltin, control.machine().romIdentity)
{
}

StateMenu::~StateMenu()
{
    if (textures_ && textures_ == drawing_.textures())
        for (Picture& picture : pictures_)
            textures_->destroy(picture.handle);
}

void* StateMenu::pictureOf(int slot)
{
    Textures* textures = drawing_.textures();
    if (textures != textures_) {
        // Another window's textures (or none): the old handles mean nothing there.
        for (Picture& picture : pictures_)
            picture = Picture{};
        textures_ = textures;
    }
    const SlotEntry& entry = slots_.entry(slot);
    if (!textures || entry.picture.empty())
        return nullptr;
    Picture& picture = pictures_[slot - 1];
    if (!textures->imguiTexture(picture.handle)) {
        picture.handle = textures->create(slotPictureWidth, slotPictureHeight);
        picture.generation = 0;
    }
    if (picture.handle && picture.generation != entry.generation) {
        if (!textures->update(picture.handle, entry.picture.data(), slotPictureWidth * 4))
            return nullptr;
        picture.generation = entry.generation;
    }
    return textures->imguiTexture(picture.handle);
}

void StateMenu::drawSlots(bool saving)
{
    const std::string key = keys_.shortcut(saving ? Hotkey::saveState : Hotkey::loadState);
    RowText rows[stateSlotCount];
    float textWidth = ImGui::CalcTextSize(key.c_str()).x;
    for (int slot = 1; slot <= stateSlotCount; ++slot) {
        const SlotEntry& entry = slots_.entry(slot);
        RowText& row = rows[slot - 1];
        row.title = "Slot " + std::to_string(slot);
        row.time = entry.empty ? "empty" : entry.savedAt;
        row.problem = entry.problem;
        for (const std::string* line : {&row.title, &row.time, &row.problem})
            textWidth = std::max(textWidth, ImGui::CalcTextSize(line->c_str()).x);
    }
    const float lineHeight = ImGui::GetTextLineHeightWithSpacing();
    const float rowWidth = pictureWidth + gap + textWidth + 3 * gap + ImGui::CalcTextSize(key.c_str()).x;
    const float rowHeight = std::max(pictureHeight, 3 * lineHeight);
    const ImU32 text = ImGui::GetColorU32(ImGuiCol_Text);
    const ImU32 quiet = ImGui::GetColorU32(ImGuiCol_TextDisabled);
    ImDrawList* draw = ImGui::GetWindowDrawList();

    for (int slot = 1; slot <= stateSlotCount; ++slot) {
        const SlotEntry& entry = slots_.entry(slot);
        const RowText& row = rows[slot - 1];
        const bool current = slot == actions_.currentSlot();
        const bool usable = saving || (!entry.empty && entry.problem.empty());
        ImGui::PushID(slot);
        const bool chosen = ImGui::Selectable("##slot", current, usable ? 0 : ImGuiSelectableFlags_Disabled,
                                              ImVec2(rowWidth, rowHeight));
        ImGui::PopID();
        const ImVec2 at = ImGui::GetItemRectMin();
        const ImVec2 pictureAt(at.x, at.y + (rowHeight - pictureHeight) / 2);
        const ImVec2 pictureEnd(pictureAt.x + pictureWidth, pictureAt.y + pictureHeight);
        if (void* picture = pictureOf(slot))
            draw->AddImage(picture, pictureAt, pictureEnd);
        else
            draw->AddRect(pictureAt, pictureEnd, quiet);
        const float textX = at.x + pictureWidth + gap;
        draw->AddText(ImVec2(textX, at.y), usable ? text : quiet, row.title.c_str());
        draw->AddText(ImVec2(textX, at.y + lineHeight), quiet, row.time.c_str());
        if (!row.problem.empty())
            draw->AddText(ImVec2(textX, at.y + 2 * lineHeight), IM_COL32(170, 0, 0, 255), row.problem.c_str());
        if (current)
            draw->AddText(ImVec2(at.x + rowWidth - ImGui::CalcTextSize(key.c_str()).x, at.y), quiet, key.c_str());
        if (chosen) {
            if (saving)
                actions_.askSave(slot);
            else
                actions_.askLoad(slot);
        }
    }
}

void StateMenu::drawStuffItems()
{
    slots_.refresh();
    ImGui::Separator();
    // The labels say what the keys do now; the ids stay the same as the slot changes.
    const std::string slot = std::to_string(actions_.currentSlot());
    const std::string save = "Save state (" + keys_.shortcut(Hotkey::saveState) + " to slot " + slot + ")###save";
    if (ImGui::BeginMenu(save.c_str())) {
        drawSlots(true);
        ImGui::EndMenu();
    }
    const std::string load = "Load state (" + keys_.shortcut(Hotkey::loadState) + " from slot " + slot + ")###load";
    if (ImGui::BeginMenu(load.c_str())) {
        drawSlots(false);
        ImGui::EndMenu();
    }

    const size_t depth = control_.rewindDepth();
    const std::string rewindKey = keys_.shortcut(Hotkey::rewind) + " held";
    if (ImGui::MenuItem("Rewind one second", rewindKey.c_str(), loop_.rewinding(), depth > 0))
        actions_.askRewind(unsigned(rewindFramesPerSecond));
    char held[64];
    std::snprintf(held, sizeof held, "   buffer: %.1f s (%zu frames)", double(depth) / rewindFramesPerSecond, depth);
    ImGui::TextDisabled("%s", held);

    const std::string fastKey = keys_.shortcut(Hotkey::fastForward) + " held";
    ImGui::MenuItem("Fast forward", fastKey.c_str(), loop_.fastForward(), false);
    if (ImGui::MenuItem("Mute", keys_.shortcut(Hotkey::mute).c_str(), actions_.mutedAsked()))
        actions_.askMuted(!actions_.mutedAsked());
    if (ImGui::MenuItem("Screenshot", keys_.shortcut(Hotkey::screenshot).c_str()))
        actions_.askScreenshot();
    ImGui::Separator();
}

} // namespace ollendor
