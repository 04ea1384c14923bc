#include "machine/keyboard.h"

#include "machine/memory.h"

namespace ollendor {

namespace {

// Per row, the columns that have a key: the others never read as pressed.
constexpr std::array<uint16_t, 8> makeKeyColumns()
{
    std::array<uint16_t, 8> columns{};
    for (unsigned row = 0; row < 8; ++row)
        for (unsigned col = 0; col < 10; ++col)
            if (keyMatrixMap[row][col] != noKey)
                columns[row] = uint16_t(columns[row] | 1u << col);
    return columns;
}

constexpr std::array<uint16_t, 8> keyColumns = makeKeyColumns();

} // namespace

void keyboardPowerOn(KeyboardState& keyboard)
{
    keyboard.senseLow = 0xFF;
    keyboard.senseHigh = 0xFF;
    keyboard.capsLockAtStart = 0;
    keyboard.input = KeyboardInput{};
}

void snapshotCapsLock(KeyboardState& keyboard)
{
    keyboard.capsLockAtStart = keyboard.input.capsLock;
}

void keyboardDrive(KeyboardState& keyboard, MemoryPages& memory, uint8_t drive)
{
    // The OS reads the lock from common RAM: set while the state is as it was at start.
    // The whole value counts, so holding the key down also reads as a change.
    uint8_t& capsFlag = memory.page[0][capsLockFlagAddress];
    if (keyboard.input.capsLock == keyboard.capsLockAtStart)
        capsFlag |= 0x80;
    else
        capsFlag &= 0x7F;

    keyboard.senseLow = 0xFF;
    keyboard.senseHigh = uint8_t(0xF3 | keyStrapBits << 2);

    unsigned row = 0;
    while (row < 8 && (drive >> row & 1))
        ++row;
    if (row == 8)
        return; // no row driven

    const unsigned columns = ~unsigned(keyboard.input.rows[row] & keyColumns[row]) & 0x3FF; // 0 = pressed
    keyboard.senseLow = uint8_t(columns);
    keyboard.senseHigh = uint8_t(0xF0 | keyStrapBits << 2 | (columns >> 8 & 3));
}

uint8_t keyboardSense(const KeyboardState& keyboard, uint16_t port)
{
    return port == 5 ? keyboard.senseLow : keyboard.senseHigh;
}

} // namespace ollendor
