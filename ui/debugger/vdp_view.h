// The video chip view: the eight registers raw and decoded, the status byte and the
// address latch; the pattern, name and colour tables as pictures; the sprite attribute
// table as a list with each sprite's picture.
#pragma once

#include "ui/debugger/debug_context.h"
#include "ui/debugger/picture.h"

namespace ollendor {

// The picture slots of the main window's textures this view uploads to.
enum PictureSlot : int { patternSlot = 1, nameSlot, colourSlot, spriteSlot };

struct VdpView {
    IndexedPicture picture; // reused from frame to frame
    IndexedPicture sprites;
    int scale = 1;          // of the table pictures
    enum class Tab { none, registers, patterns, names, colours, sprites };
    Tab tab = Tab::registers; // chosen
    Tab shown = Tab::none;    // drawn at the last frame
};

void drawVdpView(VdpView& view, DebugContext& context, bool* open);

} // namespace ollendor
