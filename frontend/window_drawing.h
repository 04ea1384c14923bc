// The front end's drawing of the desktop's windows with Dear ImGui: the menu bar, the
// message box and the information windows, each in a file of its own. The SDL desktop
// is given one at start (host/sdl/sdl_platform.h) and calls it inside its ImGui frames.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "frontend/info_windows.h"
#include "frontend/main_window.h"
#include "frontend/main_window_parts.h"
#include "frontend/menu_bar.h"
#include "frontend/message_box.h"
#include "host/window_drawing.h"

namespace ollendor {

class FrontendDrawing final : public WindowDrawing {
public:
    MenuBarFrame drawMenuBar(const char* title, std::span<const MenuEntry> items) override
    {
        MenuBarFrame frame = ollendor::drawMenuBar(title, items, parts_, menuCommand::about);
        // The parts' windows come after the bar in the same frame, under the box.
        for (MainWindowPart* part : parts_) {
            part->drawWindows();
            frame.redraw = frame.redraw || part->wantsRedraw();
            if (const std::optional<PictureArea> area = part->pictureArea())
                frame.picture = *area;
        }
        return frame;
    }
    void drawMessageBox(MessageBoxState& box) override { ollendor::drawMessageBox(box); }
    void drawInfoWindow(InfoWindow kind, InfoSource& source) override
    {
        ollendor::drawInfoWindow(kind, source);
    }

    void setTextures(Textures* textures) override { textures_ = textures; }
    // The main window's textures for the parts' pictures; null while there is no window
    // (headless, or in a test without one).
    Textures* textures() const { return textures_; }

    // A part of the program with items, menus or windows in the main window; it must outlive
    // its use (removeParts before it goes).
    void addPart(MainWindowPart& part) { parts_.push_back(&part); }
    // The same at that place among the parts (its menus before those of the later ones).
    void insertPart(MainWindowPart& part, size_t index)
    {
        parts_.insert(parts_.begin() + std::ptrdiff_t(std::min(index, parts_.size())), &part);
    }
    void removeParts() { parts_.clear(); }
    std::span<MainWindowPart* const> parts() const { return parts_; }

private:
    std::vector<MainWindowPart*> parts_;
    Textures* textures_ = nullptr;
};

} // namespace ollendor
