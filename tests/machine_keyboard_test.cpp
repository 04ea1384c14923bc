// The keyboard matrix from host keys, and the Caps Lock mirror in common RAM.
#include "machine_support.h"

#include <set>

#include "machine/keyboard.h"
#include "machine/ports.h"

using namespace ollendor;

namespace {

class KeyboardTest : public MachineTest {
protected:
    // The keys held now are the machine's input at the drive, as between two runs.
    void press(uint8_t key)
    {
        keys.press(key);
        holdKeys(capsLock);
    }
    void release(uint8_t key)
    {
        keys.release(key);
        holdKeys(capsLock);
    }
    void setCapsLock(int16_t state)
    {
        capsLock = state;
        holdKeys(capsLock);
    }
    void portOut(uint16_t port, uint8_t value) { ollendor::portOut(m, port, value); }
    uint8_t portIn(uint16_t port) { return ollendor::portIn(m, port); }

    int16_t capsLock = 0;
};

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
    press(vkA);
    portOut(5, 0xFE);
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFF);
}

TEST_F(KeyboardTest, TwoKeysOnTheDrivenRow)
{
    press(vkA);
    press(vkEnter);
    portOut(5, 0xDF);
    EXPECT_EQ(portIn(5), 0xBE);
    EXPECT_EQ(portIn(6), 0xFF);
}

TEST_F(KeyboardTest, HighColumnsAndStrapBits)
{
    press(vkSpace);
    portOut(5, 0x7F);
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFE);
    press(vkTab);
    press(vkDelete);
    portOut(5, 0xFB);            // row 2: columns 8 and 9
    EXPECT_EQ(portIn(6), 0xFC);
}

TEST_F(KeyboardTest, NoRowDriven)
{
    for (unsigned code = 0; code < 256; ++code)
        press(uint8_t(code));
    ASSERT_EQ(m.keyboard.input.rows[0], 0x7F) << "every key with a place in the matrix";
    portOut(5, 0xFF);
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFF);
}

TEST_F(KeyboardTest, LowestDrivenRowOnly)
{
    press(vkQ);         // row 3
    portOut(5, 0xF6);            // rows 0 and 3
    EXPECT_EQ(portIn(5), 0xFF);
    press(vk1);         // row 0, column 0
    portOut(5, 0xF6);
    EXPECT_EQ(portIn(5), 0xFE);
}

TEST_F(KeyboardTest, SampledOnlyAtTheDrive)
{
    press(vkA);
    portOut(5, 0xDF);
    release(vkA);
    EXPECT_EQ(portIn(5), 0xFE);  // still the latched scan
    portOut(5, 0xDF);
    EXPECT_EQ(portIn(5), 0xFF);
}

TEST_F(KeyboardTest, CapsLockMirrorFollowsTheHostState)
{
    uint8_t& flag = m.memory.page[0][capsLockFlagAddress];
    flag = 0x15;                 // other bits must survive
    setCapsLock(1);              // on at start
    snapshotCapsLock(m.keyboard);
    portOut(5, 0xFF);
    EXPECT_EQ(flag, 0x95);
    setCapsLock(0);              // toggled once
    portOut(5, 0xFF);
    EXPECT_EQ(flag, 0x15);
    setCapsLock(1);              // toggled back
    portOut(5, 0xFE);
    EXPECT_EQ(flag, 0x95);
    setCapsLock(int16_t(0x8001)); // key held: the whole value differs
    portOut(5, 0xFE);
    EXPECT_EQ(flag, 0x15);
    // The mirror writes page 0 whatever the RAM page.
    setPages(m.memory, 0x05);
    setCapsLock(1);
    portOut(5, 0xFF);
    EXPECT_EQ(memRead(m.memory, capsLockFlagAddress), 0x95);
    EXPECT_EQ(m.memory.page[5][capsLockFlagAddress], 0x00);
}

} // namespace
