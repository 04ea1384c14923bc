// The debugger's pictures by slot (one per table or list a view shows), kept as textures
// of the main window: a slot's texture is made on first use and made again when the size
// changes or the window's textures were replaced; each upload replaces its pixels. The
// pictures are scaled without smoothing, so each pixel of video memory stays a square.
#pragma once

#include <cstdint>
#include <map>

#include "host/window_drawing.h"

namespace ollendor {

class PictureSlots {
public:
    // The textures to keep the pictures in from now on (null: there is no window). Handles
    // from textures that went are forgotten, not destroyed: they went with them.
    void use(Textures* textures);
    // Uploads width x height pixels (R, G, B, A bytes; rows one after the other) as the
    // slot's picture; gives what ImGui draws it by, or null when it cannot be shown. The
    // texture stays valid until the next upload to its slot with another size.
    void* upload(int slot, int width, int height, const uint8_t* rgba);
    // Gives the slots' textures back (when `textures` is still the one they are in).
    void release(Textures* textures);

private:
    struct Slot {
        TextureHandle handle = 0;
        int width = 0, height = 0;
    };
    Textures* textures_ = nullptr;
    std::map<int, Slot> slots_;
};

} // namespace ollendor
