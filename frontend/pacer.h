// Holds emulation to the machine's 4 MHz against a monotonic host clock.
//
// Emulated time runs in frames of 133,120 cycles (33.28 ms at 4 MHz). After each frame the
// loop asks how long to wait; the answer comes from a running deadline, the host time at
// which all the cycles emulated since the start are due, so rounding never accumulates
// into drift. The loop waits in 1 ms sleeps, keeping the window alive meanwhile. A loop
// that falls far behind (a slow host, a modal box, a paused debugger) does not race to
// catch up afterwards: the deadline moves up to the present.
//
// The rate shown in the Timings window is measured, not assumed: cycles emulated over the
// host time they took, refreshed about twice a second.
#pragma once

#include <cstdint>

namespace ollendor {

inline constexpr uint64_t machineHz = 4000000;
inline constexpr int64_t nanosPerSecond = 1000000000;
// Behind by more than this, the deadline is moved up to now instead of caught up with.
inline constexpr int64_t pacingSlackNanos = 100 * 1000000;
// How often the measured rate is refreshed.
inline constexpr int64_t measurePeriodNanos = 500 * 1000000;

class Pacer {
public:
    // Starts counting at host time now (nanoseconds of a monotonic clock).
    void start(int64_t now);
    // cycles more have been emulated by host time now. With the speed limit on, the
    // deadline moves on by their duration at 4 MHz; off, it stays at now.
    void emulated(uint64_t cycles, int64_t now, bool limited);
    // Nanoseconds still to wait at host time now before emulating more; 0 when due.
    int64_t waitNanos(int64_t now) const;
    // The time the loop stood still on purpose (a modal box, a pause) does not count as
    // time the machine was slow in: the measurement and the deadline start again from now.
    void resume(int64_t now);

    // Emulated cycles per second of host time over the last measuring period; 0 until the
    // first period has passed.
    uint32_t measuredHz() const { return measuredHz_; }

private:
    int64_t deadline_ = 0;       // host time at which the emulated time so far is due
    uint64_t cycleRemainder_ = 0; // cycles × 1e9 not yet turned into whole nanoseconds
    int64_t markTime_ = 0;       // start of the measuring period
    uint64_t markCycles_ = 0;    // cycles emulated in it so far
    uint32_t measuredHz_ = 0;
};

} // namespace ollendor
