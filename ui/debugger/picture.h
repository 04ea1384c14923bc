// Pictures of palette indices shown among a view's widgets, through the main window's
// textures.
#pragma once

#include "debug/indexed_picture.h"
#include "ui/debugger/picture_slots.h"

namespace ollendor {

// The pictures themselves and their RGBA: debug/indexed_picture.h.

// Shows the picture `scale` times its size through the slot's texture; without textures
// (no window), a line saying the pictures show in the window. Gives the texture id (or
// null) so that parts of it can be shown again with other coordinates.
void* showPicture(PictureSlots* textures, int slot, const IndexedPicture& picture, float scale);

} // namespace ollendor
