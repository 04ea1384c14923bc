// Running a machine to an exact position over any bus built on the machine's own (the
// plain one, or the debugger's watching one): to the start of the position's slice by the
// hook's count, into the slice by the cycles left, then over instructions that cost nothing
// one at a time.
#pragma once

#include "cpu/run.h"
#include "machine/machine.h"

namespace ollendor {

// True once the machine stands at or just past `target`; false when an event, a frame's
// end or a stop the bus asked for came first (the caller services it and calls again).
template <Z80Bus Bus>
bool runToPosition(Mtx& machine, Bus bus, const MachinePosition& target)
{
    MachinePosition now = machinePosition(machine);
    if (!(now < target))
        return true;
    if (now.slice < target.slice) {
        // Run to the start of the target's slice: the hook that begins it asks for a stop.
        machine.timing.stopAtHookCall = target.slice;
        cpuRun(bus, machine.cpu);
        machine.timing.stopAtHookCall = 0;
        now = machinePosition(machine);
        // The hook that begins the slice may also end a frame (or an event came on the
        // way): the caller services it before the machine runs on.
        if (now.slice < target.slice || !(now < target) || machine.events.raised != 0)
            return !(now < target);
    }
    // In the target's slice: stop at the first boundary with at most `left` cycles left...
    if (target.left < now.left && !machine.cpu.sliceEndDue) {
        requestStopAt(machine.cpu, target.left);
        cpuRun(bus, machine.cpu);
        now = machinePosition(machine);
        if (now.slice != target.slice || now.left > target.left)
            return !(now < target); // an event, the frame's end or a breakpoint came first
    }
    // ...then single instructions over those that cost nothing.
    while (now < target) {
        if (cpuStep(bus, machine.cpu) || machine.events.raised != 0)
            return !(machinePosition(machine) < target);
        now = machinePosition(machine);
    }
    return true;
}

} // namespace ollendor
