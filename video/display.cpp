#include "video/display.h"

#include <algorithm>
#include <cstddef>

namespace ollendor {

namespace {

uint32_t* consoleRow(uint32_t* pixels, int pitch, int row)
{
    return reinterpret_cast<uint32_t*>(reinterpret_cast<std::byte*>(pixels) +
                                       std::ptrdiff_t(row) * pitch);
}

// Border of the backdrop colour around the picture copied through the palette.
void composePicture(uint32_t* pixels, int pitch, const FrameBuffer& frame, uint8_t backdrop)
{
    const uint32_t border = displayPalette[backdrop & 0x0F];
    for (int row = 0; row < consoleHeight; ++row) {
        uint32_t* line = consoleRow(pixels, pitch, row);
        if (row < pictureTop || row >= pictureTop + int(frameHeight)) {
            std::fill(line, line + consoleWidth, border);
            continue;
        }
        std::fill(line, line + pictureLeft, border);
        std::fill(line + pictureLeft + frameWidth, line + consoleWidth, border);
        const uint8_t* source = frame.pixels + (row - pictureTop) * frameWidth;
        uint32_t* target = line + pictureLeft;
        for (unsigned x = 0; x < frameWidth; ++x)
            target[x] = displayPalette[std::min<uint8_t>(source[x], 15)];
    }
}
} // namespace

uint8_t backdropColour(const VdpState& vdp)
{
    return vdp.registers[7] & 0x0F;
}

bool displayBlanked(const VdpState& vdp)
{
    return (vdp.registers[1] & 0x40) == 0;
}

void composeConsole(uint32_t* pixels, int pitch, const FrameBuffer& frame, bool blanked,
                    uint8_t backdrop)
{
    if (!blanked) {
        composePicture(pixels, pitch, frame, backdrop);
        return;
    }
    for (int row = 0; row < consoleHeight; ++row) {
        uint32_t* line = consoleRow(pixels, pitch, row);
        std::fill(line, line + consoleWidth, blankedColour);
    }
}

} // namespace ollendor
