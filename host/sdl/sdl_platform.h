// The desktop platform: the SDL toolkit, the SDL desktop, the host's keyboard and the SDL
// sound device. This header carries no SDL, so program entry can make the platform without
// seeing SDL.
#pragma once

#include <memory>

#include "host/platform.h"
#include "host/window_drawing.h"

namespace ollendor {

// SDL's video starts when the main window is created. The windows' widgets are issued by
// drawing, which must outlive the platform.
std::unique_ptr<Platform> createSdlPlatform(const PlatformSettings& settings, WindowDrawing& drawing);

} // namespace ollendor
