#include "video/display.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "host/toolkit.h"
#include "video/vdp.h"

namespace {
std::unique_ptr<Timer> updateTimer; // seconds since the last presentation

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

uint8_t backdropColour()
{
    return vdp.registers[7] & 0x0F;
}

bool displayBlanked()
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

void displaySetup()
{
    updateTimer = toolkit().createTimer();
    updateTimer->start();
}

void displayTeardown()
{
    updateTimer.reset();
}

void displayUpdate(const FrameBuffer& frame)
{
    if (!updateTimer)
        throw DynamicError("display update before display set-up");
    if (updateTimer->time() <= presentationInterval)
        return;
    updateTimer->setTime(0.0);

    Console& console = toolkit().console();
    if (displayBlanked()) {
        console.clear(Colour{0.0f, 1.0f, 0.0f, 1.0f});
        console.update();
        return;
    }
    uint32_t* pixels = console.lock();
    composePicture(pixels, console.pitch(), frame, backdropColour());
    console.unlock();
    console.update();
}

void renderFrame()
{
    vdpRender(frameBuffer);
    displayUpdate(frameBuffer);
}
