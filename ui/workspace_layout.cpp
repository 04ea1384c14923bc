#include "ui/workspace_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

// The height of each row of a grid of the views in that many columns (the last row's
// tiles share its whole width): each row at least the tallest least height of its views,
// what is left shared equally; when even the least heights do not fit, all rows alike.
// Returns how far the least heights fall short of the region (0: they fit).
int rowHeights(const LayoutRect& region, std::span<const DebugView> views, int columns, double scale,
               std::vector<int>& heights)
{
    const int n = int(views.size());
    const int rows = (n + columns - 1) / columns;
    std::vector<int> least(size_t(rows), 0);
    for (int i = 0; i < n; ++i)
        least[size_t(i / columns)] =
            std::max(least[size_t(i / columns)], int(viewMinimumHeight(views[size_t(i)]) * scale + 0.5));
    int sum = 0;
    for (int h : least)
        sum += h;
    heights.assign(size_t(rows), 0);
    if (sum <= region.height) {
        const int extra = region.height - sum;
        for (int row = 0; row < rows; ++row)
            heights[size_t(row)] = least[size_t(row)] + extra * (row + 1) / rows - extra * row / rows;
        return 0;
    }
    for (int row = 0; row < rows; ++row)
        heights[size_t(row)] = region.height * (row + 1) / rows - region.height * row / rows;
    return sum - region.height;
}

// The views in a grid over the region: of the column counts whose rows leave every view its
// least height (or, when none does, of all of them), the one whose tiles are
// nearest a landscape shape; none narrower than a column may be. Edges meet exactly.
void tile(const LayoutRect& region, std::span<const DebugView> views, double scale, std::vector<WorkspaceTile>& out)
{
    const int n = int(views.size());
    if (n == 0 || region.empty())
        return;
    int bestColumns = 1;
    int bestShort = 0;
    double bestScore = 1e9;
    std::vector<int> heights;
    for (int columns = 1; columns <= n; ++columns) {
        if (columns > 1 && region.width / columns < narrowest * scale)
            break; // tiles too narrow to read
        const int rows = (n + columns - 1) / columns;
        const int shortBy = rowHeights(region, views, columns, scale, heights);
        const double aspect = (double(region.width) / columns) / (double(region.height) / rows);
        const double score = std::abs(std::log(aspect / 1.5));
        // Fitting counts first; among those that do not, the shape alone decides.
        const bool better = columns == 1 || (shortBy == 0 && bestShort > 0) ||
                            ((shortBy == 0) == (bestShort == 0) && score < bestScore - 1e-9);
        if (better) {
            bestScore = score;
            bestShort = shortBy;
            bestColumns = columns;
        }
    }
    rowHeights(region, views, bestColumns, scale, heights);
    const int rows = int(heights.size());
    int index = 0;
    int y0 = region.y;
    for (int row = 0; row < rows; ++row) {
        const int inRow = std::min(bestColumns, n - index);
        const int y1 = row + 1 == rows ? region.bottom() : y0 + heights[size_t(row)];
        for (int column = 0; column < inRow; ++column, ++index) {
            const int x0 = region.x + region.width * column / inRow;
            const int x1 = region.x + region.width * (column + 1) / inRow;
            out.push_back({views[size_t(index)], LayoutRect{x0, y0, x1 - x0, y1 - y0}});
        }
        y0 = y1;
    }
}

} // namespace

int viewMinimumHeight(DebugView view)
{
    // What each view needs to show its fixed rows whole (its lists scroll below them), in
    // pixels of the default font: the title bar, the rows, and the window's padding.
    switch (view) {
    case DebugView::cpu: return 300;         // the state line, 7 rows of registers, the flags in 2 rows
    case DebugView::disassembly: return 150; // the go-to line and some lines of code
    case DebugView::memory: return 150;      // the area and address line, some rows of bytes
    case DebugView::breakpoints: return 130; // the two lines that add one, and the list
    case DebugView::callStack: return 100;   // where PC is, the table's header and some frames
    case DebugView::trace: return 150;       // search, export, and some lines
    case DebugView::videoChip: return 160;   // the tabs and some lines of the chosen one
    case DebugView::counterTimer: return 130; // the vector base, the four channels' table
    case DebugView::soundChip: return 120;   // the latch line, three channels' table
    case DebugView::keyboard: return 170;    // the last scan line and the 8-row grid's start
    case DebugView::tape: return 110;        // the folder, the image and the counts
    case DebugView::symbols: return 150;     // the file line, the filter and some names
    }
    return 100;
}

WorkspaceLayout layoutWorkspace(int width, int top, int bottom, std::span<const DebugView> open, double scale)
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
    tile(column, inColumn, scale, layout.tiles);
    tile(strip, inStrip, scale, layout.tiles);
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
