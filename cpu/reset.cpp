#include "cpu/z80.h"

namespace ollendor {

void cpuReset(Z80State& cpu)
{
    cpu.setAF(0);
    cpu.setBC(0);
    cpu.setDE(0);
    cpu.setHL(0);
    cpu.IX = 0;
    cpu.IY = 0;
    cpu.PC = 0;
    cpu.altAF = cpu.altBC = cpu.altDE = cpu.altHL = 0;
    cpu.SP = 0xF000;
    cpu.intState = 0;
    cpu.I = 0;
    cpu.cyclesLeft = cpu.cyclesPerHook;
    cpu.zeroCostSteps = 0;
    cpu.stopRequested = false;
    cpu.sliceEndDue = false;
    cpu.cyclesHeld = 0;
}

} // namespace ollendor
