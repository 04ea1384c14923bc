// The front end's drawing of the desktop's windows with Dear ImGui: the menu bar, the
// message box and the information windows, each in a file of its own. The SDL desktop
// is given one at start (host/sdl/sdl_platform.h) and calls it inside its ImGui frames.
#pragma once

#include "frontend/info_windows.h"
#include "frontend/menu_bar.h"
#include "frontend/message_box.h"
#include "host/window_drawing.h"

namespace ollendor {

class FrontendDrawing final : public WindowDrawing {
public:
    MenuBarFrame drawMenuBar(const char* title, std::span<const MenuEntry> items) override
    {
        return ollendor::drawMenuBar(title, items);
    }
    void drawMessageBox(MessageBoxState& box) override { ollendor::drawMessageBox(box); }
    void drawInfoWindow(InfoWindow kind, InfoSource& source) override
    {
        ollendor::drawInfoWindow(kind, source);
    }
};

} // namespace ollendor
