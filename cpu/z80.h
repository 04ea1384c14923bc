// The Z80 register file, its flag bits and the CPU's reset.
//
// One Z80State exists per machine. The run loop and the executors (cpu/run.h and the
// opcode-page headers) are templates over a bus type that supplies memory, ports, the
// periodic hook and the tape trap as inline functions of a small handle passed by value,
// so the MTX machine and the test harnesses run the same core with no indirection on the
// hot path.
//
// Not modelled: the refresh register R (LD A,R reads the negated low byte of cyclesLeft,
// LD R,A does nothing) and the undocumented flag bits 5 and 3 beyond the rules the
// executors state.
#pragma once

#include <cstdint>

namespace ollendor {

// Bits of F.
inline constexpr uint8_t flagS  = 0x80; // sign
inline constexpr uint8_t flagZ  = 0x40; // zero
inline constexpr uint8_t flag5  = 0x20; // undocumented copy of a result bit
inline constexpr uint8_t flagH  = 0x10; // half carry
inline constexpr uint8_t flag3  = 0x08; // undocumented copy of a result bit
inline constexpr uint8_t flagPV = 0x04; // parity or overflow
inline constexpr uint8_t flagN  = 0x02; // subtract
inline constexpr uint8_t flagC  = 0x01; // carry

// Bits of intState.
inline constexpr uint8_t IFF1   = 0x01; // maskable interrupts enabled
inline constexpr uint8_t IM1    = 0x02; // interrupt mode 1
inline constexpr uint8_t IM2    = 0x04; // interrupt mode 2 (neither IM bit: mode 0)
inline constexpr uint8_t IFF2   = 0x40; // IFF1 as it was when the last interrupt was accepted
inline constexpr uint8_t HALTED = 0x80; // executed HALT, waiting for an interrupt

// Answers of the periodic hook.
inline constexpr uint16_t hookContinue = 0xFFFF; // nothing to deliver
inline constexpr uint16_t hookQuit     = 0xFFFE; // stop the run loop
inline constexpr uint16_t hookNmi      = 0x0066; // non-maskable interrupt; any other value is a vector

struct Z80State {
    // Pairs are stored low register first, so each pair is also a little-endian word.
    uint8_t F;                 // flags
    uint8_t A;                 // accumulator
    uint8_t C, B;              // pair BC
    uint8_t E, D;              // pair DE
    uint8_t L, H;              // pair HL
    uint16_t IX;               // index register (IXH high byte, IXL low byte)
    uint16_t IY;               // index register (IYH, IYL)
    uint16_t PC;               // program counter
    uint16_t SP;               // stack pointer
    uint16_t altAF, altBC, altDE, altHL; // the alternate set, as whole words
    uint8_t intState;          // IFF1, IM1, IM2, IFF2, HALTED
    uint8_t I;                 // interrupt vector base
    int32_t cyclesPerHook;     // T-states between two periodic hook calls (2048 on the MTX)
    int32_t cyclesLeft;        // T-states left before the next hook call; counts down
    uint32_t cpuId;            // printed at the head of diagnostics
    bool reportUnknown;        // report unrecognised prefixed opcodes (ED xx, DD ED, DD CB)
    uint16_t zeroCostSteps;    // prefixed instructions that charged nothing in this slice
    bool stopRequested;        // the run returns at the next instruction boundary
    bool sliceEndDue;          // a run stopped after an instruction that spent the slice:
                               // the slice ends first thing when the run goes on
    int32_t cyclesHeld;        // while a stop is asked for: cyclesLeft's true value is
                               // cyclesLeft + cyclesHeld (0 otherwise)

    uint16_t AF() const { return uint16_t(A << 8 | F); }
    uint16_t BC() const { return uint16_t(B << 8 | C); }
    uint16_t DE() const { return uint16_t(D << 8 | E); }
    uint16_t HL() const { return uint16_t(H << 8 | L); }
    void setAF(uint16_t v) { F = uint8_t(v); A = uint8_t(v >> 8); }
    void setBC(uint16_t v) { C = uint8_t(v); B = uint8_t(v >> 8); }
    void setDE(uint16_t v) { E = uint8_t(v); D = uint8_t(v >> 8); }
    void setHL(uint16_t v) { L = uint8_t(v); H = uint8_t(v >> 8); }
};

// Power-on state: every register pair, PC and the alternate set 0, SP 0xF000, interrupts
// off in mode 0, not halted, no stop asked for; cyclesLeft takes the current cyclesPerHook.
// cyclesPerHook, cpuId and reportUnknown are left alone.
void cpuReset(Z80State& cpu);

// The cycles left in the slice as the machine sees them (LD A,R reads them).
inline int32_t cyclesLeftInSlice(const Z80State& cpu)
{
    return cpu.cyclesLeft + cpu.cyclesHeld;
}

// Asks the run loop to return after the current instruction, without changing when the next
// slice ends: the slice's cycles are set aside so that the loop's one test (cyclesLeft > 0)
// fails after this instruction, and are given back before the loop returns. The bus calls
// it (from memory, port, trap or hook calls) to raise an event; nothing is lost or skewed,
// so a run that stops and goes on executes exactly what one uninterrupted run would.
inline void requestStop(Z80State& cpu)
{
    cpu.stopRequested = true;
    cpu.cyclesHeld += cpu.cyclesLeft;
    cpu.cyclesLeft = 0;
}

// Asks the run loop to return at the first instruction boundary at which at most `left`
// cycles remain in the current slice (or the slice ends). Called between runs only.
inline void requestStopAt(Z80State& cpu, int32_t left)
{
    cpu.stopRequested = true;
    cpu.cyclesHeld += left;
    cpu.cyclesLeft -= left;
}

// Ends the slice after this instruction (HALT; a run of instructions that cost nothing): the
// hook comes next, whether or not a stop was asked for.
inline void endSlice(Z80State& cpu)
{
    cpu.cyclesLeft = 0;
    cpu.cyclesHeld = 0;
}

} // namespace ollendor
