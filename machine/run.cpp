#include "machine/machine.h"

#include "cpu/run.h"
#include "machine/bus.h"

uint16_t machineRun()
{
    return cpuRun<MtxBus>(z80);
}
