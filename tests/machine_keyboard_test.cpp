// The keyboard matrix from host keys, and the Caps Lock mirror in common RAM.
#include "machine_support.h"

#include <set>

#include "machine/keyboard.h"
#include "machine/ports.h"

using namespace ollendor;

namespace {

using KeyboardTest = MachineTest;

constexpr uint8_t vkA = 0x41, vkEnter = 0x0D, vkSpace = 0x20, vk1 = 0x31,
                  vkQ = 0x51, vkDelete = 0x2E, vkTab = 0x09;

TEST(KeyMatrixMap, LettersAndDigitsOnceEach)
{
    std::multiset<uint8_t> codes;
    for (const auto& row : keyMatrixMap)
        for (uint8_t code : row)
            if (code != noKey)
                codes.insert(code);
    for (uint8_t c = '0'; c <= '9'; ++c)
        EXPECT_EQ(codes.count(c), 1u) << char(c);
    for (uint8_t c = 'A'; c <= 'Z'; ++c)
        EXPECT_EQ(codes.count(c), 1u) << char(c);
    EXPECT_EQ(codes.size(), std::set<uint8_t>(codes.begin(), codes.end()).size()) << "a key twice";
    EXPECT_EQ(codes.size(), 52u); // 26 letters, 10 digits, 16 other keys
}

TEST_F(KeyboardTest, SenseBytesStartReleased)
{
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFF);
}

TEST_F(KeyboardTest, KeyOnAnotherRowIsNotSeen)
{
    testHost.press(vkA);
    portOut(5, 0xFE);
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFF);
}

TEST_F(KeyboardTest, TwoKeysOnTheDrivenRow)
{
    testHost.press(vkA);
    testHost.press(vkEnter);
    portOut(5, 0xDF);
    EXPECT_EQ(portIn(5), 0xBE);
    EXPECT_EQ(portIn(6), 0xFF);
}

TEST_F(KeyboardTest, HighColumnsAndStrapBits)
{
    testHost.press(vkSpace);
    portOut(5, 0x7F);
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFE);
    testHost.press(vkTab);
    testHost.press(vkDelete);
    portOut(5, 0xFB);            // row 2: columns 8 and 9
    EXPECT_EQ(portIn(6), 0xFC);
}

TEST_F(KeyboardTest, NoRowDriven)
{
    for (unsigned code = 0; code < 256; ++code)
        testHost.press(uint8_t(code));
    portOut(5, 0xFF);
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFF);
}

TEST_F(KeyboardTest, LowestDrivenRowOnly)
{
    testHost.press(vkQ);         // row 3
    portOut(5, 0xF6);            // rows 0 and 3
    EXPECT_EQ(portIn(5), 0xFF);
    testHost.press(vk1);         // row 0, column 0
    portOut(5, 0xF6);
    EXPECT_EQ(portIn(5), 0xFE);
}

TEST_F(KeyboardTest, SampledOnlyAtTheDrive)
{
    testHost.press(vkA);
    portOut(5, 0xDF);
    testHost.release(vkA);
    EXPECT_EQ(portIn(5), 0xFE);  // still the latched scan
    portOut(5, 0xDF);
    EXPECT_EQ(portIn(5), 0xFF);
}

TEST_F(KeyboardTest, CapsLockMirrorFollowsTheHostState)
{
    uint8_t& flag = memoryPages.page[0][capsLockFlagAddress];
    flag = 0x15;                 // other bits must survive
    testHost.capsLock = 1;       // on at start
    snapshotCapsLock();
    portOut(5, 0xFF);
    EXPECT_EQ(flag, 0x95);
    testHost.capsLock = 0;       // toggled once
    portOut(5, 0xFF);
    EXPECT_EQ(flag, 0x15);
    testHost.capsLock = 1;       // toggled back
    portOut(5, 0xFE);
    EXPECT_EQ(flag, 0x95);
    testHost.capsLock = int16_t(0x8001); // key held: the whole value differs
    portOut(5, 0xFE);
    EXPECT_EQ(flag, 0x15);
    // The mirror writes page 0 whatever the RAM page.
    setPages(0x05);
    testHost.capsLock = 1;
    portOut(5, 0xFF);
    EXPECT_EQ(memRead(capsLockFlagAddress), 0x95);
    EXPECT_EQ(memoryPages.page[5][capsLockFlagAddress], 0x00);
}

} // namespace
