#include "machine/machine.h"

#if __has_include("cpu/run.h")
#include "cpu/run.h"
#include "machine/bus.h"

uint16_t machineRun()
{
    return cpuRun<MtxBus>(z80);
}
#endif
