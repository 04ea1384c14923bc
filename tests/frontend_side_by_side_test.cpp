// The information windows open beside the main window and one another: on screens of the
// sizes people use, with the main window where it may be, the three never cover one
// another, stay on the visible screen, and keep off the main window wherever there is room.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "debug/info_text.h"
#include "host/side_by_side.h"

using namespace ollendor;

namespace {

bool inside(const ScreenRect& rect, const ScreenRect& visible)
{
    return rect.x >= visible.x && rect.y >= visible.y && rect.x + rect.width <= visible.x + visible.width &&
           rect.y + rect.height <= visible.y + visible.height;
}

} // namespace

TEST(SideBySide, InformationWindowsNeverCoverOneAnotherAndKeepOffTheMainWindowWhenThereIsRoom)
{
    // The three windows' frames: their sizes with a title bar and borders.
    int sizes[3][2];
    for (int kind = 0; kind < 3; ++kind) {
        sizes[kind][0] = infoWindowSizes[kind].width + 2;
        sizes[kind][1] = infoWindowSizes[kind].height + 24;
    }
    int widest = 0, tallest = 0, stacked = 0, inRow = 0;
    for (const auto& size : sizes) {
        widest = std::max(widest, size[0]);
        tallest = std::max(tallest, size[1]);
        stacked += size[1];
        inRow += size[0];
    }
    const ScreenRect screens[] = {{0, 0, 1366, 768}, {0, 27, 1920, 1053}, {0, 0, 1024, 600}, {1920, 0, 1280, 1024}};
    for (const ScreenRect& visible : screens)
        for (int mainWidth : {962, 1282, 700})
            for (int mainX : {visible.x, visible.x + 200, visible.x + visible.width - mainWidth})
                for (int order = 0; order < 6; ++order) {
                    const ScreenRect main{mainX, visible.y, mainWidth, 600 + 24};
                    const int kinds[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
                    std::vector<ScreenRect> open;
                    SCOPED_TRACE("screen " + std::to_string(visible.width) + " main at " + std::to_string(mainX) +
                                 " width " + std::to_string(mainWidth) + " order " + std::to_string(order));
                    for (int kind : kinds[order]) {
                        const int width = sizes[kind][0], height = sizes[kind][1];
                        const ScreenPoint at = sideBySide(visible, main, open, width, height);
                        const ScreenRect rect{at.x, at.y, width, height};
                        ASSERT_TRUE(inside(rect, visible)) << at.x << "," << at.y;
                        for (const ScreenRect& other : open)
                            ASSERT_FALSE(framesOverlap(rect, other)) << at.x << "," << at.y;
                        // Plain room beside the main window (a strip that holds the three
                        // stacked) or below it (one that holds them in a row): kept off it.
                        const int beside = std::max(main.x - visible.x, visible.x + visible.width - main.x - mainWidth);
                        const int below = visible.y + visible.height - main.y - main.height;
                        const bool room = (beside >= widest && visible.height >= stacked) ||
                                          (below >= tallest && visible.width >= inRow);
                        if (room) {
                            EXPECT_FALSE(framesOverlap(rect, main)) << at.x << "," << at.y;
                        }
                        open.push_back(rect);
                    }
                }
}
