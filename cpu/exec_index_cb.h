// DD CB d op and FD CB d op: rotates, shifts, BIT, RES and SET on the byte at (IX+d) or
// (IY+d). The undocumented forms that also copy the result into a register are not
// implemented: they do nothing, cost nothing, and are reported only when reportUnknown is
// set.
#pragma once

#include <cstdint>
#include <cstdio>

#include "cpu/access.h"
#include "cpu/alu.h"
#include "cpu/exec.h"

namespace ollendor {

template <Z80Bus Bus, IndexPrefix prefix>
void execIndexCB(Bus bus, Z80State& cpu)
{
    const uint8_t displacement = fetchByte<Bus>(bus, cpu);
    const uint16_t address = uint16_t(indexRegister<prefix>(cpu) + int8_t(displacement));
    const uint8_t op = fetchByte<Bus>(bus, cpu);
    cpu.cyclesLeft -= cyclesIndexCB[op];
    switch (op) {
    case 0x06: bus.memWrite(address, rlc(cpu, bus.memRead(address))); break; // RLC (XY+d)
    case 0x0E: bus.memWrite(address, rrc(cpu, bus.memRead(address))); break; // RRC (XY+d)
    case 0x16: bus.memWrite(address, rl(cpu, bus.memRead(address))); break; // RL (XY+d)
    case 0x1E: bus.memWrite(address, rr(cpu, bus.memRead(address))); break; // RR (XY+d)
    case 0x26: bus.memWrite(address, sla(cpu, bus.memRead(address))); break; // SLA (XY+d)
    case 0x2E: bus.memWrite(address, sra(cpu, bus.memRead(address))); break; // SRA (XY+d)
    case 0x36: bus.memWrite(address, sll(cpu, bus.memRead(address))); break; // SLL (XY+d)
    case 0x3E: bus.memWrite(address, srl(cpu, bus.memRead(address))); break; // SRL (XY+d)

    // BIT n,(XY+d): all eight opcodes of a bit number act alike.
    case 0x40: case 0x41: case 0x42: case 0x43:
    case 0x44: case 0x45: case 0x46: case 0x47:
    case 0x48: case 0x49: case 0x4A: case 0x4B:
    case 0x4C: case 0x4D: case 0x4E: case 0x4F:
    case 0x50: case 0x51: case 0x52: case 0x53:
    case 0x54: case 0x55: case 0x56: case 0x57:
    case 0x58: case 0x59: case 0x5A: case 0x5B:
    case 0x5C: case 0x5D: case 0x5E: case 0x5F:
    case 0x60: case 0x61: case 0x62: case 0x63:
    case 0x64: case 0x65: case 0x66: case 0x67:
    case 0x68: case 0x69: case 0x6A: case 0x6B:
    case 0x6C: case 0x6D: case 0x6E: case 0x6F:
    case 0x70: case 0x71: case 0x72: case 0x73:
    case 0x74: case 0x75: case 0x76: case 0x77:
    case 0x78: case 0x79: case 0x7A: case 0x7B:
    case 0x7C: case 0x7D: case 0x7E: case 0x7F:
        bitTest(cpu, (op >> 3) & 7, bus.memRead(address));
        break;

    case 0x86: bus.memWrite(address, uint8_t(bus.memRead(address) & 0xFE)); break; // RES 0,(XY+d)
    case 0x8E: bus.memWrite(address, uint8_t(bus.memRead(address) & 0xFD)); break; // RES 1,(XY+d)
    case 0x96: bus.memWrite(address, uint8_t(bus.memRead(address) & 0xFB)); break; // RES 2,(XY+d)
    case 0x9E: bus.memWrite(address, uint8_t(bus.memRead(address) & 0xF7)); break; // RES 3,(XY+d)
    case 0xA6: bus.memWrite(address, uint8_t(bus.memRead(address) & 0xEF)); break; // RES 4,(XY+d)
    case 0xAE: bus.memWrite(address, uint8_t(bus.memRead(address) & 0xDF)); break; // RES 5,(XY+d)
    case 0xB6: bus.memWrite(address, uint8_t(bus.memRead(address) & 0xBF)); break; // RES 6,(XY+d)
    case 0xBE: bus.memWrite(address, uint8_t(bus.memRead(address) & 0x7F)); break; // RES 7,(XY+d)
    case 0xC6: bus.memWrite(address, uint8_t(bus.memRead(address) | 0x01)); break; // SET 0,(XY+d)
    case 0xCE: bus.memWrite(address, uint8_t(bus.memRead(address) | 0x02)); break; // SET 1,(XY+d)
    case 0xD6: bus.memWrite(address, uint8_t(bus.memRead(address) | 0x04)); break; // SET 2,(XY+d)
    case 0xDE: bus.memWrite(address, uint8_t(bus.memRead(address) | 0x08)); break; // SET 3,(XY+d)
    case 0xE6: bus.memWrite(address, uint8_t(bus.memRead(address) | 0x10)); break; // SET 4,(XY+d)
    case 0xEE: bus.memWrite(address, uint8_t(bus.memRead(address) | 0x20)); break; // SET 5,(XY+d)
    case 0xF6: bus.memWrite(address, uint8_t(bus.memRead(address) | 0x40)); break; // SET 6,(XY+d)
    case 0xFE: bus.memWrite(address, uint8_t(bus.memRead(address) | 0x80)); break; // SET 7,(XY+d)

    default: // unrecognised: memory, registers and flags stay as they are
        if (cpu.reportUnknown) {
            char line[diagnosticLength];
            std::snprintf(line, sizeof line, "[Z80 %lX] Unrecognized instruction: %s CB %02X %02X at PC=%04X",
                          static_cast<unsigned long>(cpu.cpuId),
                          prefix == IndexPrefix::DD ? "DD" : "FD", displacement, op,
                          uint16_t(cpu.PC - 4));
            bus.diagnostic(cpu, line);
        }
        break;
    }
}

} // namespace ollendor
