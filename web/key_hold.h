// The page's keys as the machine samples them. A browser can deliver a key's press and
// release between two emulated frames (a quick tap, or a test's key press); the machine
// would never see such a key. So a key let go before the machine has run a whole frame
// with it is held until it has.
#pragma once

#include <cstdint>

#include "machine/keyboard.h"

namespace ollendor {

class KeyHold {
public:
    void press(uint8_t virtualKey);
    void release(uint8_t virtualKey);
    void releaseAll();
    // The input for the next frame.
    KeyboardInput input(int16_t capsLock) const;
    // Call after each frame: keys released early are let go now.
    void frameRan();

private:
    bool down_[256]{};     // held as the page sees it
    bool waiting_[256]{};  // released by the page, held until a frame has run with it
    bool seen_[256]{};     // a frame has run since the press
};

} // namespace ollendor
