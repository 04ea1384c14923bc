#include "machine/keyboard.h"

#include "host/host.h"
#include "machine/memory.h"

uint8_t keySenseLow = 0xFF;
uint8_t keySenseHigh = 0xFF;
int16_t capsLockAtStart;

void keyboardPowerOn()
{
    keySenseLow = 0xFF;
    keySenseHigh = 0xFF;
    capsLockAtStart = 0;
}

void snapshotCapsLock()
{
    capsLockAtStart = host().capsLockState();
}

void keyboardDrive(uint8_t drive)
{
    // The OS reads the lock from common RAM: set while the host state is as it was at start.
    // The whole value counts, so holding the key down also reads as a change.
    uint8_t& capsFlag = memoryPages.page[0][capsLockFlagAddress];
    if (host().capsLockState() == capsLockAtStart)
        capsFlag |= 0x80;
    else
        capsFlag &= 0x7F;

    keySenseLow = 0xFF;
    keySenseHigh = uint8_t(0xF3 | keyStrapBits << 2);

    unsigned row = 0;
    while (row < 8 && (drive >> row & 1))
        ++row;
    if (row == 8)
        return; // no row driven

    unsigned columns = 0;
    for (int col = 9; col >= 0; --col) {
        const uint8_t key = keyMatrixMap[row][col];
        const bool pressed = key != noKey && host().keyDown(key);
        columns = columns << 1 | (pressed ? 0 : 1);
    }
    keySenseLow = uint8_t(columns);
    keySenseHigh = uint8_t(0xF0 | keyStrapBits << 2 | (columns >> 8 & 3));
}

uint8_t keyboardSense(uint16_t port)
{
    return port == 5 ? keySenseLow : keySenseHigh;
}
