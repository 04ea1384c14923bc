// The MTX as the Z80 core's bus: memory through the page selectors, the port map, the
// periodic hook and the tape trap of one machine value, all inlined into the core.
#pragma once

#include <algorithm>
#include <cstring>

#include "cpu/bus.h"
#include "machine/machine.h"
#include "machine/ports.h"

namespace ollendor {

struct MtxBus {
    Mtx* machine;

    uint8_t memRead(uint16_t address) const { return ollendor::memRead(machine->memory, address); }
    void memWrite(uint16_t address, uint8_t value) const { ollendor::memWrite(machine->memory, address, value); }
    uint8_t portIn(uint16_t port) const { return ollendor::portIn(*machine, port); }
    void portOut(uint16_t port, uint8_t value) const { ollendor::portOut(*machine, port, value); }
    uint16_t periodicHook(Z80State& cpu) const { return ollendor::periodicHook(*machine, cpu); }
    void tapeTrap(Z80State& cpu) const { ollendor::tapeTrap(*machine, cpu); }
    // The video chip register an OUT writes (the second control byte of a register
    // write), or -1: for the debugger's register breakpoints.
    int registerWritten(uint16_t port, uint8_t value) const
    {
        return port == 2 && machine->vdp.secondByteExpected && (value & 0x80) ? value & 7 : -1;
    }
    uint64_t cycles() const { return machineCycles(*machine); }
    void diagnostic(Z80State&, const char* line) const
    {
        const size_t length = std::min(std::strlen(line), diagnosticLength - 1);
        std::memcpy(machine->events.diagnosticLine, line, length);
        machine->events.diagnosticLine[length] = '\0';
        raiseEvent(*machine, MachineEvent::diagnostic);
    }
};

static_assert(Z80Bus<MtxBus>);

} // namespace ollendor
