// Unprefixed opcodes: the body of the run loop's switch.
//
// execBase is forced inline into cpuRun, so the main loop is one switch over the opcode
// byte. The DD/FD page reuses it, without the taken-branch surcharges, for second bytes
// that have no index form (DD 01 is LD BC,nn; DD 76 is HALT).
#pragma once

#include <cstdint>

#include "cpu/access.h"
#include "cpu/alu.h"
#include "cpu/exec.h"

namespace ollendor {

// Some prefixed forms cost no T-states: DD or FD before an opcode without an index form
// (DD 00, DD 18 FE, a second DD), unrecognised ED opcodes and unrecognised DD CB forms.
// Code made only of them would never use up the slice, so the periodic hook - interrupts,
// frames, the window and quitting - would never run again. They are counted per slice,
// and past this many the slice ends. Real code never comes near it: a slice of 2048
// T-states holds at most 512 instructions that cost anything.
inline constexpr uint16_t zeroCostLimit = 4096;

// Runs one prefix page's executor and counts it when it charged nothing. The true cycles
// left are compared, so a stop asked for inside the instruction changes nothing here.
template <Z80Bus Bus, class Exec>
inline void execPrefix(Bus bus, Z80State& cpu, Exec exec)
{
    const int32_t before = cyclesLeftInSlice(cpu);
    exec(bus, cpu);
    if (cyclesLeftInSlice(cpu) == before) [[unlikely]] {
        if (++cpu.zeroCostSteps >= zeroCostLimit)
            endSlice(cpu);
    }
}

// The extra T-states of a taken conditional branch, charged only on the unprefixed page.
template <bool chargeTaken>
inline void chargeTakenBranch(Z80State& cpu, int cycles)
{
    if constexpr (chargeTaken)
        cpu.cyclesLeft -= cycles;
}

template <Z80Bus Bus, bool chargeTaken>
inline void jumpRelativeIf(Bus bus, Z80State& cpu, bool condition)
{
    const int8_t displacement = fetchDisplacement<Bus>(bus, cpu);
    if (condition) {
        cpu.PC = uint16_t(cpu.PC + displacement);
        chargeTakenBranch<chargeTaken>(cpu, 5);
    }
}

template <Z80Bus Bus>
inline void jumpIf(Bus bus, Z80State& cpu, bool condition)
{
    const uint16_t target = fetchWord<Bus>(bus, cpu);
    if (condition)
        cpu.PC = target;
}

template <Z80Bus Bus, bool chargeTaken>
inline void callIf(Bus bus, Z80State& cpu, bool condition)
{
    const uint16_t target = fetchWord<Bus>(bus, cpu);
    if (condition) {
        push<Bus>(bus, cpu, cpu.PC);
        cpu.PC = target;
        chargeTakenBranch<chargeTaken>(cpu, 7);
    }
}

template <Z80Bus Bus, bool chargeTaken>
inline void returnIf(Bus bus, Z80State& cpu, bool condition)
{
    if (condition) {
        cpu.PC = pop<Bus>(bus, cpu);
        chargeTakenBranch<chargeTaken>(cpu, 6);
    }
}

template <Z80Bus Bus>
inline void restart(Bus bus, Z80State& cpu, uint16_t target)
{
    push<Bus>(bus, cpu, cpu.PC);
    cpu.PC = target;
}

// The conditions of JR, JP, CALL and RET.
inline bool isZero(const Z80State& cpu) { return cpu.F & flagZ; }
inline bool isCarry(const Z80State& cpu) { return cpu.F & flagC; }
inline bool isParityEven(const Z80State& cpu) { return cpu.F & flagPV; }
inline bool isMinus(const Z80State& cpu) { return cpu.F & flagS; }

// Executes one unprefixed opcode whose cyclesBase entry has already been charged.
template <Z80Bus Bus, bool chargeTaken>
[[gnu::always_inline]] inline void execBase(Bus bus, Z80State& cpu, uint8_t op)
{
    switch (op) {
    case 0x00: break; // NOP
    case 0x01: cpu.setBC(fetchWord<Bus>(bus, cpu)); break; // LD BC,nn
    case 0x02: bus.memWrite(cpu.BC(), cpu.A); break; // LD (BC),A
    case 0x03: cpu.setBC(uint16_t(cpu.BC() + 1)); break; // INC BC
    case 0x04: cpu.B = inc8(cpu, cpu.B); break; // INC B
    case 0x05: cpu.B = dec8(cpu, cpu.B); break; // DEC B
    case 0x06: cpu.B = fetchByte<Bus>(bus, cpu); break; // LD B,n
    case 0x07: rotateA(cpu, cpu.A << 1 | cpu.A >> 7, cpu.A >> 7); break; // RLCA
    case 0x08: { // EX AF,AF'
        const uint16_t af = cpu.AF();
        cpu.setAF(cpu.altAF);
        cpu.altAF = af;
        break;
    }
    case 0x09: cpu.setHL(add16(cpu, cpu.HL(), cpu.BC())); break; // ADD HL,BC
    case 0x0A: cpu.A = bus.memRead(cpu.BC()); break; // LD A,(BC)
    case 0x0B: cpu.setBC(uint16_t(cpu.BC() - 1)); break; // DEC BC
    case 0x0C: cpu.C = inc8(cpu, cpu.C); break; // INC C
    case 0x0D: cpu.C = dec8(cpu, cpu.C); break; // DEC C
    case 0x0E: cpu.C = fetchByte<Bus>(bus, cpu); break; // LD C,n
    case 0x0F: rotateA(cpu, cpu.A >> 1 | cpu.A << 7, cpu.A & 1); break; // RRCA

    case 0x10: // DJNZ d
        cpu.B = uint8_t(cpu.B - 1);
        jumpRelativeIf<Bus, chargeTaken>(bus, cpu, cpu.B != 0);
        break;
    case 0x11: cpu.setDE(fetchWord<Bus>(bus, cpu)); break; // LD DE,nn
    case 0x12: bus.memWrite(cpu.DE(), cpu.A); break; // LD (DE),A
    case 0x13: cpu.setDE(uint16_t(cpu.DE() + 1)); break; // INC DE
    case 0x14: cpu.D = inc8(cpu, cpu.D); break; // INC D
    case 0x15: cpu.D = dec8(cpu, cpu.D); break; // DEC D
    case 0x16: cpu.D = fetchByte<Bus>(bus, cpu); break; // LD D,n
    case 0x17: rotateA(cpu, cpu.A << 1 | (cpu.F & flagC), cpu.A >> 7); break; // RLA
    case 0x18: jumpRelativeIf<Bus, false>(bus, cpu, true); break; // JR d
    case 0x19: cpu.setHL(add16(cpu, cpu.HL(), cpu.DE())); break; // ADD HL,DE
    case 0x1A: cpu.A = bus.memRead(cpu.DE()); break; // LD A,(DE)
    case 0x1B: cpu.setDE(uint16_t(cpu.DE() - 1)); break; // DEC DE
    case 0x1C: cpu.E = inc8(cpu, cpu.E); break; // INC E
    case 0x1D: cpu.E = dec8(cpu, cpu.E); break; // DEC E
    case 0x1E: cpu.E = fetchByte<Bus>(bus, cpu); break; // LD E,n
    case 0x1F: rotateA(cpu, cpu.A >> 1 | (cpu.F & flagC) << 7, cpu.A & 1); break; // RRA

    case 0x20: jumpRelativeIf<Bus, chargeTaken>(bus, cpu, !isZero(cpu)); break; // JR NZ,d
    case 0x21: cpu.setHL(fetchWord<Bus>(bus, cpu)); break; // LD HL,nn
    case 0x22: writeWord<Bus>(bus, fetchWord<Bus>(bus, cpu), cpu.HL()); break; // LD (nn),HL
    case 0x23: cpu.setHL(uint16_t(cpu.HL() + 1)); break; // INC HL
    case 0x24: cpu.H = inc8(cpu, cpu.H); break; // INC H
    case 0x25: cpu.H = dec8(cpu, cpu.H); break; // DEC H
    case 0x26: cpu.H = fetchByte<Bus>(bus, cpu); break; // LD H,n
    case 0x27: // DAA
        cpu.setAF(daaTable[cpu.A | (cpu.F & flagC) << 8 | (cpu.F & flagH) << 5 | (cpu.F & flagN) << 9]);
        break;
    case 0x28: jumpRelativeIf<Bus, chargeTaken>(bus, cpu, isZero(cpu)); break; // JR Z,d
    case 0x29: cpu.setHL(add16(cpu, cpu.HL(), cpu.HL())); break; // ADD HL,HL
    case 0x2A: cpu.setHL(readWord<Bus>(bus, fetchWord<Bus>(bus, cpu))); break; // LD HL,(nn)
    case 0x2B: cpu.setHL(uint16_t(cpu.HL() - 1)); break; // DEC HL
    case 0x2C: cpu.L = inc8(cpu, cpu.L); break; // INC L
    case 0x2D: cpu.L = dec8(cpu, cpu.L); break; // DEC L
    case 0x2E: cpu.L = fetchByte<Bus>(bus, cpu); break; // LD L,n
    case 0x2F: // CPL
        cpu.A = uint8_t(~cpu.A);
        cpu.F |= flagH | flagN;
        break;

    case 0x30: jumpRelativeIf<Bus, chargeTaken>(bus, cpu, !isCarry(cpu)); break; // JR NC,d
    case 0x31: cpu.SP = fetchWord<Bus>(bus, cpu); break; // LD SP,nn
    case 0x32: bus.memWrite(fetchWord<Bus>(bus, cpu), cpu.A); break; // LD (nn),A
    case 0x33: cpu.SP = uint16_t(cpu.SP + 1); break; // INC SP
    case 0x34: { // INC (HL)
        const uint16_t address = cpu.HL();
        bus.memWrite(address, inc8(cpu, bus.memRead(address)));
        break;
    }
    case 0x35: { // DEC (HL)
        const uint16_t address = cpu.HL();
        bus.memWrite(address, dec8(cpu, bus.memRead(address)));
        break;
    }
    case 0x36: { // LD (HL),n
        const uint8_t value = fetchByte<Bus>(bus, cpu);
        bus.memWrite(cpu.HL(), value);
        break;
    }
    case 0x37: cpu.F = uint8_t((cpu.F & ~(flagH | flagN)) | flagC); break; // SCF
    case 0x38: jumpRelativeIf<Bus, chargeTaken>(bus, cpu, isCarry(cpu)); break; // JR C,d
    case 0x39: cpu.setHL(add16(cpu, cpu.HL(), cpu.SP)); break; // ADD HL,SP
    case 0x3A: cpu.A = bus.memRead(fetchWord<Bus>(bus, cpu)); break; // LD A,(nn)
    case 0x3B: cpu.SP = uint16_t(cpu.SP - 1); break; // DEC SP
    case 0x3C: cpu.A = inc8(cpu, cpu.A); break; // INC A
    case 0x3D: cpu.A = dec8(cpu, cpu.A); break; // DEC A
    case 0x3E: cpu.A = fetchByte<Bus>(bus, cpu); break; // LD A,n
    case 0x3F: { // CCF
        const int carry = cpu.F & flagC;
        cpu.F = uint8_t((cpu.F & ~(flagH | flagN | flagC)) | (carry ? flagH : 0) | (carry ^ 1));
        break;
    }

    case 0x40: break; // LD B,B
    case 0x41: cpu.B = cpu.C; break; // LD B,C
    case 0x42: cpu.B = cpu.D; break; // LD B,D
    case 0x43: cpu.B = cpu.E; break; // LD B,E
    case 0x44: cpu.B = cpu.H; break; // LD B,H
    case 0x45: cpu.B = cpu.L; break; // LD B,L
    case 0x46: cpu.B = bus.memRead(cpu.HL()); break; // LD B,(HL)
    case 0x47: cpu.B = cpu.A; break; // LD B,A
    case 0x48: cpu.C = cpu.B; break; // LD C,B
    case 0x49: break; // LD C,C
    case 0x4A: cpu.C = cpu.D; break; // LD C,D
    case 0x4B: cpu.C = cpu.E; break; // LD C,E
    case 0x4C: cpu.C = cpu.H; break; // LD C,H
    case 0x4D: cpu.C = cpu.L; break; // LD C,L
    case 0x4E: cpu.C = bus.memRead(cpu.HL()); break; // LD C,(HL)
    case 0x4F: cpu.C = cpu.A; break; // LD C,A
    case 0x50: cpu.D = cpu.B; break; // LD D,B
    case 0x51: cpu.D = cpu.C; break; // LD D,C
    case 0x52: break; // LD D,D
    case 0x53: cpu.D = cpu.E; break; // LD D,E
    case 0x54: cpu.D = cpu.H; break; // LD D,H
    case 0x55: cpu.D = cpu.L; break; // LD D,L
    case 0x56: cpu.D = bus.memRead(cpu.HL()); break; // LD D,(HL)
    case 0x57: cpu.D = cpu.A; break; // LD D,A
    case 0x58: cpu.E = cpu.B; break; // LD E,B
    case 0x59: cpu.E = cpu.C; break; // LD E,C
    case 0x5A: cpu.E = cpu.D; break; // LD E,D
    case 0x5B: break; // LD E,E
    case 0x5C: cpu.E = cpu.H; break; // LD E,H
    case 0x5D: cpu.E = cpu.L; break; // LD E,L
    case 0x5E: cpu.E = bus.memRead(cpu.HL()); break; // LD E,(HL)
    case 0x5F: cpu.E = cpu.A; break; // LD E,A
    case 0x60: cpu.H = cpu.B; break; // LD H,B
    case 0x61: cpu.H = cpu.C; break; // LD H,C
    case 0x62: cpu.H = cpu.D; break; // LD H,D
    case 0x63: cpu.H = cpu.E; break; // LD H,E
    case 0x64: break; // LD H,H
    case 0x65: cpu.H = cpu.L; break; // LD H,L
    case 0x66: cpu.H = bus.memRead(cpu.HL()); break; // LD H,(HL)
    case 0x67: cpu.H = cpu.A; break; // LD H,A
    case 0x68: cpu.L = cpu.B; break; // LD L,B
    case 0x69: cpu.L = cpu.C; break; // LD L,C
    case 0x6A: cpu.L = cpu.D; break; // LD L,D
    case 0x6B: cpu.L = cpu.E; break; // LD L,E
    case 0x6C: cpu.L = cpu.H; break; // LD L,H
    case 0x6D: break; // LD L,L
    case 0x6E: cpu.L = bus.memRead(cpu.HL()); break; // LD L,(HL)
    case 0x6F: cpu.L = cpu.A; break; // LD L,A
    case 0x70: bus.memWrite(cpu.HL(), cpu.B); break; // LD (HL),B
    case 0x71: bus.memWrite(cpu.HL(), cpu.C); break; // LD (HL),C
    case 0x72: bus.memWrite(cpu.HL(), cpu.D); break; // LD (HL),D
    case 0x73: bus.memWrite(cpu.HL(), cpu.E); break; // LD (HL),E
    case 0x74: bus.memWrite(cpu.HL(), cpu.H); break; // LD (HL),H
    case 0x75: bus.memWrite(cpu.HL(), cpu.L); break; // LD (HL),L
    case 0x76: // HALT
        cpu.intState |= HALTED;
        cpu.PC = uint16_t(cpu.PC - 1);
        endSlice(cpu);
        break;
    case 0x77: bus.memWrite(cpu.HL(), cpu.A); break; // LD (HL),A
    case 0x78: cpu.A = cpu.B; break; // LD A,B
    case 0x79: cpu.A = cpu.C; break; // LD A,C
    case 0x7A: cpu.A = cpu.D; break; // LD A,D
    case 0x7B: cpu.A = cpu.E; break; // LD A,E
    case 0x7C: cpu.A = cpu.H; break; // LD A,H
    case 0x7D: cpu.A = cpu.L; break; // LD A,L
    case 0x7E: cpu.A = bus.memRead(cpu.HL()); break; // LD A,(HL)
    case 0x7F: break; // LD A,A
    case 0x80: add8(cpu, cpu.B); break; // ADD A,B
    case 0x81: add8(cpu, cpu.C); break; // ADD A,C
    case 0x82: add8(cpu, cpu.D); break; // ADD A,D
    case 0x83: add8(cpu, cpu.E); break; // ADD A,E
    case 0x84: add8(cpu, cpu.H); break; // ADD A,H
    case 0x85: add8(cpu, cpu.L); break; // ADD A,L
    case 0x86: add8(cpu, bus.memRead(cpu.HL())); break; // ADD A,(HL)
    case 0x87: add8(cpu, cpu.A); break; // ADD A,A
    case 0x88: adc8(cpu, cpu.B); break; // ADC A,B
    case 0x89: adc8(cpu, cpu.C); break; // ADC A,C
    case 0x8A: adc8(cpu, cpu.D); break; // ADC A,D
    case 0x8B: adc8(cpu, cpu.E); break; // ADC A,E
    case 0x8C: adc8(cpu, cpu.H); break; // ADC A,H
    case 0x8D: adc8(cpu, cpu.L); break; // ADC A,L
    case 0x8E: adc8(cpu, bus.memRead(cpu.HL())); break; // ADC A,(HL)
    case 0x8F: adc8(cpu, cpu.A); break; // ADC A,A
    case 0x90: sub8(cpu, cpu.B); break; // SUB B
    case 0x91: sub8(cpu, cpu.C); break; // SUB C
    case 0x92: sub8(cpu, cpu.D); break; // SUB D
    case 0x93: sub8(cpu, cpu.E); break; // SUB E
    case 0x94: sub8(cpu, cpu.H); break; // SUB H
    case 0x95: sub8(cpu, cpu.L); break; // SUB L
    case 0x96: sub8(cpu, bus.memRead(cpu.HL())); break; // SUB (HL)
    case 0x97: sub8(cpu, cpu.A); break; // SUB A
    case 0x98: sbc8(cpu, cpu.B); break; // SBC A,B
    case 0x99: sbc8(cpu, cpu.C); break; // SBC A,C
    case 0x9A: sbc8(cpu, cpu.D); break; // SBC A,D
    case 0x9B: sbc8(cpu, cpu.E); break; // SBC A,E
    case 0x9C: sbc8(cpu, cpu.H); break; // SBC A,H
    case 0x9D: sbc8(cpu, cpu.L); break; // SBC A,L
    case 0x9E: sbc8(cpu, bus.memRead(cpu.HL())); break; // SBC A,(HL)
    case 0x9F: sbc8(cpu, cpu.A); break; // SBC A,A
    case 0xA0: and8(cpu, cpu.B); break; // AND B
    case 0xA1: and8(cpu, cpu.C); break; // AND C
    case 0xA2: and8(cpu, cpu.D); break; // AND D
    case 0xA3: and8(cpu, cpu.E); break; // AND E
    case 0xA4: and8(cpu, cpu.H); break; // AND H
    case 0xA5: and8(cpu, cpu.L); break; // AND L
    case 0xA6: and8(cpu, bus.memRead(cpu.HL())); break; // AND (HL)
    case 0xA7: and8(cpu, cpu.A); break; // AND A
    case 0xA8: xor8(cpu, cpu.B); break; // XOR B
    case 0xA9: xor8(cpu, cpu.C); break; // XOR C
    case 0xAA: xor8(cpu, cpu.D); break; // XOR D
    case 0xAB: xor8(cpu, cpu.E); break; // XOR E
    case 0xAC: xor8(cpu, cpu.H); break; // XOR H
    case 0xAD: xor8(cpu, cpu.L); break; // XOR L
    case 0xAE: xor8(cpu, bus.memRead(cpu.HL())); break; // XOR (HL)
    case 0xAF: xor8(cpu, cpu.A); break; // XOR A
    case 0xB0: or8(cpu, cpu.B); break; // OR B
    case 0xB1: or8(cpu, cpu.C); break; // OR C
    case 0xB2: or8(cpu, cpu.D); break; // OR D
    case 0xB3: or8(cpu, cpu.E); break; // OR E
    case 0xB4: or8(cpu, cpu.H); break; // OR H
    case 0xB5: or8(cpu, cpu.L); break; // OR L
    case 0xB6: or8(cpu, bus.memRead(cpu.HL())); break; // OR (HL)
    case 0xB7: or8(cpu, cpu.A); break; // OR A
    case 0xB8: cp8(cpu, cpu.B); break; // CP B
    case 0xB9: cp8(cpu, cpu.C); break; // CP C
    case 0xBA: cp8(cpu, cpu.D); break; // CP D
    case 0xBB: cp8(cpu, cpu.E); break; // CP E
    case 0xBC: cp8(cpu, cpu.H); break; // CP H
    case 0xBD: cp8(cpu, cpu.L); break; // CP L
    case 0xBE: cp8(cpu, bus.memRead(cpu.HL())); break; // CP (HL)
    case 0xBF: cp8(cpu, cpu.A); break; // CP A

    case 0xC0: returnIf<Bus, chargeTaken>(bus, cpu, !isZero(cpu)); break; // RET NZ
    case 0xC1: cpu.setBC(pop<Bus>(bus, cpu)); break; // POP BC
    case 0xC2: jumpIf<Bus>(bus, cpu, !isZero(cpu)); break; // JP NZ,nn
    case 0xC3: cpu.PC = fetchWord<Bus>(bus, cpu); break; // JP nn
    case 0xC4: callIf<Bus, chargeTaken>(bus, cpu, !isZero(cpu)); break; // CALL NZ,nn
    case 0xC5: push<Bus>(bus, cpu, cpu.BC()); break; // PUSH BC
    case 0xC6: add8(cpu, fetchByte<Bus>(bus, cpu)); break; // ADD A,n
    case 0xC7: restart<Bus>(bus, cpu, 0x00); break; // RST 00h
    case 0xC8: returnIf<Bus, chargeTaken>(bus, cpu, isZero(cpu)); break; // RET Z
    case 0xC9: cpu.PC = pop<Bus>(bus, cpu); break; // RET
    case 0xCA: jumpIf<Bus>(bus, cpu, isZero(cpu)); break; // JP Z,nn
    case 0xCB: execCB<Bus>(bus, cpu); break; // prefix CB
    case 0xCC: callIf<Bus, chargeTaken>(bus, cpu, isZero(cpu)); break; // CALL Z,nn
    case 0xCD: callIf<Bus, false>(bus, cpu, true); break; // CALL nn
    case 0xCE: adc8(cpu, fetchByte<Bus>(bus, cpu)); break; // ADC A,n
    case 0xCF: restart<Bus>(bus, cpu, 0x08); break; // RST 08h

    case 0xD0: returnIf<Bus, chargeTaken>(bus, cpu, !isCarry(cpu)); break; // RET NC
    case 0xD1: cpu.setDE(pop<Bus>(bus, cpu)); break; // POP DE
    case 0xD2: jumpIf<Bus>(bus, cpu, !isCarry(cpu)); break; // JP NC,nn
    case 0xD3: bus.portOut(fetchByte<Bus>(bus, cpu), cpu.A); break; // OUT (n),A
    case 0xD4: callIf<Bus, chargeTaken>(bus, cpu, !isCarry(cpu)); break; // CALL NC,nn
    case 0xD5: push<Bus>(bus, cpu, cpu.DE()); break; // PUSH DE
    case 0xD6: sub8(cpu, fetchByte<Bus>(bus, cpu)); break; // SUB n
    case 0xD7: restart<Bus>(bus, cpu, 0x10); break; // RST 10h
    case 0xD8: returnIf<Bus, chargeTaken>(bus, cpu, isCarry(cpu)); break; // RET C
    case 0xD9: { // EXX
        const uint16_t bc = cpu.BC(), de = cpu.DE(), hl = cpu.HL();
        cpu.setBC(cpu.altBC);
        cpu.setDE(cpu.altDE);
        cpu.setHL(cpu.altHL);
        cpu.altBC = bc;
        cpu.altDE = de;
        cpu.altHL = hl;
        break;
    }
    case 0xDA: jumpIf<Bus>(bus, cpu, isCarry(cpu)); break; // JP C,nn
    case 0xDB: cpu.A = bus.portIn(fetchByte<Bus>(bus, cpu)); break; // IN A,(n)
    case 0xDC: callIf<Bus, chargeTaken>(bus, cpu, isCarry(cpu)); break; // CALL C,nn
    case 0xDD: execPrefix(bus, cpu, execDD<Bus>); break; // prefix DD
    case 0xDE: sbc8(cpu, fetchByte<Bus>(bus, cpu)); break; // SBC A,n
    case 0xDF: restart<Bus>(bus, cpu, 0x18); break; // RST 18h

    case 0xE0: returnIf<Bus, chargeTaken>(bus, cpu, !isParityEven(cpu)); break; // RET PO
    case 0xE1: cpu.setHL(pop<Bus>(bus, cpu)); break; // POP HL
    case 0xE2: jumpIf<Bus>(bus, cpu, !isParityEven(cpu)); break; // JP PO,nn
    case 0xE3: cpu.setHL(exchangeWithStack<Bus>(bus, cpu, cpu.HL())); break; // EX (SP),HL
    case 0xE4: callIf<Bus, chargeTaken>(bus, cpu, !isParityEven(cpu)); break; // CALL PO,nn
    case 0xE5: push<Bus>(bus, cpu, cpu.HL()); break; // PUSH HL
    case 0xE6: and8(cpu, fetchByte<Bus>(bus, cpu)); break; // AND n
    case 0xE7: restart<Bus>(bus, cpu, 0x20); break; // RST 20h
    case 0xE8: returnIf<Bus, chargeTaken>(bus, cpu, isParityEven(cpu)); break; // RET PE
    case 0xE9: cpu.PC = cpu.HL(); break; // JP (HL)
    case 0xEA: jumpIf<Bus>(bus, cpu, isParityEven(cpu)); break; // JP PE,nn
    case 0xEB: { // EX DE,HL
        const uint16_t de = cpu.DE();
        cpu.setDE(cpu.HL());
        cpu.setHL(de);
        break;
    }
    case 0xEC: callIf<Bus, chargeTaken>(bus, cpu, isParityEven(cpu)); break; // CALL PE,nn
    case 0xED: execPrefix(bus, cpu, execED<Bus>); break; // prefix ED
    case 0xEE: xor8(cpu, fetchByte<Bus>(bus, cpu)); break; // XOR n
    case 0xEF: restart<Bus>(bus, cpu, 0x28); break; // RST 28h

    case 0xF0: returnIf<Bus, chargeTaken>(bus, cpu, !isMinus(cpu)); break; // RET P
    case 0xF1: cpu.setAF(pop<Bus>(bus, cpu)); break; // POP AF
    case 0xF2: jumpIf<Bus>(bus, cpu, !isMinus(cpu)); break; // JP P,nn
    case 0xF3: cpu.intState &= uint8_t(~IFF1); break; // DI
    case 0xF4: callIf<Bus, chargeTaken>(bus, cpu, !isMinus(cpu)); break; // CALL P,nn
    case 0xF5: push<Bus>(bus, cpu, cpu.AF()); break; // PUSH AF
    case 0xF6: or8(cpu, fetchByte<Bus>(bus, cpu)); break; // OR n
    case 0xF7: restart<Bus>(bus, cpu, 0x30); break; // RST 30h
    case 0xF8: returnIf<Bus, chargeTaken>(bus, cpu, isMinus(cpu)); break; // RET M
    case 0xF9: cpu.SP = cpu.HL(); break; // LD SP,HL
    case 0xFA: jumpIf<Bus>(bus, cpu, isMinus(cpu)); break; // JP M,nn
    case 0xFB: cpu.intState |= IFF1; break; // EI
    case 0xFC: callIf<Bus, chargeTaken>(bus, cpu, isMinus(cpu)); break; // CALL M,nn
    case 0xFD: execPrefix(bus, cpu, execFD<Bus>); break; // prefix FD
    case 0xFE: cp8(cpu, fetchByte<Bus>(bus, cpu)); break; // CP n
    case 0xFF: restart<Bus>(bus, cpu, 0x38); break; // RST 38h
    }
}

} // namespace ollendor
