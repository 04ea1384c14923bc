// The opcode-page executors, declared together so the pages can call one another.
//
// Each is given the CPU with PC just past the byte that led to it (a prefix, or for the
// indexed bit page the CB byte) and charges its own page's cycle table.
#pragma once

#include "cpu/bus.h"

namespace ollendor {

// Which index register a DD or FD page works on.
enum class IndexPrefix { DD, FD };

template <IndexPrefix prefix>
inline uint16_t& indexRegister(Z80State& cpu)
{
    if constexpr (prefix == IndexPrefix::DD)
        return cpu.IX;
    else
        return cpu.IY;
}

template <Z80Bus Bus> void execCB(Bus bus, Z80State& cpu);
template <Z80Bus Bus> void execED(Bus bus, Z80State& cpu);
template <Z80Bus Bus, IndexPrefix prefix> void execIndex(Bus bus, Z80State& cpu);
template <Z80Bus Bus, IndexPrefix prefix> void execIndexCB(Bus bus, Z80State& cpu);

template <Z80Bus Bus> void execDD(Bus bus, Z80State& cpu) { execIndex<Bus, IndexPrefix::DD>(bus, cpu); }
template <Z80Bus Bus> void execFD(Bus bus, Z80State& cpu) { execIndex<Bus, IndexPrefix::FD>(bus, cpu); }
template <Z80Bus Bus> void execDDCB(Bus bus, Z80State& cpu) { execIndexCB<Bus, IndexPrefix::DD>(bus, cpu); }
template <Z80Bus Bus> void execFDCB(Bus bus, Z80State& cpu) { execIndexCB<Bus, IndexPrefix::FD>(bus, cpu); }

} // namespace ollendor
