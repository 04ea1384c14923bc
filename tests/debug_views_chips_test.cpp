// What the chip views show from the machine's state: the key matrix. (The video chip's
// pictures, the counter/timer's and the tone channels and the tape trap's names are made
// below the views: tests/debug_vdp_pictures_test.cpp, tests/debug_view_models_test.cpp.)
#include "tests/debug_views_support.h"

#include <cstring>

#include "ui/debugger/keyboard_view.h"

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
