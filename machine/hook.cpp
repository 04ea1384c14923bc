#include "machine/hook.h"

#include "machine/machine.h"

namespace ollendor {

uint16_t periodicHook(Mtx& machine, Z80State& cpu)
{
    uint16_t result = hookContinue;
    for (int channel = 3; channel >= 0; --channel) {
        if (machine.ctc.channel[channel].running)
            result = ctcTick(machine.ctc, unsigned(channel), cpu.cyclesPerHook);
    }

    TimingState& timing = machine.timing;
    if (++timing.hookCalls == timing.stopAtHookCall)
        requestStop(cpu);
    if (timing.hookCount == hooksPerFrame - 1) {
        timing.hookCount = 0;
        ++timing.frames;
        if (vdpRender(machine.vdp, machine.render, machine.frame)) {
            machine.events.unsupportedMode = machine.vdp.mode;
            raiseEvent(machine, MachineEvent::unsupportedMode);
        }
        // The sound is made at frame ends, a half at a time, from the tones published then.
        soundOutputFrameEnd(machine.soundOutput, timing.hookCalls * uint64_t(cpu.cyclesPerHook),
                            machine.sound.published);
        raiseEvent(machine, MachineEvent::frameDone);
    } else {
        ++timing.hookCount;
    }
    return result;
}

} // namespace ollendor
