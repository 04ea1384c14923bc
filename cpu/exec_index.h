// DD and FD pages: the IX and IY forms of the HL instructions, including the undocumented
// ones on the register halves. One body serves both prefixes; they differ only in the
// message for the second byte ED.
//
// cyclesIndex holds the whole cost. A second byte without an index form runs as the
// unprefixed opcode on HL, H and L, charged that table's entry (0 for most of them) and no
// taken-branch surcharge. A second DD or FD drops the first prefix.
#pragma once

#include <cstdint>
#include <cstdio>

#include "cpu/access.h"
#include "cpu/alu.h"
#include "cpu/exec.h"
#include "cpu/exec_base.h"

namespace ollendor {

// An unprefixed opcode reached through DD or FD; kept out of line so the index page stays
// small.
template <Z80Bus Bus>
[[gnu::noinline]] void execBaseAfterPrefix(Bus bus, Z80State& cpu, uint8_t op)
{
    execBase<Bus, false>(bus, cpu, op);
}

// The operand address XY+d, with d read from the code stream.
template <Z80Bus Bus>
inline uint16_t indexedAddress(Bus bus, Z80State& cpu, uint16_t xy)
{
    return uint16_t(xy + fetchDisplacement<Bus>(bus, cpu));
}

template <Z80Bus Bus, IndexPrefix prefix>
void execIndex(Bus bus, Z80State& cpu)
{
    uint16_t& xy = indexRegister<prefix>(cpu);
    const uint8_t op = fetchByte<Bus>(bus, cpu);
    cpu.cyclesLeft -= cyclesIndex[op];
    switch (op) {
    case 0x09: xy = add16(cpu, xy, cpu.BC()); break; // ADD XY,BC
    case 0x19: xy = add16(cpu, xy, cpu.DE()); break; // ADD XY,DE
    case 0x21: xy = fetchWord<Bus>(bus, cpu); break; // LD XY,nn
    case 0x22: writeWord<Bus>(bus, fetchWord<Bus>(bus, cpu), xy); break; // LD (nn),XY
    case 0x23: xy = uint16_t(xy + 1); break; // INC XY
    case 0x24: setHighByte(xy, inc8(cpu, highByte(xy))); break; // INC XYH
    case 0x25: setHighByte(xy, dec8(cpu, highByte(xy))); break; // DEC XYH
    case 0x26: setHighByte(xy, fetchByte<Bus>(bus, cpu)); break; // LD XYH,n
    case 0x29: xy = add16(cpu, xy, xy); break; // ADD XY,XY
    case 0x2A: xy = readWord<Bus>(bus, fetchWord<Bus>(bus, cpu)); break; // LD XY,(nn)
    case 0x2B: xy = uint16_t(xy - 1); break; // DEC XY
    case 0x2C: setLowByte(xy, inc8(cpu, lowByte(xy))); break; // INC XYL
    case 0x2D: setLowByte(xy, dec8(cpu, lowByte(xy))); break; // DEC XYL
    case 0x2E: setLowByte(xy, fetchByte<Bus>(bus, cpu)); break; // LD XYL,n

    case 0x34: { // INC (XY+d)
        const uint16_t address = indexedAddress<Bus>(bus, cpu, xy);
        bus.memWrite(address, inc8(cpu, bus.memRead(address)));
        break;
    }
    case 0x35: { // DEC (XY+d)
        const uint16_t address = indexedAddress<Bus>(bus, cpu, xy);
        bus.memWrite(address, dec8(cpu, bus.memRead(address)));
        break;
    }
    case 0x36: { // LD (XY+d),n: d comes before n
        const uint16_t address = indexedAddress<Bus>(bus, cpu, xy);
        bus.memWrite(address, fetchByte<Bus>(bus, cpu));
        break;
    }
    case 0x39: xy = add16(cpu, xy, cpu.SP); break; // ADD XY,SP

    case 0x44: cpu.B = highByte(xy); break; // LD B,XYH
    case 0x45: cpu.B = lowByte(xy); break; // LD B,XYL
    case 0x46: cpu.B = bus.memRead(indexedAddress<Bus>(bus, cpu, xy)); break; // LD B,(XY+d)
    case 0x4C: cpu.C = highByte(xy); break; // LD C,XYH
    case 0x4D: cpu.C = lowByte(xy); break; // LD C,XYL
    case 0x4E: cpu.C = bus.memRead(indexedAddress<Bus>(bus, cpu, xy)); break; // LD C,(XY+d)
    case 0x54: cpu.D = highByte(xy); break; // LD D,XYH
    case 0x55: cpu.D = lowByte(xy); break; // LD D,XYL
    case 0x56: cpu.D = bus.memRead(indexedAddress<Bus>(bus, cpu, xy)); break; // LD D,(XY+d)
    case 0x5C: cpu.E = highByte(xy); break; // LD E,XYH
    case 0x5D: cpu.E = lowByte(xy); break; // LD E,XYL
    case 0x5E: cpu.E = bus.memRead(indexedAddress<Bus>(bus, cpu, xy)); break; // LD E,(XY+d)

    case 0x60: setHighByte(xy, cpu.B); break; // LD XYH,B
    case 0x61: setHighByte(xy, cpu.C); break; // LD XYH,C
    case 0x62: setHighByte(xy, cpu.D); break; // LD XYH,D
    case 0x63: setHighByte(xy, cpu.E); break; // LD XYH,E
    case 0x64: break; // LD XYH,XYH
    case 0x65: setHighByte(xy, lowByte(xy)); break; // LD XYH,XYL
    case 0x66: cpu.H = bus.memRead(indexedAddress<Bus>(bus, cpu, xy)); break; // LD H,(XY+d)
    case 0x67: setHighByte(xy, cpu.A); break; // LD XYH,A
    case 0x68: setLowByte(xy, cpu.B); break; // LD XYL,B
    case 0x69: setLowByte(xy, cpu.C); break; // LD XYL,C
    case 0x6A: setLowByte(xy, cpu.D); break; // LD XYL,D
    case 0x6B: setLowByte(xy, cpu.E); break; // LD XYL,E
    case 0x6C: setLowByte(xy, highByte(xy)); break; // LD XYL,XYH
    case 0x6D: break; // LD XYL,XYL
    case 0x6E: cpu.L = bus.memRead(indexedAddress<Bus>(bus, cpu, xy)); break; // LD L,(XY+d)
    case 0x6F: setLowByte(xy, cpu.A); break; // LD XYL,A

    case 0x70: bus.memWrite(indexedAddress<Bus>(bus, cpu, xy), cpu.B); break; // LD (XY+d),B
    case 0x71: bus.memWrite(indexedAddress<Bus>(bus, cpu, xy), cpu.C); break; // LD (XY+d),C
    case 0x72: bus.memWrite(indexedAddress<Bus>(bus, cpu, xy), cpu.D); break; // LD (XY+d),D
    case 0x73: bus.memWrite(indexedAddress<Bus>(bus, cpu, xy), cpu.E); break; // LD (XY+d),E
    case 0x74: bus.memWrite(indexedAddress<Bus>(bus, cpu, xy), cpu.H); break; // LD (XY+d),H
    case 0x75: bus.memWrite(indexedAddress<Bus>(bus, cpu, xy), cpu.L); break; // LD (XY+d),L
    case 0x77: bus.memWrite(indexedAddress<Bus>(bus, cpu, xy), cpu.A); break; // LD (XY+d),A
    case 0x7C: cpu.A = highByte(xy); break; // LD A,XYH
    case 0x7D: cpu.A = lowByte(xy); break; // LD A,XYL
    case 0x7E: cpu.A = bus.memRead(indexedAddress<Bus>(bus, cpu, xy)); break; // LD A,(XY+d)

    case 0x84: add8(cpu, highByte(xy)); break; // ADD A,XYH
    case 0x85: add8(cpu, lowByte(xy)); break; // ADD A,XYL
    case 0x86: add8(cpu, bus.memRead(indexedAddress<Bus>(bus, cpu, xy))); break; // ADD A,(XY+d)
    case 0x8C: adc8(cpu, highByte(xy)); break; // ADC A,XYH
    case 0x8D: adc8(cpu, lowByte(xy)); break; // ADC A,XYL
    case 0x8E: adc8(cpu, bus.memRead(indexedAddress<Bus>(bus, cpu, xy))); break; // ADC A,(XY+d)
    case 0x94: sub8(cpu, highByte(xy)); break; // SUB XYH
    case 0x95: sub8(cpu, lowByte(xy)); break; // SUB XYL
    case 0x96: sub8(cpu, bus.memRead(indexedAddress<Bus>(bus, cpu, xy))); break; // SUB (XY+d)
    case 0x9C: sbc8(cpu, highByte(xy)); break; // SBC A,XYH
    case 0x9D: sbc8(cpu, lowByte(xy)); break; // SBC A,XYL
    case 0x9E: sbc8(cpu, bus.memRead(indexedAddress<Bus>(bus, cpu, xy))); break; // SBC A,(XY+d)
    case 0xA4: and8(cpu, highByte(xy)); break; // AND XYH
    case 0xA5: and8(cpu, lowByte(xy)); break; // AND XYL
    case 0xA6: and8(cpu, bus.memRead(indexedAddress<Bus>(bus, cpu, xy))); break; // AND (XY+d)
    case 0xAC: xor8(cpu, highByte(xy)); break; // XOR XYH
    case 0xAD: xor8(cpu, lowByte(xy)); break; // XOR XYL
    case 0xAE: xor8(cpu, bus.memRead(indexedAddress<Bus>(bus, cpu, xy))); break; // XOR (XY+d)
    case 0xB4: or8(cpu, highByte(xy)); break; // OR XYH
    case 0xB5: or8(cpu, lowByte(xy)); break; // OR XYL
    case 0xB6: or8(cpu, bus.memRead(indexedAddress<Bus>(bus, cpu, xy))); break; // OR (XY+d)
    case 0xBC: cp8(cpu, highByte(xy)); break; // CP XYH
    case 0xBD: cp8(cpu, lowByte(xy)); break; // CP XYL
    case 0xBE: cp8(cpu, bus.memRead(indexedAddress<Bus>(bus, cpu, xy))); break; // CP (XY+d)

    case 0xCB: execIndexCB<Bus, prefix>(bus, cpu); break; // prefix DD CB / FD CB
    case 0xDD: // a second prefix replaces this one
    case 0xFD:
        cpu.PC = uint16_t(cpu.PC - 1);
        break;
    case 0xED: // no index form; the bytes after ED run as unprefixed opcodes
        if constexpr (prefix == IndexPrefix::DD) {
            if (cpu.reportUnknown) {
                char line[diagnosticLength];
                std::snprintf(line, sizeof line, "[Z80 %lX] Unrecognized instruction: DD %02X at PC=%04X",
                              static_cast<unsigned long>(cpu.cpuId), op, uint16_t(cpu.PC - 2));
                bus.diagnostic(cpu, line);
            }
        } else { // reported whatever reportUnknown says
            char line[diagnosticLength];
            std::snprintf(line, sizeof line, "Unrecognized instruction: FD %02X at PC=%04X", op,
                          uint16_t(cpu.PC - 2));
            bus.diagnostic(cpu, line);
        }
        break;

    case 0xE1: xy = pop<Bus>(bus, cpu); break; // POP XY
    case 0xE3: xy = exchangeWithStack<Bus>(bus, cpu, xy); break; // EX (SP),XY
    case 0xE5: push<Bus>(bus, cpu, xy); break; // PUSH XY
    case 0xE9: cpu.PC = xy; break; // JP (XY)
    case 0xF9: cpu.SP = xy; break; // LD SP,XY

    default: execBaseAfterPrefix<Bus>(bus, cpu, op); break; // the unprefixed instruction
    }
}

} // namespace ollendor
