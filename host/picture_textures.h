// Pictures shown among the widgets of the main window (the debugger's views of video
// memory): the front end builds RGBA pixels and the desktop uploads them to a texture of
// the window's renderer, giving back the id Dear ImGui draws that texture by. The SDL
// main window hands one to the front end's drawing (WindowDrawing::setPictureTextures);
// without a window there is none, and the views show their tables as text only.
#pragma once

#include <cstdint>

namespace ollendor {

class PictureTextures {
public:
    virtual ~PictureTextures() = default;
    // Uploads width x height pixels (4 bytes each: red, green, blue, alpha; rows one after
    // the other) as picture `slot`, making its texture on first use or when the size
    // changes. Gives the texture as an ImTextureID, or null when it could not be made (the
    // reason is reported once). A texture stays valid until the next upload to its slot
    // with another size, so what one frame drew can still be presented.
    virtual void* upload(int slot, int width, int height, const uint8_t* rgba) = 0;
};

} // namespace ollendor
