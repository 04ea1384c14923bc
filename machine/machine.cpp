#include "machine/machine.h"

#include <algorithm>

#include "cpu/run.h"
#include "machine/bus.h"
#include "machine/rom_set.h"
#include "machine/run_to.h"

namespace ollendor {

void machinePowerOn(Mtx& machine)
{
    machine.cpu = Z80State{};
    machine.cpu.cyclesPerHook = mtxCyclesPerHook;
    cpuReset(machine.cpu);
    machine.cpu.cyclesLeft = 0; // the first hook call comes right after the first instruction
    memoryPowerOn(machine.memory);
    ctcPowerOn(machine.ctc);
    vdpReset(machine.vdp);
    machine.render = RenderState{};
    machine.frame = FrameBuffer{};
    soundChipPowerOn(machine.sound);
    soundOutputPowerOn(machine.soundOutput);
    keyboardPowerOn(machine.keyboard);
    tapePowerOn(machine.tape);
    machine.timing = TimingState{};
    machine.events = MachineEvents{};
    machine.romIdentity = 0;
    machine.romBuiltin = false;
}

void machineInit(Mtx& machine, const RomSet& roms)
{
    const KeyboardInput input = machine.keyboard.input;
    machinePowerOn(machine);
    layOutRomImages(machine.memory, roms);
    patchTapeTrap(machine.memory); // after the copies, so only page 0 carries it
    layOutSearchedFolders(machine.memory, roms);
    machine.romIdentity = roms.identity;
    machine.romBuiltin = roms.builtin;
    machine.keyboard.input = input;
    snapshotCapsLock(machine.keyboard);
}

namespace {

// A request the host did not answer would leave its block undelivered for ever.
void settleTapeRequest(Mtx& machine)
{
    if (machine.tape.requestPending)
        tapeMissing(machine);
}

} // namespace

void machineRun(Mtx& machine)
{
    settleTapeRequest(machine);
    cpuRun(MtxBus{&machine}, machine.cpu);
}

void machineStep(Mtx& machine)
{
    settleTapeRequest(machine);
    cpuStep(MtxBus{&machine}, machine.cpu);
}

MachineEvents takeEvents(Mtx& machine)
{
    const MachineEvents events = machine.events;
    machine.events.raised = 0;
    return events;
}

MachinePosition machinePosition(const Mtx& machine)
{
    // A slice spent by the instruction before a stop has not ended yet: it is still that
    // slice, with nothing (or less) left.
    return MachinePosition{machine.timing.hookCalls, cyclesLeftInSlice(machine.cpu),
                           machine.cpu.zeroCostSteps};
}

bool machineRunTo(Mtx& machine, const MachinePosition& target)
{
    settleTapeRequest(machine);
    return runToPosition(machine, MtxBus{&machine}, target);
}

uint64_t machineCycles(const Mtx& machine)
{
    const int32_t left = std::max(cyclesLeftInSlice(machine.cpu), 0);
    return machine.timing.hookCalls * uint64_t(machine.cpu.cyclesPerHook) +
           uint64_t(machine.cpu.cyclesPerHook - left);
}

} // namespace ollendor
