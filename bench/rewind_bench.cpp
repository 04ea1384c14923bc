// Rewind: what a capture after every frame costs, what stepping back costs, and the memory
// a minute of captures takes, on the built-in ROM's graphics page with its moving sprites.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/bench.h"
#include "machine/machine.h"
#include "machine/rom_set.h"
#include "state/rewind.h"

using namespace ollendor;

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t key4 = 0x34;

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One frame, key 4 held over frames 40-43 (the menu opens the graphics page).
void runFrame(Mtx& machine)
{
    const uint64_t frame = machine.timing.frames;
    machine.keyboard.input = keyboardInputFrom([frame](uint8_t key) { return key == key4 && frame >= 40 && frame < 44; }, 0);
    do {
        machineRun(machine);
        if (takeEvents(machine).has(MachineEvent::tapeRequest))
            tapeMissing(machine);
    } while (machine.timing.frames == frame);
}

void rewindBench()
{
    auto machine = std::make_unique<Mtx>();
    machinePowerOn(*machine);
    machineInit(*machine, builtinRomSet());
    while (machine->timing.frames < 60)
        runFrame(*machine);
    if (machine->vdp.mode != modeGraphics2)
        std::printf("rewind: the graphics page did not open (mode %u)\n", unsigned(machine->vdp.mode));

    // A minute of frames (and the one it starts from), a capture after each.
    auto buffer = std::make_unique<RewindBuffer>();
    buffer->capture(*machine);
    std::vector<double> captures;
    for (size_t f = 1; f < rewindDefaultCapacity; ++f) {
        runFrame(*machine);
        const auto start = Clock::now();
        buffer->capture(*machine);
        captures.push_back(microseconds(Clock::now() - start));
    }
    const size_t minuteBytes = buffer->memoryBytes();
    const size_t held = buffer->frames();

    // The oldest capture, without dropping anything (the debugger's far jump back).
    std::vector<double> far;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        buffer->peek(*machine, held - 1);
        far.push_back(microseconds(Clock::now() - start));
    }

    // Rewinding as the desktop does it: one frame back per presented frame.
    std::vector<double> restores;
    for (int i = 0; i < 300; ++i) {
        const auto start = Clock::now();
        buffer->restore(*machine, 1);
        restores.push_back(microseconds(Clock::now() - start));
    }

    std::printf("snapshot capture: %.1f us\n", median(captures));
    std::printf("snapshot restore: %.1f us\n", median(restores));
    std::printf("rewind memory per minute: %.1f MiB\n", double(minuteBytes) / (1 << 20));
    std::sort(captures.begin(), captures.end());
    std::printf("snapshot capture, 99th percentile: %.1f us\n", captures[captures.size() * 99 / 100]);
    std::printf("snapshot restore, oldest of %zu held: %.1f us\n", held, median(far));
}

const BenchSection rewindSection("rewind", 50, rewindBench);

} // namespace
