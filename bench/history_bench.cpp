// The call stack and the trace asked for the first time after a minute of history: what
// rebuilding them costs (the whole minute run again over the watching bus), and asked
// again after a step back (run again from a capture near the end). On the built-in ROM's
// graphics page with its moving sprites, run as the desktop does (a capture per frame).
#include <chrono>
#include <cstdio>
#include <memory>

#include "bench/bench.h"
#include "control/control.h"
#include "machine/rom_set.h"

using namespace ollendor;

namespace {

using Clock = std::chrono::steady_clock;

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void historyBench()
{
    Session session(builtinRomSet());
    auto rewind = std::make_unique<RewindBuffer>();
    Control control(session, *rewind);
    session.holdKeys({'4'}, 4); // the menu's graphics page
    const auto runStart = Clock::now();
    for (size_t frame = 0; frame < 40 + rewindDefaultCapacity; ++frame)
        control.runFrame();
    const double runMs = millis(Clock::now() - runStart);
    control.pause();

    auto start = Clock::now();
    const Control::Result first = control.freshHistory();
    const double firstMs = millis(Clock::now() - start);
    if (!first.ok) {
        std::printf("history: %s\n", first.error.c_str());
        return;
    }
    std::printf("history: get_trace first asked after %zu frames (%.0f s) held: rebuilt in %.0f ms "
                "(the plain run of them took %.0f ms), %zu instructions traced, call stack of %zu\n",
                rewind->frames(), double(rewind->frames() - 1) * double(cyclesPerFrame) / 4e6, firstMs, runMs,
                control.debugger().trace().size(), control.debugger().callStack().size());

    start = Clock::now();
    control.reverseStep(1);
    const double stepMs = millis(Clock::now() - start);
    start = Clock::now();
    control.freshHistory();
    const double againMs = millis(Clock::now() - start);
    std::printf("history: after a reverse step (%.1f ms): rebuilt again in %.1f ms\n", stepMs, againMs);
}

const BenchSection section("history", 55, historyBench);

} // namespace
