// What the chip views show from the machine's state: the key matrix and the tape trap's
// names. (The video chip's pictures, the counter/timer's and the tone channels are made
// below the views: tests/debug_vdp_pictures_test.cpp, tests/debug_view_models_test.cpp.)
#include "tests/debug_views_support.h"

#include <cstring>

#include "ui/debugger/keyboard_view.h"
#include "ui/debugger/tape_view.h"
#include "machine/tape.h"

using namespace ollendor;

TEST(DebugChipViews, TheKeyMatrixNamesEveryKeyAndMarksTheHeldOnes)
{
    for (unsigned row = 0; row < 8; ++row)
        for (unsigned column = 0; column < 10; ++column)
            if (keyMatrixMap[row][column] != noKey) {
                EXPECT_STRNE(matrixKeyName(keyMatrixMap[row][column]), "") << row << "," << column;
            }
    const KeyboardInput input = keyboardInputFrom([](uint8_t vk) { return vk == 'A' || vk == 0x0D; }, 0);
    EXPECT_TRUE(matrixKeyHeld(input, 5, 0)) << "A";
    EXPECT_TRUE(matrixKeyHeld(input, 5, 6)) << "Enter";
    EXPECT_FALSE(matrixKeyHeld(input, 5, 1));
    EXPECT_FALSE(matrixKeyHeld(input, 8, 0)) << "no such row";
}

TEST(DebugChipViews, TapeNamesShowTheirBytesAndTheReportedRingOldestFirst)
{
    char name[tapeNameLength];
    std::memcpy(name, "GAME \"1\"\x01", tapeNameLength);
    EXPECT_EQ(tapeNameText(name), "\"GAME \\x221\\x22\\x01\"");

    TapeState tape{};
    tapePowerOn(tape);
    // Eighteen names into a ring of sixteen: the first two are gone, the third is oldest.
    for (unsigned i = 0; i < 18; ++i) {
        char entry[tapeNameLength];
        std::snprintf(entry, sizeof entry, "T%02u     ", i);
        std::memcpy(tape.reported[tape.reportedNext], entry, tapeNameLength);
        tape.reportedNext = uint8_t((tape.reportedNext + 1) % tapeReportedCapacity);
        if (tape.reportedCount < tapeReportedCapacity)
            ++tape.reportedCount;
    }
    const auto names = reportedTapeNames(tape);
    ASSERT_EQ(names.size(), 16u);
    EXPECT_EQ(names.front(), "\"T02     \\x00\"");
    EXPECT_EQ(names.back(), "\"T17     \\x00\"");
}
