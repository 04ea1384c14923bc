#include "frontend/menu_bar.h"

#include <imgui.h>

namespace ollendor {

MenuBarFrame drawMenuBar(const char* title, std::span<const MenuEntry> items)
{
    MenuBarFrame frame;
    if (!ImGui::BeginMainMenuBar())
        return frame;
    if (ImGui::BeginMenu(title)) {
        for (const MenuEntry& item : items)
            if (ImGui::MenuItem(item.text))
                frame.chosen = &item;
        ImGui::EndMenu();
    }
    frame.height = int(ImGui::GetWindowSize().y);
    ImGui::EndMainMenuBar();
    return frame;
}

} // namespace ollendor
