// What the memory view marks as changed: every byte of the page store and of video memory
// that differs from what it held at the pause before the current one (after a step: what
// the step changed). Two copies are kept (about 1 MiB each) while the memory view is open:
// the memory at the last pause seen and at the one before it.
#pragma once

#include <cstdint>
#include <memory>

#include "machine/machine.h"

namespace ollendor {

class PauseMemory {
public:
    // Takes the memory as it is now as the reference (nothing marked).
    void reset(const Mtx& machine);
    // Called once per frame of the views with whether the machine stands paused and how
    // many stops it has made (Control::stops): at a pause not seen before, the memory of
    // the last pause becomes the reference and the memory now is kept for the next one.
    void notice(const Mtx& machine, bool paused, uint64_t stops);
    // The memory was edited during this pause: the edit belongs to the memory the next pause
    // is compared with (it stays marked until then, as a change since the pause before).
    void edited(const Mtx& machine);
    // Forgets both copies (the memory view closed).
    void release();
    bool active() const { return reference_ != nullptr; }

    bool pageByteChanged(const Mtx& machine, unsigned page, uint16_t offset) const
    {
        return reference_ && reference_->page[page][offset] != machine.memory.page[page][offset];
    }
    bool videoByteChanged(const Mtx& machine, uint16_t address) const
    {
        return reference_ && reference_->vram[address] != machine.vdp.vram[address];
    }

private:
    struct Image {
        uint8_t page[pageCount][pageSize];
        uint8_t vram[vramSize];
    };
    static void copy(Image& image, const Mtx& machine);

    std::unique_ptr<Image> reference_; // the pause before the last one
    std::unique_ptr<Image> lastPause_; // the last pause seen
    uint64_t seenStops_ = 0;
};

} // namespace ollendor
