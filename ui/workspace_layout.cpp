#include "ui/workspace_layout.h"

#include <algorithm>
#include <cmath>

namespace ollendor {

namespace {

constexpr int pictureWidth = 320, pictureHeight = 200;
constexpr int narrowest = 160; // a column or strip thinner than this is not used for views
constexpr int lowest = 90;

bool inRightColumn(DebugView view)
{
    switch (view) {
    case DebugView::cpu:
    case DebugView::disassembly:
    case DebugView::breakpoints:
    case DebugView::callStack:
    case DebugView::trace:
    case DebugView::symbols:
        return true;
    default:
        return false;
    }
}

// The views in a grid over the region: as many columns as make the tiles nearest a
// landscape shape; the last row's tiles share its whole width. Edges meet exactly.
void tile(const LayoutRect& region, std::span<const DebugView> views, std::vector<WorkspaceTile>& out)
{
    const int n = int(views.size());
    if (n == 0 || region.empty())
        return;
    int bestColumns = 1;
    double bestScore = 1e9;
    for (int columns = 1; columns <= n; ++columns) {
        const int rows = (n + columns - 1) / columns;
        const double aspect = (double(region.width) / columns) / (double(region.height) / rows);
        const double score = std::abs(std::log(aspect / 1.5));
        if (score < bestScore - 1e-9) {
            bestScore = score;
            bestColumns = columns;
        }
    }
    const int rows = (n + bestColumns - 1) / bestColumns;
    int index = 0;
    for (int row = 0; row < rows; ++row) {
        const int inRow = std::min(bestColumns, n - index);
        const int y0 = region.y + region.height * row / rows;
        const int y1 = region.y + region.height * (row + 1) / rows;
        for (int column = 0; column < inRow; ++column, ++index) {
            const int x0 = region.x + region.width * column / inRow;
            const int x1 = region.x + region.width * (column + 1) / inRow;
            out.push_back({views[size_t(index)], LayoutRect{x0, y0, x1 - x0, y1 - y0}});
        }
    }
}

} // namespace

WorkspaceLayout layoutWorkspace(int width, int top, int bottom, std::span<const DebugView> open)
{
    WorkspaceLayout layout;
    const int height = std::max(0, bottom - top);
    width = std::max(0, width);
    if (open.empty()) {
        const int factor = std::max(1, std::min(width / pictureWidth, height / pictureHeight));
        const int w = pictureWidth * factor, h = pictureHeight * factor;
        layout.picture = LayoutRect{(width - w) / 2, top + (height - h) / 2, w, h};
        return layout;
    }
    // The picture takes at most two thirds of each way, so the views have a third.
    int factor = 1;
    while (pictureWidth * (factor + 1) * 3 <= width * 2 && pictureHeight * (factor + 1) * 3 <= height * 2)
        ++factor;
    layout.picture = LayoutRect{0, top, pictureWidth * factor, pictureHeight * factor};
    const LayoutRect& picture = layout.picture;

    LayoutRect column{picture.right(), top, width - picture.right(), height};
    LayoutRect strip{0, picture.bottom(), picture.width, bottom - picture.bottom()};
    const bool columnUsable = column.width >= narrowest && column.height >= lowest;
    const bool stripUsable = strip.height >= lowest && strip.width >= narrowest;

    std::vector<DebugView> inColumn, inStrip;
    for (DebugView view : open) {
        const bool right = (inRightColumn(view) && columnUsable) || !stripUsable;
        (right ? inColumn : inStrip).push_back(view);
    }
    // Neither place left empty while the other holds several.
    if (inStrip.empty() && stripUsable && inColumn.size() >= 2) {
        inStrip.push_back(inColumn.back());
        inColumn.pop_back();
    } else if (inColumn.empty() && columnUsable && inStrip.size() >= 2) {
        inColumn.push_back(inStrip.back());
        inStrip.pop_back();
    }
    // The strip reaches across under the column when the column is not used.
    if (inColumn.empty())
        strip.width = width;
    if (inStrip.empty())
        column = LayoutRect{picture.right(), top, width - picture.right(), height};
    tile(column, inColumn, layout.tiles);
    tile(strip, inStrip, layout.tiles);
    return layout;
}

LayoutRect keepOffPicture(const LayoutRect& rect, const LayoutRect& picture, int width, int bottom)
{
    if (!rect.overlaps(picture))
        return rect;
    LayoutRect right = rect, below = rect;
    right.x = picture.right();
    right.width = std::min(rect.width, width - right.x);
    below.y = picture.bottom();
    below.height = std::min(rect.height, bottom - below.y);
    // Moving costs the distance; shrinking costs what is lost of the view.
    const long rightCost = long(right.x - rect.x) * rect.height + long(rect.width - right.width) * rect.height;
    const long belowCost = long(below.y - rect.y) * rect.width + long(rect.height - below.height) * rect.width;
    if (right.width <= 0 && below.height <= 0)
        return rect; // no room anywhere: left where it is
    if (right.width <= 0)
        return below;
    if (below.height <= 0)
        return right;
    return rightCost <= belowCost ? right : below;
}

} // namespace ollendor
