#include "machine/timing.h"

#include "host/host.h"
#include "machine/ctc.h"

uint32_t cycleAccumulator;
uint16_t markMillis;
uint32_t hookCount;
std::atomic<uint32_t> measuredClockHz{0};
std::atomic<uint32_t> constrainSpeed{1};

void resetTiming()
{
    cycleAccumulator = 0;
    markMillis = host().systemMillis();
    measuredClockHz.store(0, std::memory_order_relaxed);
}

void timingPowerOn()
{
    cycleAccumulator = 0;
    markMillis = 0;
    hookCount = 0;
    measuredClockHz.store(0, std::memory_order_relaxed);
    constrainSpeed.store(1, std::memory_order_relaxed);
}

uint16_t periodicHook(Z80State& cpu)
{
    uint16_t result = hookContinue;
    cycleAccumulator += uint32_t(cpu.cyclesPerHook);

    for (int channel = 3; channel >= 0; --channel) {
        if (ctc.channel[channel].running)
            result = ctcTick(unsigned(channel), cpu.cyclesPerHook);
    }

    if (hookCount == hooksPerFrame - 1) {
        if (!host().pumpMessages())
            return hookQuit;
        host().renderFrame();
        hookCount = 0;
    } else {
        ++hookCount;
    }

    uint16_t now = host().systemMillis();
    uint16_t elapsed = uint16_t(now - markMillis);
    if (cycleAccumulator > cyclesPerPacingPeriod) {
        now = host().systemMillis();
        elapsed = uint16_t(now - markMillis);
        // Ahead of 4 MHz: wait out the period, keeping the window alive meanwhile.
        while (constrainSpeed.load(std::memory_order_relaxed) && elapsed < millisPerPacingPeriod) {
            host().sleepMillis(1);
            if (!host().pumpMessages())
                return hookQuit;
            host().renderFrame();
            now = host().systemMillis();
            elapsed = uint16_t(now - markMillis);
        }
    }

    if (elapsed >= millisPerPacingPeriod) {
        measuredClockHz.store(cycleAccumulator * pacingPeriodsPerSecond, std::memory_order_relaxed);
        cycleAccumulator = 0;
        markMillis = now;
    }
    return result;
}
