// Typing a text on the emulated keyboard: which keys each character takes, and the timing
// of presses and releases on rendered frames.
#include <gtest/gtest.h>

#include "host/key_typist.h"

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
    KeyTypist typist("aA");
    auto advance = [&typist](unsigned frames) {
        for (unsigned i = 0; i < frames; ++i)
            typist.frame();
    };
    advance(typingStartFrames - 1);
    EXPECT_FALSE(typist.keyDown('A')); // not yet: the ROM is still starting
    advance(1);
    for (unsigned i = 0; i < keyDownFrames; ++i, typist.frame()) {
        EXPECT_TRUE(typist.keyDown('A'));
        EXPECT_FALSE(typist.keyDown(virtualKeyShift));
    }
    for (unsigned i = 0; i < keyUpFrames; ++i, typist.frame())
        EXPECT_FALSE(typist.keyDown('A')); // released, so the repeat is a new press
    for (unsigned i = 0; i < keyDownFrames; ++i, typist.frame()) {
        EXPECT_TRUE(typist.keyDown('A'));
        EXPECT_TRUE(typist.keyDown(virtualKeyShift));
    }
    EXPECT_FALSE(typist.finished());
    advance(keyUpFrames);
    EXPECT_TRUE(typist.finished());
    EXPECT_FALSE(typist.keyDown('A'));
    EXPECT_FALSE(typist.keyDown(virtualKeyShift));
}

TEST(KeyTypist, NothingToTypeHoldsNothing)
{
    KeyTypist typist;
    for (int i = 0; i < 100; ++i, typist.frame())
        for (int key = 0; key < 256; ++key)
            ASSERT_FALSE(typist.keyDown(uint8_t(key)));
    EXPECT_TRUE(typist.finished());
}
} // namespace
