// Cross-checks between layers: what the tools report against what the machine draws.
#include <gtest/gtest.h>

#include <array>

#include "support/automation_harness.h"
#include "video/render.h"

namespace ollendor {
namespace {

// list_sprites on the built-in ROM's graphics page, over many frames of moving sprites: every
// pixel of every sprite the tool says is drawn, at the place it gives, is in the picture in
// the sprite's colour (unless a later sprite covers it), and no sprite said not to be drawn
// shows. The pattern bytes come from video memory through read_memory.
TEST(LayersCrossCheck, ListedSpritesAreThePixelsDrawn)
{
    AutomationHarness m;
    m.session.holdKeys({0x34}, 4); // key 4: the graphics page
    m.data("step_frames", {{"count", 60}});
    unsigned checkedPixels = 0, checkedSprites = 0;
    for (int frame = 0; frame < 12; ++frame) {
        m.data("step_frames", {{"count", 1}});
        const Json list = m.data("list_sprites");
        const unsigned size = list["size"], scale = list["magnified"].get<bool>() ? 2 : 1;
        const unsigned patternTable = list["pattern_table"];
        const Json vram = m.data("read_memory", {{"area", "vram"}, {"address", 0}, {"length", 0x4000}});
        const std::vector<uint8_t> bytes = [&] {
            std::vector<uint8_t> out;
            const std::string hex = vram["hex"];
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
            return out;
        }();
        ASSERT_EQ(bytes.size(), 0x4000u);
        // Who owns each pixel: the last drawn sprite with a set bit there.
        std::array<int, frameWidth * frameHeight> owner;
        owner.fill(-1);
        for (const Json& sprite : list["sprites"]) {
            if (!sprite["drawn"].get<bool>())
                continue;
            const unsigned name = sprite["pattern"], first = patternTable + (size == 16 ? name & 0xFC : name) * 8;
            const int x0 = sprite["screen_x"], y0 = sprite["screen_y"];
            for (unsigned row = 0; row < size; ++row)
                for (unsigned col = 0; col < size; ++col) {
                    const uint8_t byte = bytes[(first + (col / 8) * 16 + row) & 0x3FFF];
                    if (!(byte & (0x80 >> (col % 8))))
                        continue;
                    for (unsigned dy = 0; dy < scale; ++dy)
                        for (unsigned dx = 0; dx < scale; ++dx) {
                            const int x = x0 + int(col * scale + dx), y = y0 + int(row * scale + dy);
                            // Away from the edges, whose clipping rules are the renderer's own.
                            if (x >= 2 && x < int(frameWidth) - 2 && y >= 2 && y < int(frameHeight) - 2)
                                owner[size_t(y) * frameWidth + size_t(x)] = sprite["index"];
                        }
                }
        }
        const FrameBuffer& picture = m.session.machine().frame;
        for (size_t pixel = 0; pixel < owner.size(); ++pixel) {
            if (owner[pixel] < 0)
                continue;
            const unsigned colour = list["sprites"][size_t(owner[pixel])]["colour"];
            ASSERT_EQ(picture.pixels[pixel], colour)
                << "sprite " << owner[pixel] << " at (" << pixel % frameWidth << "," << pixel / frameWidth << ")";
            ++checkedPixels;
        }
        for (const Json& sprite : list["sprites"])
            checkedSprites += sprite["drawn"].get<bool>() ? 1 : 0;
    }
    EXPECT_GT(checkedSprites, 12u * 4) << "the page shows moving sprites";
    EXPECT_GT(checkedPixels, 1000u);
}

} // namespace
} // namespace ollendor
