// The MTX as the Z80 core's bus: memory through the page selectors, the port map, the
// periodic hook and the tape trap, all reached without a call through a pointer.
#pragma once

#include <cstdio>

#include "cpu/bus.h"
#include "machine/memory.h"
#include "machine/ports.h"
#include "machine/tape.h"
#include "machine/timing.h"

struct MtxBus {
    static uint8_t memRead(uint16_t address) { return ::memRead(address); }
    static void memWrite(uint16_t address, uint8_t value) { ::memWrite(address, value); }
    static uint8_t portIn(uint16_t port) { return ::portIn(port); }
    static void portOut(uint16_t port, uint8_t value) { ::portOut(port, value); }
    static uint16_t periodicHook(ollendor::Z80State& cpu) { return ::periodicHook(cpu); }
    static void tapeTrap(ollendor::Z80State& cpu) { ::tapeTrap(cpu); }
    static void diagnostic(ollendor::Z80State&, const char* line) { std::printf("%s\n", line); }
};

static_assert(ollendor::Z80Bus<MtxBus>);
