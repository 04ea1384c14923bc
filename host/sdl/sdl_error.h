// Failures of SDL and ImGui calls become DynamicError with the call's name and SDL's reason.
#pragma once

#include <string>

#include <SDL.h>

#include "host/toolkit.h"

namespace ollendor {

[[noreturn]] inline void throwSdlError(const std::string& call)
{
    throw DynamicError(call + ": " + SDL_GetError());
}

} // namespace ollendor
