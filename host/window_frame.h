// Keeping the main window where the user left it. The window system gives and takes the
// client area's position, but what the user places is the frame around it (title bar and
// borders), whose size the window manager may tell only after the window is shown. So the
// settings keep the frame's corner: saved as the client corner less the borders, and asked
// back as the frame corner plus the borders known then (none yet: the frame corner itself,
// which is where a window manager puts a new window's frame). Either way the frame comes
// back where it was, with no drift from one run to the next. A place that would leave the
// window off the visible screen is pulled back onto it.
#pragma once

#include <algorithm>

namespace ollendor {

struct FrameBorders {
    int top = 0, left = 0, bottom = 0, right = 0;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The frame's corner of a client area at (x, y).
inline ScreenPoint frameCorner(ScreenPoint client, const FrameBorders& borders)
{
    return {client.x - borders.left, client.y - borders.top};
}

// The client position to ask for so the frame's corner lands at frame.
inline ScreenPoint clientRequest(ScreenPoint frame, const FrameBorders& borders)
{
    return {frame.x + borders.left, frame.y + borders.top};
}

// The frame's corner moved so a client area of width x height with those borders lies in
// the visible area (the screen less panels); one too big keeps its top left corner (and so
// its title bar) on the screen.
inline ScreenPoint clampFrame(ScreenPoint frame, int width, int height, const FrameBorders& borders,
                              const ScreenRect& visible)
{
    const int outerWidth = width + borders.left + borders.right;
    const int outerHeight = height + borders.top + borders.bottom;
    ScreenPoint kept = frame;
    kept.x = std::max(visible.x, std::min(kept.x, visible.x + visible.width - outerWidth));
    kept.y = std::max(visible.y, std::min(kept.y, visible.y + visible.height - outerHeight));
    return kept;
}

} // namespace ollendor
