#include "frontend/pacer.h"

#include <algorithm>

namespace ollendor {

void Pacer::start(int64_t now)
{
    deadline_ = now;
    cycleRemainder_ = 0;
    markTime_ = now;
    markCycles_ = 0;
    measuredHz_ = 0;
}

void Pacer::emulated(uint64_t cycles, int64_t now, bool limited)
{
    markCycles_ += cycles;
    if (now - markTime_ >= measurePeriodNanos) {
        measuredHz_ = uint32_t(std::min<uint64_t>(
            markCycles_ * uint64_t(nanosPerSecond) / uint64_t(now - markTime_), UINT32_MAX));
        markTime_ = now;
        markCycles_ = 0;
    }

    if (!limited || now - deadline_ > pacingSlackNanos) {
        deadline_ = now;
        cycleRemainder_ = 0;
        if (!limited)
            return;
    }
    // Exact arithmetic: 4 MHz is 250 ns a cycle, but keep any rate exact all the same.
    const uint64_t scaled = cycles * uint64_t(nanosPerSecond) + cycleRemainder_;
    deadline_ += int64_t(scaled / machineHz);
    cycleRemainder_ = scaled % machineHz;
}

int64_t Pacer::waitNanos(int64_t now) const
{
    return std::max<int64_t>(deadline_ - now, 0);
}

void Pacer::resume(int64_t now)
{
    deadline_ = now;
    cycleRemainder_ = 0;
    markTime_ = now;
    markCycles_ = 0;
}

} // namespace ollendor
