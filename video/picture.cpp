#include "video/picture.h"

#include <stb/stb_image_write.h>

#include "video/display.h"

namespace ollendor {

namespace {
// stb's writer hands the encoded file over in pieces; they are gathered in memory.
void appendBytes(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    const auto* first = static_cast<const uint8_t*>(data);
    bytes->insert(bytes->end(), first, first + size);
}
} // namespace

std::vector<uint8_t> consolePng(const FrameBuffer& frame, bool blanked, uint8_t backdrop)
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
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(appendBytes, &png, consoleWidth, consoleHeight, 3, rgb.data(), consoleWidth * 3))
        png.clear();
    return png;
}

} // namespace ollendor
