// The main window draws again only what changed (the software renderer keeps its window's
// pixels): after any run of frames, what it shows is what drawing it all would show. Views
// beside a picture panel change their text, move, change their picture's pixels only, or
// stand still, on SDL's offscreen driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <imgui.h>
#include <SDL.h>

#include "frontend/window_drawing.h"
#include "host/sdl/sdl_platform.h"
#include "host/sdl/sdl_renderer.h"
#include "host/sdl/sdl_toolkit.h"
#include "host/sdl/sdl_window.h"
#include "tests/support/sdl_leaks.h"

using namespace ollendor;

namespace {

// A picture panel at the top left and three windows beside and below it.
class ChangingPart : public MainWindowPart {
public:
    explicit ChangingPart(FrontendDrawing& drawing) : drawing(drawing) {}
    void drawWindows() override
    {
        ImGui::SetNextWindowPos(ImVec2(330, 20));
        ImGui::SetNextWindowSize(ImVec2(200, 80));
        ImGui::Begin("counter", nullptr, ImGuiWindowFlags_NoSavedSettings);
        ImGui::Text("count %d", count);
        ImGui::End();
        ImGui::SetNextWindowPos(ImVec2(330, 110 + float(moved)));
        ImGui::SetNextWindowSize(ImVec2(200, 60));
        ImGui::Begin("still", nullptr, ImGuiWindowFlags_NoSavedSettings);
        ImGui::TextUnformatted("the same text");
        ImGui::End();
        ImGui::SetNextWindowPos(ImVec2(10, 230));
        ImGui::SetNextWindowSize(ImVec2(120, 60));
        ImGui::Begin("picture", nullptr, ImGuiWindowFlags_NoSavedSettings);
        if (handle)
            ImGui::Image(drawing.textures()->imguiTexture(handle), ImVec2(40, 20));
        ImGui::End();
    }
    std::optional<PictureArea> pictureArea() const override { return PictureArea{0, 19, 320, 200}; }
    FrontendDrawing& drawing;
    int count = 0;
    int moved = 0;
    TextureHandle handle = 0;
};

std::vector<uint32_t> shown(SDL_Renderer* renderer, int width, int height)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    EXPECT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), width * 4), 0)
        << SDL_GetError();
    for (uint32_t& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

TEST(SdlRedraw, WhatIsShownAfterPartialDrawingIsWhatDrawingItAllShows)
{
    SdlAllocationsIgnored sdlAllocations;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    {
        auto toolkitOwner = std::make_unique<SdlToolkit>(1);
        installToolkit(*toolkitOwner);
        FrontendDrawing drawing;
        ChangingPart part(drawing);
        drawing.addPart(part);
        {
            PlatformSettings settings;
            settings.scale = 1;
            settings.renderer = RendererChoice::software;
            settings.mainWindow.width = 560;
            settings.mainWindow.height = 320;
            std::unique_ptr<Platform> platform = createSdlPlatform(settings, drawing);
            auto& window = dynamic_cast<MainWindow&>(platform->desktop().createMainWindow("Stuff", {}, [](int) {}));
            SDL_RendererInfo info{};
            ASSERT_EQ(SDL_GetRendererInfo(window.renderer(), &info), 0);
            ASSERT_STREQ(info.name, "software");
            int width = 0, height = 0;
            ASSERT_EQ(SDL_GetRendererOutputSize(window.renderer(), &width, &height), 0);

            // The console's picture in the panel, changing too.
            Console& console = toolkit().console();
            console.open(window, consoleWidth, consoleHeight, consoleFormat);
            Textures* textures = drawing.textures();
            ASSERT_NE(textures, nullptr);
            part.handle = textures->create(2, 1, TextureScaling::sharp);
            ASSERT_NE(part.handle, 0u);

            SDL_Event expose{};
            expose.type = SDL_WINDOWEVENT;
            expose.window.event = SDL_WINDOWEVENT_EXPOSED;
            expose.window.windowID = window.id();
            for (int step = 0; step < 12; ++step) {
                // Each step changes one thing (or nothing), as a running machine's views do.
                if (step % 4 == 1)
                    ++part.count;
                if (step == 6)
                    part.moved = 30;
                if (step % 3 == 2) {
                    const uint8_t rgba[8] = {uint8_t(40 * step), 0x20, 0x00, 0xFF, 0x00, uint8_t(20 * step), 0xCC, 0xFF};
                    ASSERT_TRUE(textures->update(part.handle, rgba, 8)) << textures->error();
                }
                uint32_t* pixels = console.lock();
                for (int i = 0; i < consoleWidth * consoleHeight; ++i)
                    pixels[i] = (i / consoleWidth + step * 7) % 50 < 25 ? 0x2040C0 : 0xE0E0E0;
                console.unlock();
                window.boxFrame(); // a frame of the widgets, and the window presented
                console.update();  // the picture presented on its own
                const std::vector<uint32_t> partial = shown(window.renderer(), width, height);

                window.handleEvent(expose); // all of it drawn again
                window.boxFrame();
                const std::vector<uint32_t> whole = shown(window.renderer(), width, height);
                size_t differing = 0;
                for (size_t i = 0; i < whole.size(); ++i)
                    differing += partial[i] != whole[i];
                EXPECT_EQ(differing, 0u) << "step " << step;
            }
            console.close();
            drawing.removeParts();
        }
        toolkitOwner.reset();
    }
    setRendererChoice(RendererChoice::automatic);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    unsetenv("SDL_VIDEODRIVER");
}

} // namespace
