// The keyboard matrix: 8 drive rows by 10 sense columns, sampled from the machine's input.
//
// Ports: OUT 5 drives a row (its lowest 0 bit) and samples that row of the input into the
// sense bytes; IN 5 reads columns 0-7, IN 6 columns 8-9 (bits 0-1) and the strap bits
// (bits 2-3). A 0 bit is a pressed key. Reads give the bytes latched at the last OUT 5.
// The same OUT mirrors the Caps Lock state into bit 7 of 0xFA91 in common RAM.
// Not modelled: ghosting between keys, and several rows driven at once (only the lowest
// driven row is scanned).
//
// The input is set by whoever drives the machine (the desktop's keys, typed text, a
// recording) between runs; the machine only ever samples it, at OUT 5.
#pragma once

#include <array>
#include <cstdint>

namespace ollendor {

inline constexpr uint8_t noKey = 0xFF; // matrix position without a host key

// Host key (Windows virtual-key code) at each row and column of the matrix.
inline constexpr uint8_t keyMatrixMap[8][10] = {
    // col 0  1     2     3     4     5     6     7     8     9
    {0x31, 0x33, 0x35, 0x37, 0x39, 0x2B, 0xE2, noKey, noKey, noKey}, // 1 3 5 7 9 Execute Oem102
    {noKey, 0x32, 0x34, 0x36, 0x38, 0x30, 0xBF, noKey, 0x08, noKey}, // 2 4 6 8 0 Oem2 Backspace
    {noKey, 0x57, 0x52, 0x59, 0x49, 0x50, noKey, 0x26, 0x09, 0x2E},  // W R Y I P Up Tab Delete
    {0x51, 0x45, 0x54, 0x55, 0x4F, noKey, noKey, 0x25, noKey, noKey}, // Q E T U O Left
    {noKey, 0x53, 0x46, 0x48, 0x4B, noKey, noKey, 0x27, noKey, noKey}, // S F H K Right
    {0x41, 0x44, 0x47, 0x4A, 0x4C, noKey, 0x0D, 0x11, noKey, noKey},  // A D G J L Enter Ctrl
    {0x10, 0x58, 0x56, 0x4E, 0xBC, noKey, noKey, 0x28, noKey, noKey}, // Shift X V N comma Down
    {0x5A, 0x43, 0x42, 0x4D, 0xBE, noKey, noKey, noKey, 0x20, noKey}, // Z C B M period Space
};

inline constexpr uint8_t keyStrapBits = 3;        // fixed, shown on bits 2-3 of keySenseHigh
inline constexpr uint8_t virtualKeyCapsLock = 0x14;
inline constexpr uint16_t capsLockFlagAddress = 0xFA91; // in common RAM; bit 7 mirrors Caps Lock

// What the keyboard's owner holds down, as the machine will sample it.
struct KeyboardInput {
    std::array<uint16_t, 8> rows; // per drive row, bit c set while column c's key is down
    int16_t capsLock;             // the Caps Lock key: bit 0 while locked, bit 15 while held

    bool operator==(const KeyboardInput&) const = default;
};

struct KeyboardState {
    uint8_t senseLow;        // columns 0-7 of the last scanned row, 0 = pressed
    uint8_t senseHigh;       // columns 8-9 in bits 0-1, strap bits 2-3, bits 4-7 set
    int16_t capsLockAtStart; // the Caps Lock state when the CPU started
    KeyboardInput input;     // sampled at OUT 5
};

struct MemoryPages;

// The input with every key that `down` says is held, mapped through keyMatrixMap.
template <class KeyDown>
KeyboardInput keyboardInputFrom(KeyDown down, int16_t capsLock)
{
    KeyboardInput input{};
    for (unsigned row = 0; row < 8; ++row)
        for (unsigned col = 0; col < 10; ++col)
            if (keyMatrixMap[row][col] != noKey && down(keyMatrixMap[row][col]))
                input.rows[row] = uint16_t(input.rows[row] | 1u << col);
    input.capsLock = capsLock;
    return input;
}

void keyboardPowerOn(KeyboardState& keyboard);  // sense bytes 0xFF, nothing held, Caps Lock 0
// OUT 5: scans the driven row of the input and mirrors Caps Lock into common RAM.
void keyboardDrive(KeyboardState& keyboard, MemoryPages& memory, uint8_t drive);
// IN 5 (senseLow), IN 6 and any other (senseHigh).
uint8_t keyboardSense(const KeyboardState& keyboard, uint16_t port);
// Once, just before the CPU starts: the Caps Lock state the mirror compares with.
void snapshotCapsLock(KeyboardState& keyboard);

} // namespace ollendor
