// The built-in ROM's graphics page as a workload for tests of whole machines: key 4 is
// held over frames 40-43, which opens the page with moving sprites, so the picture, the
// video memory and RAM change every frame after it. The input depends only on the
// machine's frame number, so a copied or restored machine replays it exactly. Tape
// requests are answered as missing.
#pragma once

#include <cstdint>
#include <memory>

#include "machine/machine.h"
#include "machine/rom_set.h"

namespace ollendor::graphics_page {

inline constexpr uint8_t key4 = 0x34;

// A machine on the built-in ROM, just powered on.
inline std::unique_ptr<Mtx> builtinMachine()
{
    auto machine = std::make_unique<Mtx>();
    machinePowerOn(*machine);
    machineInit(*machine, builtinRomSet());
    return machine;
}

// One whole frame with the keys of its frame number.
inline void runFrame(Mtx& machine)
{
    const uint64_t frame = machine.timing.frames;
    machine.keyboard.input =
        keyboardInputFrom([frame](uint8_t key) { return key == key4 && frame >= 40 && frame < 44; }, 0);
    do {
        machineRun(machine);
        if (takeEvents(machine).has(MachineEvent::tapeRequest))
            tapeMissing(machine);
    } while (machine.timing.frames == frame);
}

inline void runFrames(Mtx& machine, unsigned frames)
{
    for (unsigned i = 0; i < frames; ++i)
        runFrame(machine);
}

} // namespace ollendor::graphics_page
