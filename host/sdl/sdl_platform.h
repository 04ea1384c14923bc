// The desktop platform: the SDL host, the SDL toolkit and the SDL desktop. This header
// carries no SDL, so program entry can make the platform without seeing SDL.
#pragma once

#include <memory>

#include "host/platform.h"

namespace ollendor {

// SDL's video starts when the main window is created.
std::unique_ptr<Platform> createSdlPlatform(const PlatformSettings& settings);

} // namespace ollendor
