#include "host/sdl/sdl_keys.h"

namespace ollendor {

ScancodePair scancodesOf(uint8_t vk)
{
    constexpr SDL_Scancode none = SDL_SCANCODE_UNKNOWN;
    if (vk >= 'A' && vk <= 'Z')
        return {SDL_Scancode(SDL_SCANCODE_A + (vk - 'A')), none};
    if (vk >= '1' && vk <= '9')
        return {SDL_Scancode(SDL_SCANCODE_1 + (vk - '1')), none};
    switch (vk) {
    case 0x30: return {SDL_SCANCODE_0, none};
    case 0x08: return {SDL_SCANCODE_BACKSPACE, none};
    case 0x09: return {SDL_SCANCODE_TAB, none};
    case 0x0D: return {SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER};
    case 0x10: return {SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT};
    case 0x11: return {SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL};
    case 0x14: return {SDL_SCANCODE_CAPSLOCK, none};
    case 0x20: return {SDL_SCANCODE_SPACE, none};
    case 0x25: return {SDL_SCANCODE_LEFT, none};
    case 0x26: return {SDL_SCANCODE_UP, none};
    case 0x27: return {SDL_SCANCODE_RIGHT, none};
    case 0x28: return {SDL_SCANCODE_DOWN, none};
    case 0x2B: return {SDL_SCANCODE_EXECUTE, none};
    case 0x2E: return {SDL_SCANCODE_DELETE, none};
    case 0xBC: return {SDL_SCANCODE_COMMA, none};
    case 0xBE: return {SDL_SCANCODE_PERIOD, none};
    case 0xBF: return {SDL_SCANCODE_SLASH, none};
    case 0xE2: return {SDL_SCANCODE_NONUSBACKSLASH, none};
    default: return {none, none};
    }
}

uint8_t virtualKeyOf(SDL_Scancode scancode)
{
    if (scancode == SDL_SCANCODE_UNKNOWN)
        return 0;
    for (int vk = 1; vk < 256; ++vk) {
        const ScancodePair codes = scancodesOf(uint8_t(vk));
        if (codes.first == scancode || codes.second == scancode)
            return uint8_t(vk);
    }
    return 0;
}

bool sdlKeyDown(uint8_t virtualKey)
{
    const ScancodePair codes = scancodesOf(virtualKey);
    if (codes.first == SDL_SCANCODE_UNKNOWN)
        return false;
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    return state[codes.first] || (codes.second != SDL_SCANCODE_UNKNOWN && state[codes.second]);
}

int16_t sdlCapsLockState()
{
    const bool locked = (SDL_GetModState() & KMOD_CAPS) != 0;
    const bool held = SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_CAPSLOCK] != 0;
    return int16_t((held ? 0x8000 : 0) | (locked ? 1 : 0));
}

} // namespace ollendor
