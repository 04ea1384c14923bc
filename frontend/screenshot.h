// --screenshot: the console as displayUpdate presents the last rendered frame, as a PNG.
#pragma once

#include <cstdint>
#include <filesystem>

#include "video/render.h"

namespace ollendor {

// Writes the 320 x 200 console for that frame through a temporary file beside it; throws
// DynamicError, with the reason, when it cannot (an older file at that name is then intact).
void writeScreenshot(const std::filesystem::path& file, const FrameBuffer& frame, bool blanked,
                     uint8_t backdrop);

} // namespace ollendor
