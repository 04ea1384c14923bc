// The main window's menu bar, drawn with Dear ImGui: one menu whose items send commands.
#pragma once

#include <span>

#include "frontend/main_window_parts.h"
#include "host/window_drawing.h"

namespace ollendor {

// Issues the bar with the menu of that title and its items in the current ImGui frame;
// gives the item clicked in this frame (the desktop decides whether it is carried out)
// and the bar's height, which the picture below it is laid out by. The parts add their
// items to the menu (before the item whose command is insertBefore) and their own menus.
MenuBarFrame drawMenuBar(const char* title, std::span<const MenuEntry> items,
                         std::span<MainWindowPart* const> parts = {}, int insertBefore = -1);

} // namespace ollendor
