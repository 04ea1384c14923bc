#include "debug/indexed_picture.h"

#include "video/display.h"

namespace ollendor {

void pictureToRgba(const IndexedPicture& picture, std::vector<uint8_t>& rgba)
{
    rgba.resize(picture.pixels.size() * 4);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const uint8_t index = picture.pixels[i];
        uint8_t* out = &rgba[i * 4];
        if (index >= 16) {
            out[0] = out[1] = out[2] = out[3] = 0;
            continue;
        }
        const uint32_t colour = displayPalette[index];
        out[0] = uint8_t(colour >> 16);
        out[1] = uint8_t(colour >> 8);
        out[2] = uint8_t(colour);
        out[3] = 255;
    }
}

} // namespace ollendor
