#include "host/toolkit.h"

#include <algorithm>
#include <cmath>

namespace ollendor {

namespace {
Toolkit* installed = nullptr;

uint32_t component(float value)
{
    float clamped = std::clamp(value, 0.0f, 1.0f);
    return uint32_t(std::lround(clamped * 255.0f));
}
} // namespace

uint32_t packColour(const Colour& colour)
{
    return component(colour.red) << 16 | component(colour.green) << 8 | component(colour.blue);
}

void applyConsoleOption(ConsoleOptions& options, const std::string& option)
{
    if (option == "windowed output")
        options.fullscreen = false;
    else if (option == "fullscreen output")
        options.fullscreen = true;
    else if (option == "unsynchronized update")
        options.unsynchronized = true;
    else if (option == "disable key buffering")
        options.keyBuffering = false;
    else
        throw DynamicError("unknown console option \"" + option + "\"");
}

void installToolkit(Toolkit& toolkit)
{
    installed = &toolkit;
}

Toolkit& toolkit()
{
    if (!installed)
        throw DynamicError("no pixel toolkit installed");
    return *installed;
}

} // namespace ollendor
