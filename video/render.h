// The video renderer: turns the video chip's state into a picture of palette indices.
//
// Draws Graphics I, Graphics II and Text from video memory on every call (no change
// tracking), then the sprites over the two graphics modes. Every other mode leaves the
// picture as it was; entering one is reported once (vdpRender's result), so that the
// machine can raise it as an event for its host.
// Not modelled: Multicolour mode, the four-sprites-per-row limit, collision and
// fifth-sprite status bits, sprite early clock (bit 7 of the colour byte).
#pragma once

#include <cstdint>

#include "video/vdp.h"

namespace ollendor {

inline constexpr unsigned frameWidth = 256;
inline constexpr unsigned frameHeight = 192;

// The picture: palette indices 0-15, rows of 256 bytes from the top.
struct FrameBuffer {
    uint8_t pixels[frameWidth * frameHeight]; // pixel (x, y) at y * 256 + x
};

// What the renderer remembers between frames: only the mode it last saw, so that an
// unsupported mode is reported when the program switches into it, not on every frame
// (a box per frame would leave the user no way to reach the menu).
struct RenderState {
    uint8_t previousMode; // mode of the previous vdpRender call; 0 (Graphics I) at start
};

// Redraws the whole picture from the video chip's state. Changes nothing in the chip. True
// when the chip has just entered a mode the renderer cannot draw (the picture is then left
// as it was).
bool vdpRender(const VdpState& vdp, RenderState& render, FrameBuffer& frame);

// The text of the "Unsupported mode" box for a mode number: "Mode not supported: 3".
void describeUnsupportedMode(char* text, unsigned size, uint8_t mode);

} // namespace ollendor
