#include "web/key_hold.h"

namespace ollendor {

void KeyHold::press(uint8_t key)
{
    if (!down_[key] || waiting_[key])
        seen_[key] = false;
    down_[key] = true;
    waiting_[key] = false;
}

void KeyHold::release(uint8_t key)
{
    if (!down_[key])
        return;
    if (seen_[key])
        down_[key] = false;
    else
        waiting_[key] = true;
}

void KeyHold::releaseAll()
{
    for (unsigned key = 0; key < 256; ++key)
        release(uint8_t(key));
}

KeyboardInput KeyHold::input(int16_t capsLock) const
{
    return keyboardInputFrom([this](uint8_t key) { return down_[key]; }, capsLock);
}

void KeyHold::frameRan()
{
    for (unsigned key = 0; key < 256; ++key) {
        if (!down_[key])
            continue;
        seen_[key] = true;
        if (waiting_[key]) {
            down_[key] = false;
            waiting_[key] = false;
        }
    }
}

} // namespace ollendor
