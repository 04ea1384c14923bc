// The picture as an image file: the 320 x 200 console a frame is shown on, as a PNG (what
// --screenshot writes, and what the automation server's screenshot gives).
#pragma once

#include <cstdint>
#include <vector>

#include "video/render.h"

namespace ollendor {

// The PNG bytes of the console for that frame; empty if it could not be encoded.
std::vector<uint8_t> consolePng(const FrameBuffer& frame, bool blanked, uint8_t backdrop);

} // namespace ollendor
