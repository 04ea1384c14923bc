// A key tapped for less than a frame (down and up again between two frames, as a 10 ms tap
// is at 50 frames a second) still reaches the machine: it is held through the next whole
// frame, given as a keyboard input like any other (so it is in the input log a recording
// keeps), and let go at the frame after.
#include <gtest/gtest.h>

#include <set>

#include "control/session.h"
#include "machine/keyboard.h"
#include "machine/rom_set.h"

using namespace ollendor;

namespace {

KeyboardInput inputWith(std::set<uint8_t> keys, int16_t capsLock)
{
    return keyboardInputFrom([&](uint8_t key) { return keys.count(key) != 0; }, capsLock);
}

} // namespace

TEST(KeyTap, ATapShorterThanAFrameIsHeldThroughTheNextFrame)
{
    Session session{builtinRomSet()};
    std::set<uint8_t> down; // the host keys down at the moment asked
    session.setHostKeys([&](uint8_t key) { return down.count(key) != 0; });
    for (int i = 0; i < 5; ++i)
        session.runFrame();
    const int16_t caps = session.machine().keyboard.input.capsLock;
    const KeyboardInput none = inputWith({}, caps);
    ASSERT_EQ(session.machine().keyboard.input, none);

    // A 10 ms tap between frames without the event: lost, as before.
    down.insert('A');
    down.erase('A');
    session.runFrame();
    EXPECT_EQ(session.machine().keyboard.input, none) << "a state never seen down";

    // The same tap told as an event: the next frame runs with A down, the one after without.
    const size_t logged = session.inputLog().size();
    session.keyTapped('A');
    session.runFrame();
    EXPECT_EQ(session.machine().keyboard.input, inputWith({'A'}, caps));
    ASSERT_EQ(session.inputLog().size(), logged + 1) << "given as an input, so recorded";
    EXPECT_EQ(session.inputLog().back().keyboard, inputWith({'A'}, caps));
    session.runFrame();
    EXPECT_EQ(session.machine().keyboard.input, none);

    // Two keys tapped before one frame, one of them still held: both in that frame, and the
    // held one stays while it is down.
    down.insert('B');
    session.keyTapped('A');
    session.keyTapped('B');
    session.runFrame();
    EXPECT_EQ(session.machine().keyboard.input, inputWith({'A', 'B'}, caps));
    session.runFrame();
    EXPECT_EQ(session.machine().keyboard.input, inputWith({'B'}, caps));
    down.clear();
    session.runFrame();
    EXPECT_EQ(session.machine().keyboard.input, none);
}
