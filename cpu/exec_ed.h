// ED page: 16-bit ADC/SBC and loads, I/O through C, interrupt modes and returns, I and R,
// RRD/RLD, NEG, the block instructions, and the machine's tape trap (ED FE).
//
// The repeating block instructions run their steps here until the count runs out or the
// slice's cycles do; an unfinished one leaves PC on its ED byte and is fetched again after
// the periodic hook, so an interrupt can fall between two of its steps. Opcodes not listed
// do nothing and cost nothing; bits 5 and 3 of F are never set on this page.
#pragma once

#include <cstdint>
#include <cstdio>

#include "cpu/access.h"
#include "cpu/alu.h"
#include "cpu/exec.h"

namespace ollendor {

// IN r,(C): the port is register C alone; F from the byte, carry kept.
template <Z80Bus Bus>
inline uint8_t inputFromC(Bus bus, Z80State& cpu)
{
    const uint8_t value = bus.portIn(cpu.C);
    cpu.F = uint8_t(flagsSZP[value] | (cpu.F & flagC));
    return value;
}

// LD A,I and LD A,R: S and Z from A, P/V from IFF1, H and N clear, carry kept.
inline void setFlagsOfLoadAI(Z80State& cpu)
{
    cpu.F = uint8_t(flagsSZ[cpu.A] | (cpu.intState & IFF1 ? flagPV : 0) | (cpu.F & flagC));
}

inline void setInterruptMode(Z80State& cpu, uint8_t modeBits)
{
    cpu.intState = uint8_t((cpu.intState & ~(IM1 | IM2)) | modeBits);
}

// One LDI (+1) or LDD (-1) step.
template <Z80Bus Bus>
inline void copyStep(Bus bus, Z80State& cpu, int direction)
{
    bus.memWrite(cpu.DE(), bus.memRead(cpu.HL()));
    cpu.setHL(uint16_t(cpu.HL() + direction));
    cpu.setDE(uint16_t(cpu.DE() + direction));
    cpu.setBC(uint16_t(cpu.BC() - 1));
}

inline void setCopyFlags(Z80State& cpu)
{
    cpu.F = uint8_t((cpu.F & (flagS | flagZ | flagC | flag5 | flag3)) | (cpu.BC() != 0 ? flagPV : 0));
}

// One CPI/CPD step; gives A minus the byte compared, and leaves the byte in `value`.
template <Z80Bus Bus>
inline uint8_t compareStep(Bus bus, Z80State& cpu, int direction, uint8_t& value)
{
    value = bus.memRead(cpu.HL());
    cpu.setHL(uint16_t(cpu.HL() + direction));
    cpu.setBC(uint16_t(cpu.BC() - 1));
    return uint8_t(cpu.A - value);
}

inline void setCompareFlags(Z80State& cpu, uint8_t value, uint8_t result)
{
    cpu.F = uint8_t(flagsSZ[result] | ((cpu.A ^ value ^ result) & flagH) |
                    (cpu.BC() != 0 ? flagPV : 0) | flagN | (cpu.F & flagC));
}

template <Z80Bus Bus>
inline void inputStep(Bus bus, Z80State& cpu, int direction)
{
    bus.memWrite(cpu.HL(), bus.portIn(cpu.C));
    cpu.setHL(uint16_t(cpu.HL() + direction));
    cpu.B = uint8_t(cpu.B - 1);
}

template <Z80Bus Bus>
inline void outputStep(Bus bus, Z80State& cpu, int direction)
{
    bus.portOut(cpu.C, bus.memRead(cpu.HL()));
    cpu.setHL(uint16_t(cpu.HL() + direction));
    cpu.B = uint8_t(cpu.B - 1);
}

// INI, IND, OUTI, OUTD and their repeats: Z when B reached 0, N set, everything else clear.
inline void setBlockIOFlags(Z80State& cpu)
{
    cpu.F = uint8_t((cpu.B == 0 ? flagZ : 0) | flagN);
}

// A repeating block instruction: 21 T-states per step while `unfinished` holds and the
// slice has cycles left. Unfinished, PC goes back to the ED byte to resume next slice;
// finished, the last step costs 16.
template <class Step, class Unfinished>
inline void repeatSteps(Z80State& cpu, Step step, Unfinished unfinished)
{
    do {
        step();
        cpu.cyclesLeft -= 21;
    } while (unfinished() && cpu.cyclesLeft > 0);
    if (unfinished())
        cpu.PC = uint16_t(cpu.PC - 2);
    else
        cpu.cyclesLeft += 5;
}

template <Z80Bus Bus>
void blockCopyRepeat(Bus bus, Z80State& cpu, int direction)
{
    repeatSteps(cpu, [&] { copyStep<Bus>(bus, cpu, direction); }, [&] { return cpu.BC() != 0; });
    setCopyFlags(cpu);
}

template <Z80Bus Bus>
void blockCompareRepeat(Bus bus, Z80State& cpu, int direction)
{
    uint8_t value = 0, result = 0;
    repeatSteps(cpu, [&] { result = compareStep<Bus>(bus, cpu, direction, value); },
                [&] { return cpu.BC() != 0 && result != 0; });
    setCompareFlags(cpu, value, result);
}

template <Z80Bus Bus>
void blockInputRepeat(Bus bus, Z80State& cpu, int direction)
{
    repeatSteps(cpu, [&] { inputStep<Bus>(bus, cpu, direction); }, [&] { return cpu.B != 0; });
    setBlockIOFlags(cpu);
}

template <Z80Bus Bus>
void blockOutputRepeat(Bus bus, Z80State& cpu, int direction)
{
    repeatSteps(cpu, [&] { outputStep<Bus>(bus, cpu, direction); }, [&] { return cpu.B != 0; });
    setBlockIOFlags(cpu);
}

template <Z80Bus Bus>
void execED(Bus bus, Z80State& cpu)
{
    const uint8_t op = fetchByte<Bus>(bus, cpu);
    cpu.cyclesLeft -= cyclesED[op];
    switch (op) {
    case 0x40: cpu.B = inputFromC<Bus>(bus, cpu); break; // IN B,(C)
    case 0x41: bus.portOut(cpu.C, cpu.B); break; // OUT (C),B
    case 0x42: cpu.setHL(sbc16(cpu, cpu.HL(), cpu.BC())); break; // SBC HL,BC
    case 0x43: writeWord<Bus>(bus, fetchWord<Bus>(bus, cpu), cpu.BC()); break; // LD (nn),BC
    case 0x44: { // NEG
        const uint8_t a = cpu.A;
        cpu.A = uint8_t(-a);
        cpu.F = uint8_t(flagsSZ[cpu.A] | ((a & 0x0F) != 0 ? flagH : 0) | (a == 0x80 ? flagPV : 0) |
                        flagN | (a != 0 ? flagC : 0));
        break;
    }
    case 0x45: // RETN
        cpu.intState = uint8_t((cpu.intState & ~IFF1) | (cpu.intState & IFF2 ? IFF1 : 0));
        cpu.PC = pop<Bus>(bus, cpu);
        break;
    case 0x46: setInterruptMode(cpu, 0); break; // IM 0
    case 0x47: cpu.I = cpu.A; break; // LD I,A
    case 0x48: cpu.C = inputFromC<Bus>(bus, cpu); break; // IN C,(C)
    case 0x49: bus.portOut(cpu.C, cpu.C); break; // OUT (C),C
    case 0x4A: cpu.setHL(adc16(cpu, cpu.HL(), cpu.BC())); break; // ADC HL,BC
    case 0x4B: cpu.setBC(readWord<Bus>(bus, fetchWord<Bus>(bus, cpu))); break; // LD BC,(nn)
    case 0x4D: cpu.PC = pop<Bus>(bus, cpu); break; // RETI
    case 0x4F: break; // LD R,A: there is no R to write

    case 0x50: cpu.D = inputFromC<Bus>(bus, cpu); break; // IN D,(C)
    case 0x51: bus.portOut(cpu.C, cpu.D); break; // OUT (C),D
    case 0x52: cpu.setHL(sbc16(cpu, cpu.HL(), cpu.DE())); break; // SBC HL,DE
    case 0x53: writeWord<Bus>(bus, fetchWord<Bus>(bus, cpu), cpu.DE()); break; // LD (nn),DE
    case 0x56: setInterruptMode(cpu, IM1); break; // IM 1
    case 0x57: cpu.A = cpu.I; setFlagsOfLoadAI(cpu); break; // LD A,I
    case 0x58: cpu.E = inputFromC<Bus>(bus, cpu); break; // IN E,(C)
    case 0x59: bus.portOut(cpu.C, cpu.E); break; // OUT (C),E
    case 0x5A: cpu.setHL(adc16(cpu, cpu.HL(), cpu.DE())); break; // ADC HL,DE
    case 0x5B: cpu.setDE(readWord<Bus>(bus, fetchWord<Bus>(bus, cpu))); break; // LD DE,(nn)
    case 0x5E: setInterruptMode(cpu, IM2); break; // IM 2
    case 0x5F: // LD A,R: R follows the cycle counter, read after this instruction's cycles
        cpu.A = uint8_t(-uint8_t(cyclesLeftInSlice(cpu)));
        setFlagsOfLoadAI(cpu);
        break;

    case 0x60: cpu.H = inputFromC<Bus>(bus, cpu); break; // IN H,(C)
    case 0x61: bus.portOut(cpu.C, cpu.H); break; // OUT (C),H
    case 0x62: cpu.setHL(sbc16(cpu, cpu.HL(), cpu.HL())); break; // SBC HL,HL
    case 0x63: writeWord<Bus>(bus, fetchWord<Bus>(bus, cpu), cpu.HL()); break; // LD (nn),HL
    case 0x67: { // RRD
        const uint16_t hl = cpu.HL();
        const uint8_t m = bus.memRead(hl);
        bus.memWrite(hl, uint8_t(cpu.A << 4 | m >> 4));
        cpu.A = uint8_t((cpu.A & 0xF0) | (m & 0x0F));
        cpu.F = uint8_t(flagsSZP[cpu.A] | (cpu.F & flagC));
        break;
    }
    case 0x68: cpu.L = inputFromC<Bus>(bus, cpu); break; // IN L,(C)
    case 0x69: bus.portOut(cpu.C, cpu.L); break; // OUT (C),L
    case 0x6A: cpu.setHL(adc16(cpu, cpu.HL(), cpu.HL())); break; // ADC HL,HL
    case 0x6B: cpu.setHL(readWord<Bus>(bus, fetchWord<Bus>(bus, cpu))); break; // LD HL,(nn)
    case 0x6F: { // RLD
        const uint16_t hl = cpu.HL();
        const uint8_t m = bus.memRead(hl);
        bus.memWrite(hl, uint8_t(m << 4 | (cpu.A & 0x0F)));
        cpu.A = uint8_t((cpu.A & 0xF0) | m >> 4);
        cpu.F = uint8_t(flagsSZP[cpu.A] | (cpu.F & flagC));
        break;
    }

    case 0x70: inputFromC<Bus>(bus, cpu); break; // IN (C): flags only
    case 0x72: cpu.setHL(sbc16(cpu, cpu.HL(), cpu.SP)); break; // SBC HL,SP
    case 0x73: writeWord<Bus>(bus, fetchWord<Bus>(bus, cpu), cpu.SP); break; // LD (nn),SP
    case 0x78: cpu.A = inputFromC<Bus>(bus, cpu); break; // IN A,(C)
    case 0x79: bus.portOut(cpu.C, cpu.A); break; // OUT (C),A
    case 0x7A: cpu.setHL(adc16(cpu, cpu.HL(), cpu.SP)); break; // ADC HL,SP
    case 0x7B: cpu.SP = readWord<Bus>(bus, fetchWord<Bus>(bus, cpu)); break; // LD SP,(nn)

    case 0xA0: copyStep<Bus>(bus, cpu, +1); setCopyFlags(cpu); break; // LDI
    case 0xA1: { // CPI
        uint8_t value;
        const uint8_t result = compareStep<Bus>(bus, cpu, +1, value);
        setCompareFlags(cpu, value, result);
        break;
    }
    case 0xA2: inputStep<Bus>(bus, cpu, +1); setBlockIOFlags(cpu); break; // INI
    case 0xA3: outputStep<Bus>(bus, cpu, +1); setBlockIOFlags(cpu); break; // OUTI
    case 0xA8: copyStep<Bus>(bus, cpu, -1); setCopyFlags(cpu); break; // LDD
    case 0xA9: { // CPD
        uint8_t value;
        const uint8_t result = compareStep<Bus>(bus, cpu, -1, value);
        setCompareFlags(cpu, value, result);
        break;
    }
    case 0xAA: inputStep<Bus>(bus, cpu, -1); setBlockIOFlags(cpu); break; // IND
    case 0xAB: outputStep<Bus>(bus, cpu, -1); setBlockIOFlags(cpu); break; // OUTD

    case 0xB0: blockCopyRepeat<Bus>(bus, cpu, +1); break; // LDIR
    case 0xB1: blockCompareRepeat<Bus>(bus, cpu, +1); break; // CPIR
    case 0xB2: blockInputRepeat<Bus>(bus, cpu, +1); break; // INIR
    case 0xB3: blockOutputRepeat<Bus>(bus, cpu, +1); break; // OTIR
    case 0xB8: blockCopyRepeat<Bus>(bus, cpu, -1); break; // LDDR
    case 0xB9: blockCompareRepeat<Bus>(bus, cpu, -1); break; // CPDR
    case 0xBA: blockInputRepeat<Bus>(bus, cpu, -1); break; // INDR
    case 0xBB: blockOutputRepeat<Bus>(bus, cpu, -1); break; // OTDR

    case 0xED: cpu.PC = uint16_t(cpu.PC - 1); break; // ED ED: the second ED starts over as a prefix
    case 0xFE: bus.tapeTrap(cpu); break; // tape trap

    default: // unrecognised: nothing happens
        if (cpu.reportUnknown) {
            char line[diagnosticLength];
            std::snprintf(line, sizeof line, "[Z80 %lX] Unrecognized instruction: ED %02X at PC=%04X",
                          static_cast<unsigned long>(cpu.cpuId), op, uint16_t(cpu.PC - 2));
            bus.diagnostic(cpu, line);
        }
        break;
    }
}

} // namespace ollendor
