// Display output: the rendered picture onto the toolkit's 320 x 200 console.
//
// The 256 x 192 picture sits at console (32, 4) inside a border of the backdrop colour,
// turned into console colours through displayPalette (index 0 shows as pure red, like any
// other entry). A blanked display (register 1 bit 6 clear) shows the whole console pure
// green. The same composition gives the window's picture, --screenshot and every view of
// the picture; presenting it is the host's business.
#pragma once

#include <cstdint>

#include "video/render.h"
#include "video/vdp.h"

namespace ollendor {

inline constexpr int consoleWidth = 320;  // the console the picture is composed on
inline constexpr int consoleHeight = 200;
inline constexpr int pictureLeft = 32; // console column of picture column 0
inline constexpr int pictureTop = 4;   // console row of picture row 0

// Console colour (0x00RRGGBB) of each palette index.
inline constexpr uint32_t displayPalette[16] = {
    0xFF0000, // 0: pure red, not the backdrop
    0x000000, // 1
    0x33EE33, // 2
    0x55FF55, // 3
    0x0000CC, // 4
    0x5555FF, // 5
    0xCC0000, // 6
    0xABCACB, // 7
    0xEE3333, // 8
    0xFF5555, // 9
    0xAA13BB, // 10
    0x34AA32, // 11
    0x00CC00, // 12
    0xAB23BA, // 13
    0x774500, // 14
    0xFFFFFF, // 15
};

inline constexpr uint32_t blankedColour = 0x00FF00; // the whole console while blanked

// Register 7 AND 0x0F of the video chip.
uint8_t backdropColour(const VdpState& vdp);
// True while register 1 bit 6 is clear.
bool displayBlanked(const VdpState& vdp);

// The console as it is shown, drawn into pixels whose rows are pitch bytes apart: border
// and picture, or all green when blanked.
void composeConsole(uint32_t* pixels, int pitch, const FrameBuffer& frame, bool blanked,
                    uint8_t backdrop);

} // namespace ollendor
