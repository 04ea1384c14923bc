// The texts of the information windows, and where each line goes, from live state.
//
// Timings: the measured clock speed. Video chip: the eight VDP registers raw at the left and
// decoded at the right. Sound: each tone channel's published frequency and amplitude.
// The values are what the loop hands over at the moment the text is made: a value
// changing meanwhile shows up at the next repaint.
#pragma once

#include <cstddef>

#include "sound/soundchip.h"
#include "video/vdp.h"

namespace ollendor {

// The three information windows.
enum class InfoWindow { timings, videoChip, sound };
inline constexpr int infoWindowCount = 3;

inline constexpr std::size_t infoTextSize = 80; // longest line is well under this

// One line of text at a position in the window's client area.
struct InfoLine {
    int x;                    // left edge in pixels
    int y;                    // top edge in pixels
    char text[infoTextSize];  // the formatted line
};

inline constexpr int maxInfoLines = 24; // Video chip: 9 at the left, 14 at the right

// Window sizes in pixels, and where the Timings window's checkbox goes.
struct InfoWindowSize {
    int width;  // pixels across
    int height; // pixels down
};
inline constexpr InfoWindowSize infoWindowSizes[infoWindowCount] = {
    {320, 80},  // Timings
    {400, 280}, // Video chip
    {320, 80},  // Sound
};
inline constexpr int checkboxX = 8, checkboxY = 30;
inline constexpr const char* checkboxText = "Constrain to original Memotech speed";

// Mode codes of describeVdpMode.
inline constexpr int vdpModeUnrecognized = 5;

// What the windows show: the speed measured by the pacing, the video chip, and the tone
// settings the sound output plays.
struct InfoSources {
    uint32_t measuredHz;  // emulated cycles per second of host time, 0 before the first figure
    const VdpState& vdp;  // the running machine's video chip
    ToneSettings tones;   // what the sound output was last given
};

// What the information windows read, and the one setting they change (the Timings
// window's "Constrain to original Memotech speed").
class InfoSource {
public:
    virtual ~InfoSource() = default;
    virtual InfoSources infoSources() = 0;
    virtual bool speedLimited() = 0;
    virtual void setSpeedLimited(bool limited) = 0;
};

// Writes the name of the video chip's display mode and gives its code (0 Graphics I,
// 1 Graphics II, 2 Multicolour, 3 Text, 5 anything else).
int describeVdpMode(const VdpState& vdp, char* text, std::size_t size);
// Writes the decoded text of line 0-13 of the video chip's registers and gives 1, or gives
// 0 (writing nothing) for a line number past the last.
int describeVdpLine(const VdpState& vdp, char* text, std::size_t size, int line);

// Fills lines with the window's contents; gives the number of lines.
int infoWindowLines(InfoWindow kind, const InfoSources& sources, InfoLine (&lines)[maxInfoLines]);

} // namespace ollendor
