// The video chip's tables as the renderer reads them, for the video chip view: where each
// table lies in this mode, the tables as pictures of palette indices, and the sprite
// attribute table as a list with each sprite's picture.
//
// Patterns: every pattern of the table, 32 to a row, set bits white on black (Graphics II:
// all three blocks of 256, so 256 x 192; otherwise 256 x 64). Names: the screen as the name
// table and the patterns and colours give it, without sprites (Text: 240 x 192). Colours:
// Graphics I's 32 bytes as 8 x 8 cells, foreground left and background right; Graphics
// II's 6 KiB laid out as the pattern picture is, each pattern row's two colours side by
// side. Text mode takes its colours from register 7 and has no colour table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "debug/indexed_picture.h"
#include "video/tables.h"
#include "video/vdp.h"

namespace ollendor {

void patternPicture(const VdpState& vdp, IndexedPicture& picture);
void namePicture(const VdpState& vdp, IndexedPicture& picture);
// An empty picture (0 x 0) in Text mode.
void colourPicture(const VdpState& vdp, IndexedPicture& picture);

// Every sprite's pattern in its colour on transparent, side by side (32 x size across):
// sprite i at x = i * size.
void spritePictures(const VdpState& vdp, const SpriteTable& table, IndexedPicture& picture);

} // namespace ollendor
