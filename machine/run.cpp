#include "machine/machine.h"

#include "cpu/run.h"
#include "machine/bus.h"

uint16_t machineRun()
{
    return ollendor::cpuRun(MtxBus{}, z80);
}
