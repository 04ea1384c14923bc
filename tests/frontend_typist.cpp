// Typing a text on the emulated keyboard: which keys each character takes, and the timing
// of presses and releases on the machine's frames.
#include <gtest/gtest.h>

#include "control/key_typist.h"

using namespace ollendor;


namespace {
TEST(KeyTypist, CharactersMapToTheirKeysAndShift)
{
    struct Case {
        char character;
        uint8_t key;
        bool shift;
    };
    const Case cases[] = {
        {'a', 'A', false}, {'Z', 'Z', true}, {'0', '0', false}, {'9', '9', false},
        {' ', 0x20, false}, {'\n', 0x0D, false}, {',', 0xBC, false}, {'.', 0xBE, false},
        {'!', '1', true},  {'"', '2', true},  {'(', '8', true},  {')', '9', true},
        {'<', 0xBC, true}, {'>', 0xBE, true},
    };
    for (const Case& c : cases) {
        auto key = keyForCharacter(c.character);
        ASSERT_TRUE(key.has_value()) << c.character;
        EXPECT_EQ(key->virtualKey, c.key) << c.character;
        EXPECT_EQ(key->shift, c.shift) << c.character;
    }
    for (char c : {'~', '\t', '\0', '@', '\x80'})
        EXPECT_FALSE(keyForCharacter(c).has_value()) << int(c);
    EXPECT_EQ(KeyTypist::firstUntypable("RUN\n"), std::string::npos);
    EXPECT_EQ(KeyTypist::firstUntypable("ab~c"), 2u);
}

TEST(KeyTypist, HoldsEachKeyThenReleasesItBeforeTheNext)
{
    // Started at the machine's frame 1000: everything counts from there.
    const uint64_t start = 1000;
    const KeyTypist typist("aA", start);
    uint64_t frame = start;
    frame += typingStartFrames - 1;
    EXPECT_FALSE(typist.keyDown('A', frame)); // not yet: the ROM is still starting
    ++frame;
    for (unsigned i = 0; i < keyDownFrames; ++i, ++frame) {
        EXPECT_TRUE(typist.keyDown('A', frame));
        EXPECT_FALSE(typist.keyDown(virtualKeyShift, frame));
    }
    for (unsigned i = 0; i < keyUpFrames; ++i, ++frame)
        EXPECT_FALSE(typist.keyDown('A', frame)); // released, so the repeat is a new press
    for (unsigned i = 0; i < keyDownFrames; ++i, ++frame) {
        EXPECT_TRUE(typist.keyDown('A', frame));
        EXPECT_TRUE(typist.keyDown(virtualKeyShift, frame));
    }
    EXPECT_FALSE(typist.finished(frame));
    frame += keyUpFrames;
    EXPECT_TRUE(typist.finished(frame));
    EXPECT_FALSE(typist.keyDown('A', frame));
    EXPECT_FALSE(typist.keyDown(virtualKeyShift, frame));
}

// The keys follow the machine's frame count alone: asking again at the same frame (as a
// window does while it waits out the pacing) moves nothing on, so no key is cut short.
TEST(KeyTypist, AskingAgainAtTheSameFrameChangesNothing)
{
    const KeyTypist typist("34");
    const uint64_t firstKey = typingStartFrames;
    for (int ask = 0; ask < 50; ++ask)
        ASSERT_TRUE(typist.keyDown('3', firstKey));
    for (unsigned i = 0; i < keyDownFrames; ++i)
        EXPECT_TRUE(typist.keyDown('3', firstKey + i));
    EXPECT_TRUE(typist.keyDown('4', firstKey + keyDownFrames + keyUpFrames));
    EXPECT_FALSE(typist.finished(firstKey));
}

TEST(KeyTypist, NothingToTypeHoldsNothing)
{
    const KeyTypist typist;
    for (uint64_t frame = 0; frame < 100; ++frame)
        for (int key = 0; key < 256; ++key)
            ASSERT_FALSE(typist.keyDown(uint8_t(key), frame));
    EXPECT_TRUE(typist.finished(100));
}
} // namespace

// --type and the type_text tool take \n as Enter; any other backslash stays as it is.
TEST(KeyTypist, BackslashNIsEnterAndOtherBackslashesStay)
{
    EXPECT_EQ(unescapeTypedText("RUN\\n"), "RUN\n");
    EXPECT_EQ(unescapeTypedText("a\\n\\nb"), "a\n\nb");
    EXPECT_EQ(unescapeTypedText("a\\tb\\"), "a\\tb\\");
    EXPECT_EQ(unescapeTypedText("\\\\n"), "\\\n") << "read left to right, one pair at a time";
}
