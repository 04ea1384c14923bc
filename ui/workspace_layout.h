// Where the debugger's workspace puts things in the main window: the emulated picture in
// a panel of its own at the top left, at the largest whole factor that leaves room beside
// and below it, and the open views tiled around it (the code's views in the column at its
// right, memory and the chips' views in the strip below it), none over the picture and
// none over another.
#pragma once

#include <span>
#include <vector>

#include "ui/debugger/view_flags.h"

namespace ollendor {

struct LayoutRect {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool empty() const { return width <= 0 || height <= 0; }
    // Share some area (touching edges do not).
    bool overlaps(const LayoutRect& other) const
    {
        return !empty() && !other.empty() && x < other.right() && other.x < right() && y < other.bottom() &&
               other.y < bottom();
    }
    bool operator==(const LayoutRect&) const = default;
};

struct WorkspaceTile {
    DebugView view;
    LayoutRect rect;
};

struct WorkspaceLayout {
    LayoutRect picture; // exactly the picture: 320 x 200 times a whole factor
    std::vector<WorkspaceTile> tiles;
};

// The least height a view's tile should have (pixels, default font) to show its fixed rows
// whole; tiles get it wherever the window leaves room for it.
int viewMinimumHeight(DebugView view);

// The workspace in the area x 0..width, y top..bottom (below the menu bar, above any status
// line) with those views open. With none open the picture is centred in the whole area at
// the largest whole factor that fits (at least 1), as without the workspace.
// The views' least heights are taken at scale (the size of the widgets, 1 their default).
WorkspaceLayout layoutWorkspace(int width, int top, int bottom, std::span<const DebugView> open, double scale = 1.0);

// Where a view dropped at rect goes so it leaves the picture free: the nearer of just right
// of it and just below it that keeps it inside the window (width x bottom), shrunk to fit
// when neither does; unchanged when it does not cover the picture.
LayoutRect keepOffPicture(const LayoutRect& rect, const LayoutRect& picture, int width, int bottom);

} // namespace ollendor
