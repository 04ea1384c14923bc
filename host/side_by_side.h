// Where a new information window goes: beside the main window and the information windows
// already open, never over one of them while the screen has room. The places tried are the
// main window's top row to its right, then beside or below each open window, then to the
// main window's left and below it (from the screen's left edge and its own), then left of each open window and beside the main
// window below each; the first that lies on the visible screen and covers no window is
// taken. With no such place, the first that covers no other information window (the main
// window may be covered), then a place along the bottom of the screen, and at last the
// visible screen's top left corner.
// Rectangles are frames: the windows with their title bars and borders.
#pragma once

#include <span>
#include <vector>

#include "host/window_frame.h"

namespace ollendor {

inline bool framesOverlap(const ScreenRect& a, const ScreenRect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

inline ScreenPoint sideBySide(const ScreenRect& visible, const ScreenRect& main, std::span<const ScreenRect> open,
                              int width, int height)
{
    std::vector<ScreenPoint> tried{{main.x + main.width, main.y}};
    for (const ScreenRect& other : open) {
        tried.push_back({other.x + other.width, other.y});
        tried.push_back({other.x, other.y + other.height});
    }
    tried.push_back({main.x - width, main.y});
    tried.push_back({visible.x, main.y + main.height});
    tried.push_back({main.x, main.y + main.height});
    for (const ScreenRect& other : open) {
        tried.push_back({other.x - width, other.y});
        tried.push_back({main.x - width, other.y + other.height});
        tried.push_back({main.x + main.width, other.y + other.height});
    }
    auto onScreen = [&](const ScreenRect& rect) {
        return rect.x >= visible.x && rect.y >= visible.y && rect.x + rect.width <= visible.x + visible.width &&
               rect.y + rect.height <= visible.y + visible.height;
    };
    auto coversOpen = [&](const ScreenRect& rect) {
        for (const ScreenRect& other : open)
            if (framesOverlap(rect, other))
                return true;
        return false;
    };
    for (const bool mainMayBeCovered : {false, true})
        for (const ScreenPoint point : tried) {
            const ScreenRect rect{point.x, point.y, width, height};
            if (onScreen(rect) && !coversOpen(rect) && (mainMayBeCovered || !framesOverlap(rect, main)))
                return point;
        }
    // Then along the bottom of the screen, left to right.
    for (int x = visible.x; x + width <= visible.x + visible.width; x += 16) {
        const ScreenRect rect{x, visible.y + visible.height - height, width, height};
        if (!coversOpen(rect))
            return {rect.x, rect.y};
    }
    return {visible.x, visible.y};
}

} // namespace ollendor
