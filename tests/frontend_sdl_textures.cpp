// The widgets' pictures on SDL's offscreen driver: the main window hands the front end its
// textures while it lives, a picture made from RGBA bytes reaches the screen through
// ImGui::Image in those colours, and handles that are gone or wrong are refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include <imgui.h>
#include <SDL.h>

#include "frontend/window_drawing.h"
#include "host/sdl/sdl_platform.h"
#include "host/sdl/sdl_textures.h"
#include "host/sdl/sdl_toolkit.h"
#include "host/sdl/sdl_window.h"
#include "tests/support/sdl_leaks.h"

using namespace ollendor;

namespace {

class SdlTexturesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ignoreSdlAllocations(true);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        installToolkit(*toolkitOwner);
    }
    void TearDown() override
    {
        toolkitOwner.reset();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        ignoreSdlAllocations(false);
    }
    std::unique_ptr<SdlToolkit> toolkitOwner = std::make_unique<SdlToolkit>(1);
};

// Shows one texture at (100, 100) and 40 x 20 pixels in the main window.
class PicturePart : public MainWindowPart {
public:
    explicit PicturePart(FrontendDrawing& drawing) : drawing(drawing) {}
    void drawWindows() override
    {
        Textures* textures = drawing.textures();
        if (!textures || !handle)
            return;
        ImGui::SetNextWindowPos(ImVec2(100 - 8, 100 - 8));
        ImGui::Begin("picture", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoBackground);
        ImGui::Image(textures->imguiTexture(handle), ImVec2(40, 20));
        ImGui::End();
    }
    FrontendDrawing& drawing;
    TextureHandle handle = 0;
};

uint32_t shownAt(SDL_Renderer* renderer, int x, int y)
{
    uint32_t pixel = 0;
    const SDL_Rect at{x, y, 1, 1};
    EXPECT_EQ(SDL_RenderReadPixels(renderer, &at, SDL_PIXELFORMAT_ARGB8888, &pixel, 4), 0);
    return pixel & 0xFFFFFF;
}

TEST_F(SdlTexturesTest, APictureReachesTheMainWindowInItsColours)
{
    FrontendDrawing drawing;
    PicturePart part(drawing);
    drawing.addPart(part);
    {
        PlatformSettings settings;
        settings.scale = 1;
        std::unique_ptr<Platform> platform = createSdlPlatform(settings, drawing);
        auto& window = dynamic_cast<MainWindow&>(
            platform->desktop().createMainWindow("Stuff", {}, [](int) {}));
        Textures* textures = drawing.textures();
        ASSERT_NE(textures, nullptr);

        // Two pixels, red then blue, as bytes R, G, B, A.
        const uint8_t rgba[8] = {0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xCC, 0xFF};
        part.handle = textures->create(2, 1);
        ASSERT_NE(part.handle, 0u) << textures->error();
        ASSERT_TRUE(textures->update(part.handle, rgba, 8)) << textures->error();
        window.boxFrame(); // a new ImGui window is laid out in its first frame
        window.boxFrame(); // and shown in the next (both presented)

        EXPECT_EQ(shownAt(window.renderer(), 103, 110), 0xFF0000u);
        EXPECT_EQ(shownAt(window.renderer(), 137, 110), 0x0000CCu);
        drawing.removeParts();
    }
    // The window went, and its textures with it.
    EXPECT_EQ(drawing.textures(), nullptr);
}

TEST_F(SdlTexturesTest, HandlesThatAreGoneOrWrongAreRefused)
{
    SdlWindow window("Ollendor", 64, 64);
    SdlTextures textures(window.renderer());
    const uint8_t rgba[16] = {};

    EXPECT_EQ(textures.create(0, 10), 0u);
    EXPECT_EQ(textures.create(10, 5000), 0u);
    EXPECT_FALSE(textures.error().empty());

    const TextureHandle first = textures.create(2, 2);
    ASSERT_NE(first, 0u);
    EXPECT_NE(textures.imguiTexture(first), nullptr);
    EXPECT_FALSE(textures.update(first, rgba, 4)) << "a pitch shorter than a row";
    EXPECT_TRUE(textures.update(first, rgba, 8));

    textures.destroy(first);
    EXPECT_EQ(textures.imguiTexture(first), nullptr);
    EXPECT_FALSE(textures.update(first, rgba, 8));
    textures.destroy(first); // twice is harmless
    textures.destroy(0);

    // A new texture never gets an old handle, so a stale one cannot draw the wrong picture.
    const TextureHandle second = textures.create(2, 2);
    EXPECT_NE(second, first);
    EXPECT_EQ(textures.imguiTexture(first), nullptr);
    EXPECT_EQ(textures.count(), 1u);
}

} // namespace
