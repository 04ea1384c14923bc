// The main window's picture after a resize: the largest whole scale that fits below the
// menu bar, centred, black around; the window's size and place as the settings keep them;
// and which renderer draws the windows (software where the GL runs on the CPU).
#include <gtest/gtest.h>

#include <cstdlib>

#include <SDL.h>

#include "host/renderer_choice.h"
#include "host/sdl/sdl_renderer.h"
#include "host/sdl/sdl_window.h"
#include "tests/support/sdl_leaks.h"

using namespace ollendor;

TEST(PictureFit, LargestWholeScaleCentredForEverySize)
{
    struct Case {
        int width, height, top;
        SDL_Rect expected;
    };
    const Case cases[] = {
        {960, 619, 19, {0, 19, 960, 600}},      // the window as made at scale 3
        {1000, 700, 19, {20, 59, 960, 600}},    // a little larger: still 3, centred
        {1280, 619, 19, {160, 19, 960, 600}},   // wide: black at the sides
        {960, 1000, 19, {0, 209, 960, 600}},    // tall: black above and below
        {959, 619, 19, {159, 119, 640, 400}},   // one pixel short of 3 wide: 2
        {960, 618, 19, {160, 118, 640, 400}},   // one pixel short of 3 high: 2
        {1600, 1019, 19, {0, 19, 1600, 1000}},  // exactly 5
        {3840, 2160, 0, {320, 80, 3200, 2000}}, // full screen without the bar: 10
        {200, 100, 19, {-60, -40, 320, 200}},   // smaller than the picture: 1, centred
        {0, 0, 19, {-160, -81, 320, 200}},      // a collapsed window does not divide by zero
    };
    for (const Case& c : cases) {
        const SDL_Rect got = SdlWindow::pictureRect(c.width, c.height, c.top);
        EXPECT_EQ(got.w * 200, got.h * 320) << c.width << "x" << c.height << ": the aspect is kept";
        EXPECT_TRUE(got.x == c.expected.x && got.y == c.expected.y && got.w == c.expected.w && got.h == c.expected.h)
            << c.width << "x" << c.height << " gave " << got.x << "," << got.y << " " << got.w << "x" << got.h;
    }
}

TEST(PictureFit, ResizedWindowKeepsItsSizeAndPlaceForTheSettings)
{
    SdlAllocationsIgnored sdlAllocations;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    {
        SdlWindow window("fit", 960, 600);
        WindowPlacement placement;
        placement.width = 700;
        placement.height = 450;
        window.place(placement);
        int width = 0, height = 0;
        ASSERT_EQ(SDL_GetRendererOutputSize(window.renderer(), &width, &height), 0);
        EXPECT_EQ(width, 700);
        EXPECT_EQ(height, 450);
        const SDL_Rect picture = SdlWindow::pictureRect(width, height, 0);
        EXPECT_EQ(picture.w, 640);
        EXPECT_EQ(picture.x, 30);
        const WindowPlacement now = window.placement();
        EXPECT_EQ(now.width, 700);
        EXPECT_EQ(now.height, 450);
        EXPECT_TRUE(now.x && now.y);
        // No size given: the size stays.
        window.place(WindowPlacement{});
        EXPECT_EQ(window.placement().width, 700);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    unsetenv("SDL_VIDEODRIVER");
}

TEST(RendererChoice, SoftwareWhereTheGlRunsOnTheCpuUnlessTold)
{
    // What Mesa and others call their CPU implementations.
    for (const char* cpu : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer",
                            "Mesa X11 swrast", "SWR (LLVM 12, 256 bits)"})
        EXPECT_TRUE(isSoftwareGl(cpu)) << cpu;
    for (const char* gpu : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon RX 6600 (navi23, LLVM 15)",
                            "NVIDIA GeForce GTX 1060/PCIe/SSE2", "virgl", ""})
        EXPECT_FALSE(isSoftwareGl(gpu)) << gpu;

    const char* llvmpipe = "llvmpipe (LLVM 15.0.6, 256 bits)";
    const char* intel = "Mesa Intel(R) UHD Graphics 620";
    EXPECT_TRUE(useSoftwareRenderer(RendererChoice::automatic, "opengl", llvmpipe));
    EXPECT_TRUE(useSoftwareRenderer(RendererChoice::automatic, "opengles2", llvmpipe));
    EXPECT_FALSE(useSoftwareRenderer(RendererChoice::automatic, "opengl", intel));
    // A renderer that is no GL at all is not second-guessed by a GL name.
    EXPECT_FALSE(useSoftwareRenderer(RendererChoice::automatic, "direct3d", llvmpipe));
    // The overrides.
    EXPECT_FALSE(useSoftwareRenderer(RendererChoice::accelerated, "opengl", llvmpipe));
    EXPECT_TRUE(useSoftwareRenderer(RendererChoice::software, "opengl", intel));

    EXPECT_EQ(parseRendererChoice("auto"), RendererChoice::automatic);
    EXPECT_EQ(parseRendererChoice("software"), RendererChoice::software);
    EXPECT_EQ(parseRendererChoice("accelerated"), RendererChoice::accelerated);
    EXPECT_FALSE(parseRendererChoice("Software"));
    EXPECT_FALSE(parseRendererChoice(""));
}

TEST(RendererChoice, SoftwareWindowsDrawWithoutAGlTextureBehind)
{
    SdlAllocationsIgnored sdlAllocations;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    setRendererChoice(RendererChoice::software);
    {
        SdlWindow first("first", 320, 200);
        SdlWindow second("second", 320, 200); // the choice holds for every window
        for (SDL_Renderer* renderer : {first.renderer(), second.renderer()}) {
            SDL_RendererInfo info{};
            ASSERT_EQ(SDL_GetRendererInfo(renderer, &info), 0);
            EXPECT_STREQ(info.name, "software");
        }
        // SDL would otherwise put the software picture through a GL texture.
        const char* hint = SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
        ASSERT_NE(hint, nullptr);
        EXPECT_STREQ(hint, "0");
    }
    setRendererChoice(RendererChoice::automatic);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    unsetenv("SDL_VIDEODRIVER");
}

TEST(UiScale, FollowsTheDisplaysDpiInQuarterStepsFromOneToThree)
{
    const std::pair<float, double> table[] = {{0, 1.0},     {72, 1.0},   {96, 1.0},  {119, 1.0}, {120, 1.25},
                                              {144, 1.5},   {168, 1.75}, {192, 2.0}, {200, 2.0}, {288, 3.0},
                                              {600, 3.0}};
    for (const auto& [dpi, scale] : table)
        EXPECT_EQ(uiScaleForDpi(dpi), scale) << dpi;
}
