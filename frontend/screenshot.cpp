#include "frontend/screenshot.h"

#include <vector>

#include <stb/stb_image_write.h>

#include "host/toolkit.h"
#include "video/display.h"

void writeScreenshot(const std::filesystem::path& file, const FrameBuffer& frame, bool blanked,
                     uint8_t backdrop)
{
    std::vector<uint32_t> pixels(consoleWidth * consoleHeight);
    composeConsole(pixels.data(), consoleWidth * 4, frame, blanked, backdrop);
    std::vector<uint8_t> rgb;
    rgb.reserve(pixels.size() * 3);
    for (uint32_t pixel : pixels) {
        rgb.push_back(uint8_t(pixel >> 16));
        rgb.push_back(uint8_t(pixel >> 8));
        rgb.push_back(uint8_t(pixel));
    }
    if (!stbi_write_png(file.c_str(), consoleWidth, consoleHeight, 3, rgb.data(), consoleWidth * 3))
        throw DynamicError("could not write the screenshot " + file.string());
}
