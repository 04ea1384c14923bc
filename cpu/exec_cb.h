// CB page: rotates, shifts, BIT, RES and SET on B, C, D, E, H, L, (HL) and A.
//
// The (HL) forms read the byte once and (except BIT) write it back once, even when the
// value does not change.
#pragma once

#include <cstdint>

#include "cpu/access.h"
#include "cpu/alu.h"
#include "cpu/exec.h"

namespace ollendor {

template <Z80Bus Bus>
void execCB(Bus bus, Z80State& cpu)
{
    const uint8_t op = fetchByte<Bus>(bus, cpu);
    cpu.cyclesLeft -= cyclesCB[op];
    const uint16_t hl = cpu.HL();
    switch (op) {
    case 0x00: cpu.B = rlc(cpu, cpu.B); break; // RLC B
    case 0x01: cpu.C = rlc(cpu, cpu.C); break; // RLC C
    case 0x02: cpu.D = rlc(cpu, cpu.D); break; // RLC D
    case 0x03: cpu.E = rlc(cpu, cpu.E); break; // RLC E
    case 0x04: cpu.H = rlc(cpu, cpu.H); break; // RLC H
    case 0x05: cpu.L = rlc(cpu, cpu.L); break; // RLC L
    case 0x06: bus.memWrite(hl, rlc(cpu, bus.memRead(hl))); break; // RLC (HL)
    case 0x07: cpu.A = rlc(cpu, cpu.A); break; // RLC A
    case 0x08: cpu.B = rrc(cpu, cpu.B); break; // RRC B
    case 0x09: cpu.C = rrc(cpu, cpu.C); break; // RRC C
    case 0x0A: cpu.D = rrc(cpu, cpu.D); break; // RRC D
    case 0x0B: cpu.E = rrc(cpu, cpu.E); break; // RRC E
    case 0x0C: cpu.H = rrc(cpu, cpu.H); break; // RRC H
    case 0x0D: cpu.L = rrc(cpu, cpu.L); break; // RRC L
    case 0x0E: bus.memWrite(hl, rrc(cpu, bus.memRead(hl))); break; // RRC (HL)
    case 0x0F: cpu.A = rrc(cpu, cpu.A); break; // RRC A

    case 0x10: cpu.B = rl(cpu, cpu.B); break; // RL B
    case 0x11: cpu.C = rl(cpu, cpu.C); break; // RL C
    case 0x12: cpu.D = rl(cpu, cpu.D); break; // RL D
    case 0x13: cpu.E = rl(cpu, cpu.E); break; // RL E
    case 0x14: cpu.H = rl(cpu, cpu.H); break; // RL H
    case 0x15: cpu.L = rl(cpu, cpu.L); break; // RL L
    case 0x16: bus.memWrite(hl, rl(cpu, bus.memRead(hl))); break; // RL (HL)
    case 0x17: cpu.A = rl(cpu, cpu.A); break; // RL A
    case 0x18: cpu.B = rr(cpu, cpu.B); break; // RR B
    case 0x19: cpu.C = rr(cpu, cpu.C); break; // RR C
    case 0x1A: cpu.D = rr(cpu, cpu.D); break; // RR D
    case 0x1B: cpu.E = rr(cpu, cpu.E); break; // RR E
    case 0x1C: cpu.H = rr(cpu, cpu.H); break; // RR H
    case 0x1D: cpu.L = rr(cpu, cpu.L); break; // RR L
    case 0x1E: bus.memWrite(hl, rr(cpu, bus.memRead(hl))); break; // RR (HL)
    case 0x1F: cpu.A = rr(cpu, cpu.A); break; // RR A

    case 0x20: cpu.B = sla(cpu, cpu.B); break; // SLA B
    case 0x21: cpu.C = sla(cpu, cpu.C); break; // SLA C
    case 0x22: cpu.D = sla(cpu, cpu.D); break; // SLA D
    case 0x23: cpu.E = sla(cpu, cpu.E); break; // SLA E
    case 0x24: cpu.H = sla(cpu, cpu.H); break; // SLA H
    case 0x25: cpu.L = sla(cpu, cpu.L); break; // SLA L
    case 0x26: bus.memWrite(hl, sla(cpu, bus.memRead(hl))); break; // SLA (HL)
    case 0x27: cpu.A = sla(cpu, cpu.A); break; // SLA A
    case 0x28: cpu.B = sra(cpu, cpu.B); break; // SRA B
    case 0x29: cpu.C = sra(cpu, cpu.C); break; // SRA C
    case 0x2A: cpu.D = sra(cpu, cpu.D); break; // SRA D
    case 0x2B: cpu.E = sra(cpu, cpu.E); break; // SRA E
    case 0x2C: cpu.H = sra(cpu, cpu.H); break; // SRA H
    case 0x2D: cpu.L = sra(cpu, cpu.L); break; // SRA L
    case 0x2E: bus.memWrite(hl, sra(cpu, bus.memRead(hl))); break; // SRA (HL)
    case 0x2F: cpu.A = sra(cpu, cpu.A); break; // SRA A

    case 0x30: cpu.B = sll(cpu, cpu.B); break; // SLL B
    case 0x31: cpu.C = sll(cpu, cpu.C); break; // SLL C
    case 0x32: cpu.D = sll(cpu, cpu.D); break; // SLL D
    case 0x33: cpu.E = sll(cpu, cpu.E); break; // SLL E
    case 0x34: cpu.H = sll(cpu, cpu.H); break; // SLL H
    case 0x35: cpu.L = sll(cpu, cpu.L); break; // SLL L
    case 0x36: bus.memWrite(hl, sll(cpu, bus.memRead(hl))); break; // SLL (HL)
    case 0x37: cpu.A = sll(cpu, cpu.A); break; // SLL A
    case 0x38: cpu.B = srl(cpu, cpu.B); break; // SRL B
    case 0x39: cpu.C = srl(cpu, cpu.C); break; // SRL C
    case 0x3A: cpu.D = srl(cpu, cpu.D); break; // SRL D
    case 0x3B: cpu.E = srl(cpu, cpu.E); break; // SRL E
    case 0x3C: cpu.H = srl(cpu, cpu.H); break; // SRL H
    case 0x3D: cpu.L = srl(cpu, cpu.L); break; // SRL L
    case 0x3E: bus.memWrite(hl, srl(cpu, bus.memRead(hl))); break; // SRL (HL)
    case 0x3F: cpu.A = srl(cpu, cpu.A); break; // SRL A

    case 0x40: bitTest(cpu, 0, cpu.B); break; // BIT 0,B
    case 0x41: bitTest(cpu, 0, cpu.C); break; // BIT 0,C
    case 0x42: bitTest(cpu, 0, cpu.D); break; // BIT 0,D
    case 0x43: bitTest(cpu, 0, cpu.E); break; // BIT 0,E
    case 0x44: bitTest(cpu, 0, cpu.H); break; // BIT 0,H
    case 0x45: bitTest(cpu, 0, cpu.L); break; // BIT 0,L
    case 0x46: bitTest(cpu, 0, bus.memRead(hl)); break; // BIT 0,(HL)
    case 0x47: bitTest(cpu, 0, cpu.A); break; // BIT 0,A
    case 0x48: bitTest(cpu, 1, cpu.B); break; // BIT 1,B
    case 0x49: bitTest(cpu, 1, cpu.C); break; // BIT 1,C
    case 0x4A: bitTest(cpu, 1, cpu.D); break; // BIT 1,D
    case 0x4B: bitTest(cpu, 1, cpu.E); break; // BIT 1,E
    case 0x4C: bitTest(cpu, 1, cpu.H); break; // BIT 1,H
    case 0x4D: bitTest(cpu, 1, cpu.L); break; // BIT 1,L
    case 0x4E: bitTest(cpu, 1, bus.memRead(hl)); break; // BIT 1,(HL)
    case 0x4F: bitTest(cpu, 1, cpu.A); break; // BIT 1,A

    case 0x50: bitTest(cpu, 2, cpu.B); break; // BIT 2,B
    case 0x51: bitTest(cpu, 2, cpu.C); break; // BIT 2,C
    case 0x52: bitTest(cpu, 2, cpu.D); break; // BIT 2,D
    case 0x53: bitTest(cpu, 2, cpu.E); break; // BIT 2,E
    case 0x54: bitTest(cpu, 2, cpu.H); break; // BIT 2,H
    case 0x55: bitTest(cpu, 2, cpu.L); break; // BIT 2,L
    case 0x56: bitTest(cpu, 2, bus.memRead(hl)); break; // BIT 2,(HL)
    case 0x57: bitTest(cpu, 2, cpu.A); break; // BIT 2,A
    case 0x58: bitTest(cpu, 3, cpu.B); break; // BIT 3,B
    case 0x59: bitTest(cpu, 3, cpu.C); break; // BIT 3,C
    case 0x5A: bitTest(cpu, 3, cpu.D); break; // BIT 3,D
    case 0x5B: bitTest(cpu, 3, cpu.E); break; // BIT 3,E
    case 0x5C: bitTest(cpu, 3, cpu.H); break; // BIT 3,H
    case 0x5D: bitTest(cpu, 3, cpu.L); break; // BIT 3,L
    case 0x5E: bitTest(cpu, 3, bus.memRead(hl)); break; // BIT 3,(HL)
    case 0x5F: bitTest(cpu, 3, cpu.A); break; // BIT 3,A

    case 0x60: bitTest(cpu, 4, cpu.B); break; // BIT 4,B
    case 0x61: bitTest(cpu, 4, cpu.C); break; // BIT 4,C
    case 0x62: bitTest(cpu, 4, cpu.D); break; // BIT 4,D
    case 0x63: bitTest(cpu, 4, cpu.E); break; // BIT 4,E
    case 0x64: bitTest(cpu, 4, cpu.H); break; // BIT 4,H
    case 0x65: bitTest(cpu, 4, cpu.L); break; // BIT 4,L
    case 0x66: bitTest(cpu, 4, bus.memRead(hl)); break; // BIT 4,(HL)
    case 0x67: bitTest(cpu, 4, cpu.A); break; // BIT 4,A
    case 0x68: bitTest(cpu, 5, cpu.B); break; // BIT 5,B
    case 0x69: bitTest(cpu, 5, cpu.C); break; // BIT 5,C
    case 0x6A: bitTest(cpu, 5, cpu.D); break; // BIT 5,D
    case 0x6B: bitTest(cpu, 5, cpu.E); break; // BIT 5,E
    case 0x6C: bitTest(cpu, 5, cpu.H); break; // BIT 5,H
    case 0x6D: bitTest(cpu, 5, cpu.L); break; // BIT 5,L
    case 0x6E: bitTest(cpu, 5, bus.memRead(hl)); break; // BIT 5,(HL)
    case 0x6F: bitTest(cpu, 5, cpu.A); break; // BIT 5,A

    case 0x70: bitTest(cpu, 6, cpu.B); break; // BIT 6,B
    case 0x71: bitTest(cpu, 6, cpu.C); break; // BIT 6,C
    case 0x72: bitTest(cpu, 6, cpu.D); break; // BIT 6,D
    case 0x73: bitTest(cpu, 6, cpu.E); break; // BIT 6,E
    case 0x74: bitTest(cpu, 6, cpu.H); break; // BIT 6,H
    case 0x75: bitTest(cpu, 6, cpu.L); break; // BIT 6,L
    case 0x76: bitTest(cpu, 6, bus.memRead(hl)); break; // BIT 6,(HL)
    case 0x77: bitTest(cpu, 6, cpu.A); break; // BIT 6,A
    case 0x78: bitTest(cpu, 7, cpu.B); break; // BIT 7,B
    case 0x79: bitTest(cpu, 7, cpu.C); break; // BIT 7,C
    case 0x7A: bitTest(cpu, 7, cpu.D); break; // BIT 7,D
    case 0x7B: bitTest(cpu, 7, cpu.E); break; // BIT 7,E
    case 0x7C: bitTest(cpu, 7, cpu.H); break; // BIT 7,H
    case 0x7D: bitTest(cpu, 7, cpu.L); break; // BIT 7,L
    case 0x7E: bitTest(cpu, 7, bus.memRead(hl)); break; // BIT 7,(HL)
    case 0x7F: bitTest(cpu, 7, cpu.A); break; // BIT 7,A

    case 0x80: cpu.B = uint8_t(cpu.B & 0xFE); break; // RES 0,B
    case 0x81: cpu.C = uint8_t(cpu.C & 0xFE); break; // RES 0,C
    case 0x82: cpu.D = uint8_t(cpu.D & 0xFE); break; // RES 0,D
    case 0x83: cpu.E = uint8_t(cpu.E & 0xFE); break; // RES 0,E
    case 0x84: cpu.H = uint8_t(cpu.H & 0xFE); break; // RES 0,H
    case 0x85: cpu.L = uint8_t(cpu.L & 0xFE); break; // RES 0,L
    case 0x86: bus.memWrite(hl, uint8_t(bus.memRead(hl) & 0xFE)); break; // RES 0,(HL)
    case 0x87: cpu.A = uint8_t(cpu.A & 0xFE); break; // RES 0,A
    case 0x88: cpu.B = uint8_t(cpu.B & 0xFD); break; // RES 1,B
    case 0x89: cpu.C = uint8_t(cpu.C & 0xFD); break; // RES 1,C
    case 0x8A: cpu.D = uint8_t(cpu.D & 0xFD); break; // RES 1,D
    case 0x8B: cpu.E = uint8_t(cpu.E & 0xFD); break; // RES 1,E
    case 0x8C: cpu.H = uint8_t(cpu.H & 0xFD); break; // RES 1,H
    case 0x8D: cpu.L = uint8_t(cpu.L & 0xFD); break; // RES 1,L
    case 0x8E: bus.memWrite(hl, uint8_t(bus.memRead(hl) & 0xFD)); break; // RES 1,(HL)
    case 0x8F: cpu.A = uint8_t(cpu.A & 0xFD); break; // RES 1,A

    case 0x90: cpu.B = uint8_t(cpu.B & 0xFB); break; // RES 2,B
    case 0x91: cpu.C = uint8_t(cpu.C & 0xFB); break; // RES 2,C
    case 0x92: cpu.D = uint8_t(cpu.D & 0xFB); break; // RES 2,D
    case 0x93: cpu.E = uint8_t(cpu.E & 0xFB); break; // RES 2,E
    case 0x94: cpu.H = uint8_t(cpu.H & 0xFB); break; // RES 2,H
    case 0x95: cpu.L = uint8_t(cpu.L & 0xFB); break; // RES 2,L
    case 0x96: bus.memWrite(hl, uint8_t(bus.memRead(hl) & 0xFB)); break; // RES 2,(HL)
    case 0x97: cpu.A = uint8_t(cpu.A & 0xFB); break; // RES 2,A
    case 0x98: cpu.B = uint8_t(cpu.B & 0xF7); break; // RES 3,B
    case 0x99: cpu.C = uint8_t(cpu.C & 0xF7); break; // RES 3,C
    case 0x9A: cpu.D = uint8_t(cpu.D & 0xF7); break; // RES 3,D
    case 0x9B: cpu.E = uint8_t(cpu.E & 0xF7); break; // RES 3,E
    case 0x9C: cpu.H = uint8_t(cpu.H & 0xF7); break; // RES 3,H
    case 0x9D: cpu.L = uint8_t(cpu.L & 0xF7); break; // RES 3,L
    case 0x9E: bus.memWrite(hl, uint8_t(bus.memRead(hl) & 0xF7)); break; // RES 3,(HL)
    case 0x9F: cpu.A = uint8_t(cpu.A & 0xF7); break; // RES 3,A

    case 0xA0: cpu.B = uint8_t(cpu.B & 0xEF); break; // RES 4,B
    case 0xA1: cpu.C = uint8_t(cpu.C & 0xEF); break; // RES 4,C
    case 0xA2: cpu.D = uint8_t(cpu.D & 0xEF); break; // RES 4,D
    case 0xA3: cpu.E = uint8_t(cpu.E & 0xEF); break; // RES 4,E
    case 0xA4: cpu.H = uint8_t(cpu.H & 0xEF); break; // RES 4,H
    case 0xA5: cpu.L = uint8_t(cpu.L & 0xEF); break; // RES 4,L
    case 0xA6: bus.memWrite(hl, uint8_t(bus.memRead(hl) & 0xEF)); break; // RES 4,(HL)
    case 0xA7: cpu.A = uint8_t(cpu.A & 0xEF); break; // RES 4,A
    case 0xA8: cpu.B = uint8_t(cpu.B & 0xDF); break; // RES 5,B
    case 0xA9: cpu.C = uint8_t(cpu.C & 0xDF); break; // RES 5,C
    case 0xAA: cpu.D = uint8_t(cpu.D & 0xDF); break; // RES 5,D
    case 0xAB: cpu.E = uint8_t(cpu.E & 0xDF); break; // RES 5,E
    case 0xAC: cpu.H = uint8_t(cpu.H & 0xDF); break; // RES 5,H
    case 0xAD: cpu.L = uint8_t(cpu.L & 0xDF); break; // RES 5,L
    case 0xAE: bus.memWrite(hl, uint8_t(bus.memRead(hl) & 0xDF)); break; // RES 5,(HL)
    case 0xAF: cpu.A = uint8_t(cpu.A & 0xDF); break; // RES 5,A

    case 0xB0: cpu.B = uint8_t(cpu.B & 0xBF); break; // RES 6,B
    case 0xB1: cpu.C = uint8_t(cpu.C & 0xBF); break; // RES 6,C
    case 0xB2: cpu.D = uint8_t(cpu.D & 0xBF); break; // RES 6,D
    case 0xB3: cpu.E = uint8_t(cpu.E & 0xBF); break; // RES 6,E
    case 0xB4: cpu.H = uint8_t(cpu.H & 0xBF); break; // RES 6,H
    case 0xB5: cpu.L = uint8_t(cpu.L & 0xBF); break; // RES 6,L
    case 0xB6: bus.memWrite(hl, uint8_t(bus.memRead(hl) & 0xBF)); break; // RES 6,(HL)
    case 0xB7: cpu.A = uint8_t(cpu.A & 0xBF); break; // RES 6,A
    case 0xB8: cpu.B = uint8_t(cpu.B & 0x7F); break; // RES 7,B
    case 0xB9: cpu.C = uint8_t(cpu.C & 0x7F); break; // RES 7,C
    case 0xBA: cpu.D = uint8_t(cpu.D & 0x7F); break; // RES 7,D
    case 0xBB: cpu.E = uint8_t(cpu.E & 0x7F); break; // RES 7,E
    case 0xBC: cpu.H = uint8_t(cpu.H & 0x7F); break; // RES 7,H
    case 0xBD: cpu.L = uint8_t(cpu.L & 0x7F); break; // RES 7,L
    case 0xBE: bus.memWrite(hl, uint8_t(bus.memRead(hl) & 0x7F)); break; // RES 7,(HL)
    case 0xBF: cpu.A = uint8_t(cpu.A & 0x7F); break; // RES 7,A

    case 0xC0: cpu.B = uint8_t(cpu.B | 0x01); break; // SET 0,B
    case 0xC1: cpu.C = uint8_t(cpu.C | 0x01); break; // SET 0,C
    case 0xC2: cpu.D = uint8_t(cpu.D | 0x01); break; // SET 0,D
    case 0xC3: cpu.E = uint8_t(cpu.E | 0x01); break; // SET 0,E
    case 0xC4: cpu.H = uint8_t(cpu.H | 0x01); break; // SET 0,H
    case 0xC5: cpu.L = uint8_t(cpu.L | 0x01); break; // SET 0,L
    case 0xC6: bus.memWrite(hl, uint8_t(bus.memRead(hl) | 0x01)); break; // SET 0,(HL)
    case 0xC7: cpu.A = uint8_t(cpu.A | 0x01); break; // SET 0,A
    case 0xC8: cpu.B = uint8_t(cpu.B | 0x02); break; // SET 1,B
    case 0xC9: cpu.C = uint8_t(cpu.C | 0x02); break; // SET 1,C
    case 0xCA: cpu.D = uint8_t(cpu.D | 0x02); break; // SET 1,D
    case 0xCB: cpu.E = uint8_t(cpu.E | 0x02); break; // SET 1,E
    case 0xCC: cpu.H = uint8_t(cpu.H | 0x02); break; // SET 1,H
    case 0xCD: cpu.L = uint8_t(cpu.L | 0x02); break; // SET 1,L
    case 0xCE: bus.memWrite(hl, uint8_t(bus.memRead(hl) | 0x02)); break; // SET 1,(HL)
    case 0xCF: cpu.A = uint8_t(cpu.A | 0x02); break; // SET 1,A

    case 0xD0: cpu.B = uint8_t(cpu.B | 0x04); break; // SET 2,B
    case 0xD1: cpu.C = uint8_t(cpu.C | 0x04); break; // SET 2,C
    case 0xD2: cpu.D = uint8_t(cpu.D | 0x04); break; // SET 2,D
    case 0xD3: cpu.E = uint8_t(cpu.E | 0x04); break; // SET 2,E
    case 0xD4: cpu.H = uint8_t(cpu.H | 0x04); break; // SET 2,H
    case 0xD5: cpu.L = uint8_t(cpu.L | 0x04); break; // SET 2,L
    case 0xD6: bus.memWrite(hl, uint8_t(bus.memRead(hl) | 0x04)); break; // SET 2,(HL)
    case 0xD7: cpu.A = uint8_t(cpu.A | 0x04); break; // SET 2,A
    case 0xD8: cpu.B = uint8_t(cpu.B | 0x08); break; // SET 3,B
    case 0xD9: cpu.C = uint8_t(cpu.C | 0x08); break; // SET 3,C
    case 0xDA: cpu.D = uint8_t(cpu.D | 0x08); break; // SET 3,D
    case 0xDB: cpu.E = uint8_t(cpu.E | 0x08); break; // SET 3,E
    case 0xDC: cpu.H = uint8_t(cpu.H | 0x08); break; // SET 3,H
    case 0xDD: cpu.L = uint8_t(cpu.L | 0x08); break; // SET 3,L
    case 0xDE: bus.memWrite(hl, uint8_t(bus.memRead(hl) | 0x08)); break; // SET 3,(HL)
    case 0xDF: cpu.A = uint8_t(cpu.A | 0x08); break; // SET 3,A

    case 0xE0: cpu.B = uint8_t(cpu.B | 0x10); break; // SET 4,B
    case 0xE1: cpu.C = uint8_t(cpu.C | 0x10); break; // SET 4,C
    case 0xE2: cpu.D = uint8_t(cpu.D | 0x10); break; // SET 4,D
    case 0xE3: cpu.E = uint8_t(cpu.E | 0x10); break; // SET 4,E
    case 0xE4: cpu.H = uint8_t(cpu.H | 0x10); break; // SET 4,H
    case 0xE5: cpu.L = uint8_t(cpu.L | 0x10); break; // SET 4,L
    case 0xE6: bus.memWrite(hl, uint8_t(bus.memRead(hl) | 0x10)); break; // SET 4,(HL)
    case 0xE7: cpu.A = uint8_t(cpu.A | 0x10); break; // SET 4,A
    case 0xE8: cpu.B = uint8_t(cpu.B | 0x20); break; // SET 5,B
    case 0xE9: cpu.C = uint8_t(cpu.C | 0x20); break; // SET 5,C
    case 0xEA: cpu.D = uint8_t(cpu.D | 0x20); break; // SET 5,D
    case 0xEB: cpu.E = uint8_t(cpu.E | 0x20); break; // SET 5,E
    case 0xEC: cpu.H = uint8_t(cpu.H | 0x20); break; // SET 5,H
    case 0xED: cpu.L = uint8_t(cpu.L | 0x20); break; // SET 5,L
    case 0xEE: bus.memWrite(hl, uint8_t(bus.memRead(hl) | 0x20)); break; // SET 5,(HL)
    case 0xEF: cpu.A = uint8_t(cpu.A | 0x20); break; // SET 5,A

    case 0xF0: cpu.B = uint8_t(cpu.B | 0x40); break; // SET 6,B
    case 0xF1: cpu.C = uint8_t(cpu.C | 0x40); break; // SET 6,C
    case 0xF2: cpu.D = uint8_t(cpu.D | 0x40); break; // SET 6,D
    case 0xF3: cpu.E = uint8_t(cpu.E | 0x40); break; // SET 6,E
    case 0xF4: cpu.H = uint8_t(cpu.H | 0x40); break; // SET 6,H
    case 0xF5: cpu.L = uint8_t(cpu.L | 0x40); break; // SET 6,L
    case 0xF6: bus.memWrite(hl, uint8_t(bus.memRead(hl) | 0x40)); break; // SET 6,(HL)
    case 0xF7: cpu.A = uint8_t(cpu.A | 0x40); break; // SET 6,A
    case 0xF8: cpu.B = uint8_t(cpu.B | 0x80); break; // SET 7,B
    case 0xF9: cpu.C = uint8_t(cpu.C | 0x80); break; // SET 7,C
    case 0xFA: cpu.D = uint8_t(cpu.D | 0x80); break; // SET 7,D
    case 0xFB: cpu.E = uint8_t(cpu.E | 0x80); break; // SET 7,E
    case 0xFC: cpu.H = uint8_t(cpu.H | 0x80); break; // SET 7,H
    case 0xFD: cpu.L = uint8_t(cpu.L | 0x80); break; // SET 7,L
    case 0xFE: bus.memWrite(hl, uint8_t(bus.memRead(hl) | 0x80)); break; // SET 7,(HL)
    case 0xFF: cpu.A = uint8_t(cpu.A | 0x80); break; // SET 7,A
    }
}

} // namespace ollendor
