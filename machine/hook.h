// The periodic hook: the machine's time-driven work, every cyclesPerHook (2048) CPU cycles.
//
// Each call stands for exactly 2048 cycles of emulated time. It ticks the running
// counter/timer channels (3, 2, 1, 0: the last running channel's answer wins) and renders
// a frame on every 65th call (every 133,120 cycles, about 30 frames per emulated second),
// raising the frameDone event so that the run returns to its host at the frame boundary.
// Pacing to real time is the host's business: the machine knows only emulated time.
#pragma once

#include <cstdint>

#include "cpu/z80.h"

namespace ollendor {

struct Mtx;

inline constexpr int32_t mtxCyclesPerHook = 2048;
inline constexpr uint32_t hooksPerFrame = 65; // a frame on every 65th call
inline constexpr uint64_t cyclesPerFrame = uint64_t(hooksPerFrame) * mtxCyclesPerHook; // 133,120

struct TimingState {
    uint32_t hookCount;      // hook calls since the last frame, 0-64
    uint64_t hookCalls;      // hook calls since power-on: emulated time in slices
    uint64_t frames;         // frames rendered since power-on
    uint64_t stopAtHookCall; // the run returns after the hook call that reaches this count (0: never)
};

// 0xFFFF nothing, otherwise an interrupt code from the counter/timer.
uint16_t periodicHook(Mtx& machine, Z80State& cpu);

} // namespace ollendor
