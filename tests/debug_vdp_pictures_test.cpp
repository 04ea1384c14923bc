// The video chip's tables as the debugger draws them (debug/vdp_pictures.h), checked
// against the renderer: the name table picture is the screen without sprites, each
// sprite's picture is what the renderer draws of it; the sprite list, the table bases per
// mode, and the pictures in the display's colours.
#include <gtest/gtest.h>

#include <cstring>

#include "debug/vdp_pictures.h"
#include "video/render.h"

using namespace ollendor;

namespace {

// A chip in a mode with video memory full of arbitrary bytes (the same every time).
VdpState noisyChip(const uint8_t (&registers)[8])
{
    VdpState vdp{};
    vdpReset(vdp);
    uint32_t seed = 12345;
    for (uint8_t& byte : vdp.vram) {
        seed = seed * 1103515245u + 12345u;
        byte = uint8_t(seed >> 16);
    }
    for (unsigned r = 0; r < 8; ++r) {
        vdpWriteControl(vdp, registers[r]);
        vdpWriteControl(vdp, uint8_t(0x80 | r));
    }
    return vdp;
}

// No sprite drawn: the first attribute entry ends the list.
void endSpritesAtOnce(VdpState& vdp)
{
    vdp.vram[vdpTables(vdp).spriteAttributes] = 208;
}

FrameBuffer rendered(const VdpState& vdp)
{
    FrameBuffer frame{};
    RenderState render{vdp.mode};
    vdpRender(vdp, render, frame);
    return frame;
}

} // namespace

TEST(DebugVdpPictures, TheNamePictureIsTheScreenWithoutSpritesInEveryDrawnMode)
{
    struct Case {
        const char* mode;
        uint8_t registers[8];
        int width;
    };
    const Case cases[] = {
        // Graphics I: names at 0x1800 (r2 6), colours at 0x2000 (r3 0x80), patterns at 0 (r4 0)
        {"Graphics I", {0x00, 0xC0, 0x06, 0x80, 0x00, 0x36, 0x07, 0x04}, 256},
        // Graphics II: colours at 0x2000 (r3 bit 7), patterns at 0 (r4 bit 2 clear)
        {"Graphics II", {0x02, 0xC0, 0x06, 0xFF, 0x03, 0x36, 0x07, 0x01}, 256},
        // Graphics II with the blocks the other way round, and a name table past 0x3C00 wrapping
        {"Graphics II swapped", {0x02, 0xC0, 0x1E, 0x7F, 0x07, 0x36, 0x07, 0x01}, 256},
        // Text: names at 0x0C00, patterns at 0x0800, white on dark blue
        {"Text", {0x00, 0xD0, 0x03, 0x00, 0x01, 0x00, 0x00, 0xF4}, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        VdpState vdp = noisyChip(c.registers);
        endSpritesAtOnce(vdp);
        const FrameBuffer frame = rendered(vdp);
        IndexedPicture names;
        namePicture(vdp, names);
        ASSERT_EQ(names.width, c.width);
        ASSERT_EQ(names.height, 192);
        int differences = 0;
        for (int y = 0; y < 192; ++y)
            for (int x = 0; x < c.width; ++x)
                differences += names.at(x, y) != frame.pixels[y * frameWidth + unsigned(x)];
        EXPECT_EQ(differences, 0);
    }
}

TEST(DebugVdpPictures, PatternsAndColoursCoverTheWholeTableOfTheMode)
{
    VdpState graphics2 = noisyChip({0x02, 0xC0, 0x06, 0xFF, 0x03, 0x36, 0x07, 0x01});
    IndexedPicture patterns, colours;
    patternPicture(graphics2, patterns);
    EXPECT_EQ(patterns.height, 192) << "three blocks of 256 patterns";
    // Pattern 300 (block 1, name 44) row 5, as the bits of the table give it.
    const uint8_t bits = graphics2.vram[0x0000 + 300 * 8 + 5];
    for (int col = 0; col < 8; ++col)
        EXPECT_EQ(patterns.at(300 % 32 * 8 + col, 300 / 32 * 8 + 5), (bits << col & 0x80) ? 15 : 1) << col;
    colourPicture(graphics2, colours);
    ASSERT_EQ(colours.height, 192);
    const uint8_t colour = graphics2.vram[0x2000 + 300 * 8 + 5];
    EXPECT_EQ(colours.at(300 % 32 * 8 + 1, 300 / 32 * 8 + 5), colour >> 4) << "foreground on the left";
    EXPECT_EQ(colours.at(300 % 32 * 8 + 6, 300 / 32 * 8 + 5), colour & 0x0F) << "background on the right";

    VdpState graphics1 = noisyChip({0x00, 0xC0, 0x06, 0x80, 0x00, 0x36, 0x07, 0x04});
    patternPicture(graphics1, patterns);
    EXPECT_EQ(patterns.height, 64);
    colourPicture(graphics1, colours);
    ASSERT_EQ(colours.width, 256);
    ASSERT_EQ(colours.height, 8);
    EXPECT_EQ(colours.at(31 * 8, 0), graphics1.vram[0x2000 + 31] >> 4) << "the last of the 32 entries";

    VdpState text = noisyChip({0x00, 0xD0, 0x03, 0x00, 0x01, 0x00, 0x00, 0xF4});
    colourPicture(text, colours);
    EXPECT_EQ(colours.width, 0) << "Text mode has no colour table";
    const VdpTables tables = vdpTables(text);
    EXPECT_TRUE(tables.text);
    EXPECT_EQ(tables.names, 0x0C00);
    EXPECT_EQ(tables.patterns, 0x0800);
}

TEST(DebugVdpPictures, EachSpritePictureIsWhatTheRendererDrawsOfIt)
{
    for (uint8_t r1 : {uint8_t(0xC2), uint8_t(0xC0)}) { // 16 x 16, then 8 x 8
        SCOPED_TRACE(r1);
        VdpState vdp = noisyChip({0x02, r1, 0x06, 0xFF, 0x03, 0x36, 0x07, 0x01});
        const VdpTables tables = vdpTables(vdp);
        // Sprite 0 at (100, 60) in colour 9 with pattern name 0x45, then the end mark.
        uint8_t* attributes = vdp.vram + tables.spriteAttributes;
        attributes[0] = 60;
        attributes[1] = 100;
        attributes[2] = 0x45;
        attributes[3] = 0x89; // early clock bit and colour 9
        attributes[4] = 208;
        const SpriteTable table = spriteTable(vdp);
        EXPECT_TRUE(table.entries[0].drawn());
        EXPECT_TRUE(table.entries[0].earlyClock);
        EXPECT_EQ(table.entries[0].colour, 9);
        EXPECT_EQ(spriteStatusText(table.entries[1].status), std::string("end mark"));
        EXPECT_EQ(spriteStatusText(table.entries[2].status), std::string("after the end mark"));
        EXPECT_FALSE(table.entries[2].drawn());

        IndexedPicture sprites, background;
        spritePictures(vdp, table, sprites);
        namePicture(vdp, background);
        const FrameBuffer frame = rendered(vdp);
        const int size = int(table.size);
        int set = 0;
        for (int row = 0; row < size; ++row)
            for (int col = 0; col < size; ++col) {
                const uint8_t sprite = sprites.at(col, row);
                const uint8_t shown = frame.pixels[(60 + row) * frameWidth + unsigned(100 + col)];
                if (sprite == transparentIndex) {
                    EXPECT_EQ(shown, background.at(100 + col, 60 + row)) << col << "," << row;
                } else {
                    EXPECT_EQ(sprite, 9);
                    EXPECT_EQ(shown, 9) << col << "," << row;
                    ++set;
                }
            }
        EXPECT_GT(set, 0) << "the pattern has bits set";
    }
}

TEST(DebugVdpPictures, TheSpriteListSaysWhyASpriteIsNotDrawn)
{
    VdpState vdp = noisyChip({0x02, 0xC2, 0x06, 0xFF, 0x03, 0x36, 0x07, 0x01});
    uint8_t* attributes = vdp.vram + vdpTables(vdp).spriteAttributes;
    for (unsigned i = 0; i < 32; ++i) {
        attributes[i * 4] = uint8_t(i * 5);
        attributes[i * 4 + 3] = uint8_t(i % 16);
    }
    const SpriteTable table = spriteTable(vdp);
    EXPECT_EQ(spriteStatusText(table.entries[0].status), std::string("transparent")) << "colour 0";
    EXPECT_TRUE(table.entries[1].drawn());
    EXPECT_FALSE(table.entries[16].drawn()) << "colour 0 again";
    EXPECT_TRUE(table.entries[31].drawn()) << "no end mark: all 32 are looked at";

    VdpState text = noisyChip({0x00, 0xD0, 0x03, 0x00, 0x01, 0x00, 0x00, 0xF4});
    text.vram[vdpTables(text).spriteAttributes] = 10;
    text.vram[vdpTables(text).spriteAttributes + 3] = 5;
    EXPECT_FALSE(spriteTable(text).entries[0].drawn());
    EXPECT_EQ(spriteStatusText(spriteTable(text).entries[0].status), std::string("no sprites in Text mode"));
}

TEST(DebugVdpPictures, PicturesTurnIntoTheDisplaysColours)
{
    IndexedPicture picture;
    picture.resize(3, 1);
    picture.set(0, 0, 0);  // pure red on this machine
    picture.set(1, 0, 15); // white
    std::vector<uint8_t> rgba;
    pictureToRgba(picture, rgba);
    ASSERT_EQ(rgba.size(), 12u);
    EXPECT_EQ(std::vector<uint8_t>(rgba.begin(), rgba.begin() + 4), (std::vector<uint8_t>{0xFF, 0, 0, 0xFF}));
    EXPECT_EQ(std::vector<uint8_t>(rgba.begin() + 4, rgba.begin() + 8), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(rgba[11], 0) << "transparent";
}

