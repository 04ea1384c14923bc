// The text of every opcode, as templates the disassembler fills in.
//
// Operand tokens, filled in the order of the operand bytes:
//   %n  an 8-bit immediate or port              $A5
//   %w  a 16-bit address: (nn) or a target      $1234, or a symbol's name
//   %v  a 16-bit immediate value                $1234 (it may be a count as well as an
//                                               address, so it is never named)
//   %j  a relative jump's target                $1234, or a symbol's name
// Tokens of the HL family, which the DD and FD pages turn into their index forms:
//   %R  HL, IX or IY
//   %H  H, IXH or IYH;  %L  L, IXL or IYL
//   %M  (HL), or (IX+d) / (IY+d) with d the byte after the opcode
// An unprefixed opcode has an index form exactly when its template holds one of these
// (EX DE,HL and LD H,(HL) keep their real HL, H and L).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ollendor::opcodeText {

// Unprefixed page; empty for the prefixes CB, DD, ED and FD.
inline constexpr std::array<std::string_view, 256> base = {
    // 0x
    "NOP", "LD BC,%v", "LD (BC),A", "INC BC", "INC B", "DEC B", "LD B,%n", "RLCA",
    "EX AF,AF'", "ADD %R,BC", "LD A,(BC)", "DEC BC", "INC C", "DEC C", "LD C,%n", "RRCA",
    // 1x
    "DJNZ %j", "LD DE,%v", "LD (DE),A", "INC DE", "INC D", "DEC D", "LD D,%n", "RLA",
    "JR %j", "ADD %R,DE", "LD A,(DE)", "DEC DE", "INC E", "DEC E", "LD E,%n", "RRA",
    // 2x
    "JR NZ,%j", "LD %R,%v", "LD (%w),%R", "INC %R", "INC %H", "DEC %H", "LD %H,%n", "DAA",
    "JR Z,%j", "ADD %R,%R", "LD %R,(%w)", "DEC %R", "INC %L", "DEC %L", "LD %L,%n", "CPL",
    // 3x
    "JR NC,%j", "LD SP,%v", "LD (%w),A", "INC SP", "INC %M", "DEC %M", "LD %M,%n", "SCF",
    "JR C,%j", "ADD %R,SP", "LD A,(%w)", "DEC SP", "INC A", "DEC A", "LD A,%n", "CCF",
    // 4x
    "LD B,B", "LD B,C", "LD B,D", "LD B,E", "LD B,%H", "LD B,%L", "LD B,%M", "LD B,A",
    "LD C,B", "LD C,C", "LD C,D", "LD C,E", "LD C,%H", "LD C,%L", "LD C,%M", "LD C,A",
    // 5x
    "LD D,B", "LD D,C", "LD D,D", "LD D,E", "LD D,%H", "LD D,%L", "LD D,%M", "LD D,A",
    "LD E,B", "LD E,C", "LD E,D", "LD E,E", "LD E,%H", "LD E,%L", "LD E,%M", "LD E,A",
    // 6x
    "LD %H,B", "LD %H,C", "LD %H,D", "LD %H,E", "LD %H,%H", "LD %H,%L", "LD H,%M", "LD %H,A",
    "LD %L,B", "LD %L,C", "LD %L,D", "LD %L,E", "LD %L,%H", "LD %L,%L", "LD L,%M", "LD %L,A",
    // 7x
    "LD %M,B", "LD %M,C", "LD %M,D", "LD %M,E", "LD %M,H", "LD %M,L", "HALT", "LD %M,A",
    "LD A,B", "LD A,C", "LD A,D", "LD A,E", "LD A,%H", "LD A,%L", "LD A,%M", "LD A,A",
    // 8x
    "ADD A,B", "ADD A,C", "ADD A,D", "ADD A,E", "ADD A,%H", "ADD A,%L", "ADD A,%M", "ADD A,A",
    "ADC A,B", "ADC A,C", "ADC A,D", "ADC A,E", "ADC A,%H", "ADC A,%L", "ADC A,%M", "ADC A,A",
    // 9x
    "SUB B", "SUB C", "SUB D", "SUB E", "SUB %H", "SUB %L", "SUB %M", "SUB A",
    "SBC A,B", "SBC A,C", "SBC A,D", "SBC A,E", "SBC A,%H", "SBC A,%L", "SBC A,%M", "SBC A,A",
    // Ax
    "AND B", "AND C", "AND D", "AND E", "AND %H", "AND %L", "AND %M", "AND A",
    "XOR B", "XOR C", "XOR D", "XOR E", "XOR %H", "XOR %L", "XOR %M", "XOR A",
    // Bx
    "OR B", "OR C", "OR D", "OR E", "OR %H", "OR %L", "OR %M", "OR A",
    "CP B", "CP C", "CP D", "CP E", "CP %H", "CP %L", "CP %M", "CP A",
    // Cx
    "RET NZ", "POP BC", "JP NZ,%w", "JP %w", "CALL NZ,%w", "PUSH BC", "ADD A,%n", "RST $00",
    "RET Z", "RET", "JP Z,%w", "", "CALL Z,%w", "CALL %w", "ADC A,%n", "RST $08",
    // Dx
    "RET NC", "POP DE", "JP NC,%w", "OUT (%n),A", "CALL NC,%w", "PUSH DE", "SUB %n", "RST $10",
    "RET C", "EXX", "JP C,%w", "IN A,(%n)", "CALL C,%w", "", "SBC A,%n", "RST $18",
    // Ex
    "RET PO", "POP %R", "JP PO,%w", "EX (SP),%R", "CALL PO,%w", "PUSH %R", "AND %n", "RST $20",
    "RET PE", "JP (%R)", "JP PE,%w", "EX DE,HL", "CALL PE,%w", "", "XOR %n", "RST $28",
    // Fx
    "RET P", "POP AF", "JP P,%w", "DI", "CALL P,%w", "PUSH AF", "OR %n", "RST $30",
    "RET M", "LD SP,%R", "JP M,%w", "EI", "CALL M,%w", "", "CP %n", "RST $38",
};

struct EdEntry {
    uint8_t op;
    std::string_view text;
};

// The ED page as the core runs it; every other ED opcode is unrecognised. ED 63 and ED 6B
// are the longer forms of LD (nn),HL and LD HL,(nn); ED FE is the tape trap.
inline constexpr EdEntry edEntries[] = {
    {0x40, "IN B,(C)"}, {0x41, "OUT (C),B"}, {0x42, "SBC HL,BC"}, {0x43, "LD (%w),BC"},
    {0x44, "NEG"}, {0x45, "RETN"}, {0x46, "IM 0"}, {0x47, "LD I,A"},
    {0x48, "IN C,(C)"}, {0x49, "OUT (C),C"}, {0x4A, "ADC HL,BC"}, {0x4B, "LD BC,(%w)"},
    {0x4D, "RETI"}, {0x4F, "LD R,A"},
    {0x50, "IN D,(C)"}, {0x51, "OUT (C),D"}, {0x52, "SBC HL,DE"}, {0x53, "LD (%w),DE"},
    {0x56, "IM 1"}, {0x57, "LD A,I"},
    {0x58, "IN E,(C)"}, {0x59, "OUT (C),E"}, {0x5A, "ADC HL,DE"}, {0x5B, "LD DE,(%w)"},
    {0x5E, "IM 2"}, {0x5F, "LD A,R"},
    {0x60, "IN H,(C)"}, {0x61, "OUT (C),H"}, {0x62, "SBC HL,HL"}, {0x63, "LD (%w),HL"},
    {0x67, "RRD"},
    {0x68, "IN L,(C)"}, {0x69, "OUT (C),L"}, {0x6A, "ADC HL,HL"}, {0x6B, "LD HL,(%w)"},
    {0x6F, "RLD"},
    {0x70, "IN F,(C)"}, {0x72, "SBC HL,SP"}, {0x73, "LD (%w),SP"},
    {0x78, "IN A,(C)"}, {0x79, "OUT (C),A"}, {0x7A, "ADC HL,SP"}, {0x7B, "LD SP,(%w)"},
    {0xA0, "LDI"}, {0xA1, "CPI"}, {0xA2, "INI"}, {0xA3, "OUTI"},
    {0xA8, "LDD"}, {0xA9, "CPD"}, {0xAA, "IND"}, {0xAB, "OUTD"},
    {0xB0, "LDIR"}, {0xB1, "CPIR"}, {0xB2, "INIR"}, {0xB3, "OTIR"},
    {0xB8, "LDDR"}, {0xB9, "CPDR"}, {0xBA, "INDR"}, {0xBB, "OTDR"},
    {0xFE, "TAPETRAP"},
};

constexpr std::array<std::string_view, 256> makeEdPage()
{
    std::array<std::string_view, 256> page{};
    for (const EdEntry& entry : edEntries)
        page[entry.op] = entry.text;
    return page;
}

// ED page by opcode; empty for an unrecognised one.
inline constexpr std::array<std::string_view, 256> ed = makeEdPage();

// The CB page and the DD CB / FD CB forms: operation by bits 7-3, operand by bits 2-0.
inline constexpr std::string_view rotations[8] = {"RLC", "RRC", "RL", "RR", "SLA", "SRA", "SLL", "SRL"};
inline constexpr std::string_view bitOperations[4] = {"", "BIT", "RES", "SET"};
inline constexpr std::string_view registers[8] = {"B", "C", "D", "E", "H", "L", "(HL)", "A"};

// A short template built at compile time.
struct SmallText {
    char chars[12] = {};
    uint8_t size = 0;

    constexpr void append(std::string_view text)
    {
        for (char c : text)
            chars[size++] = c;
    }
    constexpr std::string_view view() const { return {chars, size}; }
};

// CB page templates ("RLC B", "BIT 3,%M"), or with `indexed` those of DD CB d op and
// FD CB d op, where every form works on %M (the core's BIT n,(XY+d) ignores the low bits).
constexpr std::array<SmallText, 256> makeBitPage(bool indexed)
{
    std::array<SmallText, 256> page{};
    for (int op = 0; op < 256; ++op) {
        const int group = op >> 6, bit = (op >> 3) & 7, operand = op & 7;
        SmallText& text = page[op];
        if (group == 0) {
            text.append(rotations[bit]);
            text.append(" ");
        } else {
            text.append(bitOperations[group]);
            text.append(" ");
            const char digit[1] = {char('0' + bit)};
            text.append({digit, 1});
            text.append(",");
        }
        text.append(indexed || operand == 6 ? "%M" : registers[operand]);
    }
    return page;
}

inline constexpr std::array<SmallText, 256> cb = makeBitPage(false);
inline constexpr std::array<SmallText, 256> indexCb = makeBitPage(true);

// Whether an unprefixed opcode's template names the HL family, i.e. it has an index form.
constexpr bool hasIndexForm(uint8_t op)
{
    const std::string_view text = base[op];
    return text.find("%R") != text.npos || text.find("%H") != text.npos || text.find("%L") != text.npos ||
           text.find("%M") != text.npos;
}

} // namespace ollendor::opcodeText
