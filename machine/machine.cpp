#include "machine/machine.h"

#include "machine/ctc.h"
#include "machine/keyboard.h"
#include "machine/tape.h"
#include "machine/timing.h"
#include "sound/soundchip.h"
#include "video/vdp.h"

Z80State z80;

RomLoadResult machineInit(const std::filesystem::path& romFolder)
{
    RomLoadResult roms = loadRomImages(romFolder);
    if (!roms.ok)
        return roms;
    patchTapeTrap(); // after the copies, so only page 0 carries it
    vdpReset();
    cpuReset(z80);   // copies cyclesPerHook, still 0, into cyclesLeft
    resetTiming();
    z80.traceFlag = 0;
    z80.cyclesPerHook = mtxCyclesPerHook;
    return roms;
}

void machinePowerOn()
{
    z80 = Z80State{};
    memoryPowerOn();
    ctcPowerOn();
    keyboardPowerOn();
    tapePowerOn();
    timingPowerOn();
    soundChipPowerOn();
    vdpReset();
}
