#include "frontend/menu_bar.h"

#include <imgui.h>

namespace ollendor {

MenuBarFrame drawMenuBar(const char* title, std::span<const MenuEntry> items,
                         std::span<MainWindowPart* const> parts, int insertBefore)
{
    MenuBarFrame frame;
    if (!ImGui::BeginMainMenuBar())
        return frame;
    if (ImGui::BeginMenu(title)) {
        for (const MenuEntry& item : items) {
            if (item.command == insertBefore)
                for (MainWindowPart* part : parts)
                    part->drawStuffItems();
            if (ImGui::MenuItem(item.text))
                frame.chosen = &item;
        }
        ImGui::EndMenu();
    }
    for (MainWindowPart* part : parts)
        part->drawMenus();
    frame.height = int(ImGui::GetWindowSize().y);
    ImGui::EndMainMenuBar();
    return frame;
}

} // namespace ollendor
