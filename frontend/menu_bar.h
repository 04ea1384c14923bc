// The main window's menu bar, drawn with Dear ImGui: one menu whose items send commands.
#pragma once

#include <span>

#include "host/window_drawing.h"

namespace ollendor {

// Issues the bar with the menu of that title and its items in the current ImGui frame;
// gives the item clicked in this frame (the desktop decides whether it is carried out)
// and the bar's height, which the picture below it is laid out by.
MenuBarFrame drawMenuBar(const char* title, std::span<const MenuEntry> items);

} // namespace ollendor
