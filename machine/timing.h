// The periodic hook: the machine's time-driven work, every cyclesPerHook (2048) CPU cycles.
//
// Each call stands for exactly 2048 cycles of emulated time. It ticks the running
// counter/timer channels (3, 2, 1, 0: the last running channel's answer wins), pumps the
// host's messages and renders a frame on every 65th call (every 133,120 cycles, about 30
// frames per emulated second), and paces emulation to 4 MHz: once 133,333 cycles have
// been counted since the last mark, it sleeps in 1 ms steps until 33 ms of host time have
// passed, while constrainSpeed is on. A mark is taken whenever 33 ms have passed; it
// records the speed reached, cycles counted × 30, in measuredClockHz.
//
// Only the millisecond field of the host's clock is used: when the host's second rolls over
// between a mark and a reading, the 16-bit difference is huge and the period ends early.
#pragma once

#include <atomic>
#include <cstdint>

#include "cpu/z80.h"
using namespace ollendor; // FIXME: until the machine moves into the namespace

inline constexpr uint32_t hooksPerFrame = 65;            // a frame on every 65th call
inline constexpr uint32_t cyclesPerPacingPeriod = 133333; // 4,000,000 / 30
inline constexpr uint16_t millisPerPacingPeriod = 33;
inline constexpr uint32_t pacingPeriodsPerSecond = 30;

extern uint32_t cycleAccumulator; // cycles counted since the last mark
extern uint16_t markMillis;       // millisecond field of the host clock at the last mark
extern uint32_t hookCount;        // hook calls since the last regular frame, 0-64

// Written by the emulation thread, read by the Timings window: speed at the last mark, 0
// until the first.
extern std::atomic<uint32_t> measuredClockHz;
// "Constrain to original Memotech speed": on (1) at start; written by the Timings window.
extern std::atomic<uint32_t> constrainSpeed;

// Clears the cycle count and the speed figure and takes a mark now.
void resetTiming();
// Every pacing value as at program start: counts and mark 0, constrainSpeed on.
void timingPowerOn();

// 0xFFFF nothing, 0xFFFE quit (the host's pump said so), otherwise an interrupt code.
uint16_t periodicHook(Z80State& cpu);
