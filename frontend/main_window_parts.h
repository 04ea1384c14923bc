// What parts of the program add to the main window beyond the "Stuff" menu's fixed items
// and the message box: items of their own in "Stuff" (before "About"), menus of their own
// on the bar after it ("Debug"), and windows drawn inside the main window over the picture
// (the debugger's views, "Tapes"). Each part registers itself with the front end's drawing
// (frontend/window_drawing.h), which calls it inside the main window's ImGui frames.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/window_drawing.h"

namespace ollendor {

class MainWindowPart {
public:
    virtual ~MainWindowPart() = default;
    // Items inside the open "Stuff" menu, before "About".
    virtual void drawStuffItems() {}
    // Menus of their own on the bar, after "Stuff".
    virtual void drawMenus() {}
    // Windows inside the main window; under the message box, over the picture.
    virtual void drawWindows() {}
    // The names of its windows that are open now ("tapes"), kept in the settings; and
    // opening one of them by its name at start (false: not a window of this part).
    virtual void listOpenWindows(std::vector<std::string>& names) const { (void)names; }
    virtual bool openWindowNamed(const std::string& name) { (void)name; return false; }
    // What the part drew in this frame changed without input (a view of the running
    // machine): the main window is presented again.
    virtual bool wantsRedraw() const { return false; }
    // Where the emulated picture is to go (a panel the part keeps free of its windows);
    // none: the whole area below the bar.
    virtual std::optional<PictureArea> pictureArea() const { return std::nullopt; }
};

} // namespace ollendor
