#include "host/renderer_choice.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace ollendor {

std::optional<RendererChoice> parseRendererChoice(std::string_view text)
{
    if (text == "auto")
        return RendererChoice::automatic;
    if (text == "software")
        return RendererChoice::software;
    if (text == "accelerated")
        return RendererChoice::accelerated;
    return std::nullopt;
}

bool isSoftwareGl(std::string_view glRenderer)
{
    std::string lower(glRenderer);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (std::string_view cpu : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swr ", "lavapipe"})
        if (lower.find(cpu) != std::string::npos)
            return true;
    return false;
}

bool useSoftwareRenderer(RendererChoice choice, std::string_view sdlRenderer, std::string_view glRenderer)
{
    switch (choice) {
    case RendererChoice::software: return true;
    case RendererChoice::accelerated: return false;
    case RendererChoice::automatic: break;
    }
    return sdlRenderer.starts_with("opengl") && isSoftwareGl(glRenderer);
}

} // namespace ollendor
