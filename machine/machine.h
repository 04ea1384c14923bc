// The one emulated MTX as a value: every piece of its state in one struct, and the run.
//
// Copying an Mtx copies the machine (about 1.2 MiB: the page store is most of it); two
// machines in one process run independently. Nothing in it points anywhere, so a copy is
// complete and a snapshot is a copy. Its host (the desktop loop, the headless loop, a test,
// the debugger) drives it:
//
//     Mtx& m = *machine;                     // usually on the heap: it is large
//     machineInit(m, roms);                  // power-on with the ROM set laid out
//     m.keyboard.input = ...;                // inputs are set between runs only
//     machineRun(m);                         // until the frame is done or an event is raised
//     MachineEvents events = takeEvents(m);  // what the host has to do now
//
// A run returns at an instruction boundary; the next run goes on exactly where it stopped,
// so stopping for an event or a frame is invisible to the emulated program.
#pragma once

#include <cstdint>

#include "cpu/bus.h"
#include "cpu/z80.h"
#include "machine/ctc.h"
#include "machine/hook.h"
#include "machine/keyboard.h"
#include "machine/memory.h"
#include "machine/tape.h"
#include "sound/output.h"
#include "sound/soundchip.h"
#include "video/render.h"
#include "video/vdp.h"

namespace ollendor {

struct RomSet;

// What a run can hand back to its host. Several may be raised before the run returns.
enum class MachineEvent : uint8_t {
    frameDone = 1 << 0,       // a frame was rendered into Mtx::frame (the 65th hook call)
    soundChanged = 1 << 1,    // a strobe changed the published tone settings (Mtx::sound)
    tapeRequest = 1 << 2,     // a tape header request waits for tapeInsert or tapeMissing
    unsupportedMode = 1 << 3, // the video chip entered a mode the renderer cannot draw
    diagnostic = 1 << 4,      // the CPU met an unrecognised prefixed opcode it reports
};

struct MachineEvents {
    uint8_t raised;                        // MachineEvent bits
    uint8_t unsupportedMode;               // the mode, with unsupportedMode
    char diagnosticLine[diagnosticLength]; // the line, with diagnostic ("Unrecognized ...")

    bool has(MachineEvent event) const { return (raised & uint8_t(event)) != 0; }
};

struct Mtx {
    Z80State cpu;          // registers, interrupt state, slice counters
    MemoryPages memory;    // ROM and RAM pages and their selectors
    CtcState ctc;          // counter/timer chip: the interrupt source
    VdpState vdp;          // video chip and its 16 KiB of memory
    RenderState render;    // the mode the renderer saw last
    FrameBuffer frame;     // the picture of the last frame, palette indices
    SoundChip sound;       // sound chip registers and published tone settings
    SoundOutput soundOutput; // the samples made from them on emulated time (sound/output.h)
    KeyboardState keyboard; // sense latches and the input they sample
    TapeState tape;        // the tape trap's image and requests
    TimingState timing;    // hook and frame counts
    MachineEvents events;  // raised since the host last took them
    uint64_t romIdentity;  // the ROM set the pages were laid out from
    bool romBuiltin;       // that set is the built-in one
};

// Every field as at program start: all memory zero, CPU reset with its hook period set
// (the first hook call comes right after the first instruction), video chip reset, sound
// chip, counter/timer and keyboard at power-on, nothing raised. No ROM.
void machinePowerOn(Mtx& machine);

// Power-on, then the ROM set laid out in the pages and the tape trap patched; the Caps
// Lock reference is taken from the input already set (keyboard.input.capsLock).
void machineInit(Mtx& machine, const RomSet& roms);

// Runs until a frame is done or an event is raised, and returns right after the
// instruction that raised it (a frame: after the slice end that rendered it). A tape
// request left unanswered by the host counts as a missing tape when the next run starts.
void machineRun(Mtx& machine);
// Executes exactly one instruction and the slice end after it if one falls due.
void machineStep(Mtx& machine);

// The events raised since the last call, which are cleared.
MachineEvents takeEvents(Mtx& machine);

// The sound samples made since the last call (at most max, oldest first; see
// sound/output.h): 31,250 a second of emulated time, 16-bit signed mono. A host takes them
// after every run (up to soundOutputCapacity wait; older ones are lost).
inline size_t takeSamples(Mtx& machine, int16_t* out, size_t max)
{
    return takeSamples(machine.soundOutput, out, max);
}

// Raises an event: the run returns after the current instruction.
inline void raiseEvent(Mtx& machine, MachineEvent event)
{
    machine.events.raised = uint8_t(machine.events.raised | uint8_t(event));
    requestStop(machine.cpu);
}

// Emulated time: cycles since power-on as the hook counts them (every slice 2048 cycles,
// the overshoot dropped), never decreasing from one instruction to the next.
uint64_t machineCycles(const Mtx& machine);

// Where a machine stands in its run, exactly: the slice (hook calls so far), the cycles left
// in it and the instructions in it that cost nothing. Every instruction moves it on (one
// that costs cycles lowers `left`, one that costs none raises `zeroCost`, a slice end
// starts the next slice), so two machines at the same position of the same run are the
// same machine. Inputs are stamped with it so a replay sets them at the very same point.
struct MachinePosition {
    uint64_t slice;    // hook calls so far
    int32_t left;      // cycles left in the slice (more left is earlier)
    uint16_t zeroCost; // instructions that cost nothing so far in the slice

    bool operator==(const MachinePosition&) const = default;
    bool operator<(const MachinePosition& other) const
    {
        if (slice != other.slice)
            return slice < other.slice;
        if (left != other.left)
            return left > other.left;
        return zeroCost < other.zeroCost;
    }
};

MachinePosition machinePosition(const Mtx& machine);

// Runs until the machine stands at `target` or just past it (never past an instruction
// boundary after it), or an event or a frame's end returns earlier; true once it stands at
// or past `target`. A caller loops, servicing events, until it is true.
bool machineRunTo(Mtx& machine, const MachinePosition& target);

} // namespace ollendor
