// Pictures of palette indices (the same 16 colours as the screen, or transparent), as the
// debugger draws the video chip's tables, and their RGBA for a texture or a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ollendor {

inline constexpr uint8_t transparentIndex = 16; // no colour: the window shows through

struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // rows from the top, palette index per pixel

    void resize(int w, int h, uint8_t fill = transparentIndex)
    {
        width = w;
        height = h;
        pixels.assign(size_t(w) * size_t(h), fill);
    }
    uint8_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void set(int x, int y, uint8_t index) { pixels[size_t(y) * size_t(width) + size_t(x)] = index; }
};

// The picture in the display's colours, 4 bytes a pixel (R, G, B, A).
void pictureToRgba(const IndexedPicture& picture, std::vector<uint8_t>& rgba);

} // namespace ollendor
