// The main window's place kept from run to run under a simulated window manager that draws
// a frame (1 pixel at the sides, a 22-pixel title bar) and tells its size only once the
// window is shown: saved and restored over several runs, the frame stays where the user
// left it (no drift by the frame's size); a place off the visible screen is pulled back.
#include <gtest/gtest.h>

#include "host/window_frame.h"

using namespace ollendor;

namespace {

// What a reparenting window manager does with the client positions asked of it: with the
// borders known, the client goes where asked (the frame around it); before that, a new
// window's frame goes to the place asked (the gravity of a fresh window).
struct SimulatedWindowManager {
    FrameBorders borders{22, 1, 1, 1};
    bool bordersKnown = false;
    ScreenPoint client;

    FrameBorders told() const { return bordersKnown ? borders : FrameBorders{}; }
    void ask(ScreenPoint request)
    {
        client = bordersKnown ? request : ScreenPoint{request.x + borders.left, request.y + borders.top};
    }
    // One run: the window is made and placed from the settings, then shown (the borders
    // become known); at quit its place is saved.
    ScreenPoint run(ScreenPoint savedFrame, bool knownAtStart)
    {
        bordersKnown = knownAtStart;
        ask(clientRequest(savedFrame, told()));
        bordersKnown = true;
        return frameCorner(client, told());
    }
};

} // namespace

TEST(WindowPlace, TheFrameComesBackWhereItWasRunAfterRun)
{
    for (const bool knownAtStart : {false, true}) {
        SimulatedWindowManager wm;
        ScreenPoint saved{40, 30};
        for (int run = 0; run < 5; ++run) {
            saved = wm.run(saved, knownAtStart);
            EXPECT_EQ(saved, (ScreenPoint{40, 30})) << "run " << run << (knownAtStart ? " (borders known)" : "");
        }
        // And the client area is inside the frame at the frame's corner.
        EXPECT_EQ(wm.client, (ScreenPoint{41, 52}));
    }
}

TEST(WindowPlace, APlaceOffTheVisibleScreenIsPulledBack)
{
    const FrameBorders borders{22, 1, 1, 1};
    const ScreenRect visible{0, 24, 1920, 1056}; // a panel along the top
    // Off to the right and below: the whole window back on the screen.
    EXPECT_EQ(clampFrame({1800, 900}, 960, 619, borders, visible), (ScreenPoint{1920 - 962, 24 + 1056 - 642}));
    // Above the panel and off to the left.
    EXPECT_EQ(clampFrame({-300, 0}, 960, 619, borders, visible), (ScreenPoint{0, 24}));
    // Already in place: unchanged.
    EXPECT_EQ(clampFrame({100, 100}, 960, 619, borders, visible), (ScreenPoint{100, 100}));
    // Bigger than the screen: the title bar stays reachable at the top left.
    EXPECT_EQ(clampFrame({500, 500}, 3000, 2000, borders, visible), (ScreenPoint{0, 24}));
}
