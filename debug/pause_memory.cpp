#include "debug/pause_memory.h"

#include <cstring>

namespace ollendor {

void PauseMemory::copy(Image& image, const Mtx& machine)
{
    std::memcpy(image.page, machine.memory.page, sizeof image.page);
    std::memcpy(image.vram, machine.vdp.vram, sizeof image.vram);
}

void PauseMemory::reset(const Mtx& machine)
{
    if (!reference_)
        reference_ = std::make_unique<Image>();
    if (!lastPause_)
        lastPause_ = std::make_unique<Image>();
    copy(*reference_, machine);
    copy(*lastPause_, machine);
}

void PauseMemory::notice(const Mtx& machine, bool paused, uint64_t stops)
{
    if (!active()) {
        reset(machine);
        seenStops_ = stops;
        return;
    }
    if (!paused || stops == seenStops_)
        return;
    seenStops_ = stops;
    reference_.swap(lastPause_);
    copy(*lastPause_, machine);
}

void PauseMemory::edited(const Mtx& machine)
{
    if (lastPause_)
        copy(*lastPause_, machine);
}

void PauseMemory::release()
{
    reference_.reset();
    lastPause_.reset();
}

} // namespace ollendor
