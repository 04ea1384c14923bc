// Host key states from SDL's keyboard state, asked for by Windows virtual-key code (the
// codes of the machine's keyboard matrix).
#pragma once

#include <cstdint>

#include <SDL.h>

namespace ollendor {

// The SDL scancodes of a virtual-key code: up to two (Shift and Ctrl count either side);
// SDL_SCANCODE_UNKNOWN where there is none.
struct ScancodePair {
    SDL_Scancode first;  // the key
    SDL_Scancode second; // the key's twin, or SDL_SCANCODE_UNKNOWN
};
ScancodePair scancodesOf(uint8_t virtualKey);

// Whether a key of that code is down in SDL's keyboard state now.
bool sdlKeyDown(uint8_t virtualKey);
// The virtual-key code of a scancode (0: a key the machine's keyboard does not have).
uint8_t virtualKeyOf(SDL_Scancode scancode);
// Caps Lock as one value: bit 0 while the lock is on, bit 15 while the key is held.
int16_t sdlCapsLockState();

} // namespace ollendor
