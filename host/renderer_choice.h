// Which SDL renderer draws the windows. SDL prefers its accelerated (OpenGL) renderer, but
// where that GL is itself carried out on the CPU (Mesa's llvmpipe or softpipe on virtual
// machines and remote desktops) it costs two to three times what SDL's own software
// renderer does for the same picture. So, unless told otherwise, a GL renderer that names
// a CPU implementation is replaced by the software one.
#pragma once

#include <optional>
#include <string_view>

namespace ollendor {

enum class RendererChoice { automatic, software, accelerated };

// "auto", "software", "accelerated".
std::optional<RendererChoice> parseRendererChoice(std::string_view text);

// Whether a GL_RENDERER string names an implementation that runs on the CPU.
bool isSoftwareGl(std::string_view glRenderer);

// Whether to use SDL's software renderer, given what was asked for, the name of the
// renderer SDL made by preference ("opengl", "opengles2", "software" ...) and, for a GL
// one, its GL_RENDERER string.
bool useSoftwareRenderer(RendererChoice choice, std::string_view sdlRenderer, std::string_view glRenderer);

} // namespace ollendor
