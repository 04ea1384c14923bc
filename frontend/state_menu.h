// The "Stuff" menu's items for save states and time:
//
//   Save state (F2 to slot 1)    >  slots 1-4, each with a small picture and when it was
//                                   saved; choosing one saves there and makes it the
//                                   current slot (the one F2 and F3 use)
//   Load state (F3 from slot 1)  >  the same slots; an empty one, or one that cannot be
//                                   loaded, says so and cannot be chosen
//   Rewind one second           F4 held, with what the rewind buffer holds below it
//   Fast forward                F10 held (shows whether it is on)
//   Mute                        Shift+F11
//   Screenshot                  F12
//
// The keys shown are the key map's. What an item asks for is done by the actions at the
// loop's next pass (frontend/hotkey_actions.h).
#pragma once

#include "control/control.h"
#include "frontend/hotkey_actions.h"
#include "frontend/hotkeys.h"
#include "frontend/loop.h"
#include "frontend/main_window_parts.h"
#include "frontend/slot_list.h"
#include "frontend/window_drawing.h"

namespace ollendor {

class StateMenu final : public MainWindowPart {
public:
    // Everything given must outlive the menu.
    StateMenu(HotkeyActions& actions, Control& control, Loop& loop, const HotkeyMap& keys,
              FrontendDrawing& drawing);
    ~StateMenu() override;

    void drawStuffItems() override;

    const SlotList& slots() const { return slots_; }

private:
    // The four slots as rows of a submenu; choosing one saves (or loads) it.
    void drawSlots(bool saving);
    // The picture of a slot, in a texture kept up to date; null when there is none.
    void* pictureOf(int slot);

    HotkeyActions& actions_;
    Control& control_;
    Loop& loop_;
    const HotkeyMap& keys_;
    FrontendDrawing& drawing_;
    SlotList slots_;
    struct Picture {
        TextureHandle handle = 0;  // in textures_
        uint64_t generation = 0;   // of the slot's entry it shows
    };
    Picture pictures_[stateSlotCount];
    Textures* textures_ = nullptr; // what the handles belong to
};

} // namespace ollendor
