// Our Z80 against z80ex, a generic Z80 library, instruction by instruction: every opcode of
// every page (unprefixed, CB, ED, DD, FD, DD CB, FD CB) is run from many random register
// and memory states on both cores, and the registers, the memory written, the ports written
// and the T-states are compared. The states come from a fixed seed, so a failure repeats.
//
// Where our CPU departs from a real Z80 on purpose, the comparison leaves that part out; each
// departure, what it hides and why, is in the table below. Nothing else is masked.
//
//   departure                         what is not compared              why
//   --------------------------------  --------------------------------  ---------------------------
//   flag bits 5 and 3                 F & 0x28, every opcode            not modelled (cpu/alu.h)
//   BIT n keeps S and P/V             S, P/V after CB 40-7F and the     BIT sets only Z, H, N
//                                     DD CB / FD CB BIT forms           (bitTest in cpu/alu.h)
//   IFF2                              IFF2 after every opcode (EI and   IFF2 only records IFF1 at
//                                     DI leave it; LD A,I/R read IFF1)  interrupt acceptance; the
//                                                                       states start with IFF1 ==
//                                                                       IFF2, so RETN and LD A,I
//                                                                       are still compared
//   R                                 R itself; A, S and Z of LD A,R    R is not modelled: LD A,R
//                                                                       reads the cycle counter
//   unrecognised prefixed forms       the ED duplicates (NEG, RETN, IM, they do nothing and cost
//                                     OUT (C),0...), the DD CB / FD CB  nothing (reported when
//                                     register copies, DD ED / FD ED:   reportUnknown is set)
//                                     not compared; the T-states of
//                                     the ED holes (NOPs on both)
//   ED FE, ED ED                      not compared                      the machine's tape trap; a
//                                                                       second ED starts over
//   zero-cost prefixes                T-states of DD/FD before an       such a DD/FD costs nothing
//                                     opcode with no index form (and    and the opcode behind it
//                                     a second DD/FD)                   runs for free
//   the port's upper byte             ports are compared on their low   the bus is given the 8-bit
//                                     byte; IN answers from it          port number only
//   index halves cost 9               T-states of the forms on IXH,     so charged (cpu/tables.h)
//                                     IXL, IYH, IYL alone
//   HALT ends the slice               T-states of HALT                  the loop goes to the hook
//                                                                       at once (cpu/run.h)
//   block I/O flags                   S, H, P/V, N, C after INI, IND,   only Z (B reached 0) and N
//                                     OUTI, OUTD and their repeats      are modelled (cpu/exec_ed.h)
//
// The repeating block instructions are run for one step (the slice holds one T-state), which
// both cores then leave with PC back on the instruction when it is unfinished.
#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <z80ex.h>
}

#include <gtest/gtest.h>

#include "cpu/run.h"

using namespace ollendor;

namespace {

// ---- the two machines: the same 64 KiB, ports that answer from the port's low byte ------

std::array<uint8_t, 0x10000> pristine;  // the state's memory before the instruction
std::array<uint8_t, 0x10000> oursMemory;
std::array<uint8_t, 0x10000> refMemory;
uint8_t portSalt = 0;

uint8_t portAnswer(uint8_t port) { return uint8_t(port * 0x9D + 0x35) ^ portSalt; }

struct Trace {
    std::vector<uint16_t> written;                      // addresses, in order
    std::vector<std::pair<uint8_t, uint8_t>> portsOut;  // low byte of the port, value
    std::vector<uint8_t> portsIn;                       // low byte of each port read
};
Trace oursTrace, refTrace;

struct DifferentialBus {
    static uint8_t memRead(uint16_t address) { return oursMemory[address]; }
    static void memWrite(uint16_t address, uint8_t value)
    {
        oursTrace.written.push_back(address);
        oursMemory[address] = value;
    }
    static uint8_t portIn(uint16_t port)
    {
        oursTrace.portsIn.push_back(uint8_t(port));
        return portAnswer(uint8_t(port));
    }
    static void portOut(uint16_t port, uint8_t value) { oursTrace.portsOut.push_back({uint8_t(port), value}); }
    static uint16_t periodicHook(Z80State&) { return hookContinue; }
    static void tapeTrap(Z80State&) {}
    static void diagnostic(Z80State&, const char*) {}
};

Z80EX_BYTE refMemRead(Z80EX_CONTEXT*, Z80EX_WORD address, int, void*) { return refMemory[address]; }
void refMemWrite(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value, void*)
{
    refTrace.written.push_back(address);
    refMemory[address] = value;
}
Z80EX_BYTE refPortIn(Z80EX_CONTEXT*, Z80EX_WORD port, void*)
{
    refTrace.portsIn.push_back(uint8_t(port));
    return portAnswer(uint8_t(port));
}
void refPortOut(Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE value, void*)
{
    refTrace.portsOut.push_back({uint8_t(port), value});
}
Z80EX_BYTE refIntRead(Z80EX_CONTEXT*, void*) { return 0xFF; }

// ---- the opcodes and what is masked for each --------------------------------------------

enum class Page { base, CB, ED, DD, FD, DDCB, FDCB };
const char* const pageNames[] = {"", "CB ", "ED ", "DD ", "FD ", "DD CB d ", "FD CB d "};

struct Mask {
    bool skip = false;       // not compared at all (an unrecognised form)
    uint8_t flags = 0xD7;    // the bits of F compared (never 5 and 3)
    bool a = true;           // A compared
    bool cycles = true;      // T-states compared
};

// DD/FD second bytes with an index form (IX/IY, their halves or (XY+d)); the others run as
// the unprefixed opcode.
bool hasIndexForm(uint8_t op)
{
    switch (op) {
    case 0x09: case 0x19: case 0x21: case 0x22: case 0x23: case 0x24: case 0x25: case 0x26:
    case 0x29: case 0x2A: case 0x2B: case 0x2C: case 0x2D: case 0x2E: case 0x34: case 0x35:
    case 0x36: case 0x39: case 0xCB: case 0xE1: case 0xE3: case 0xE5: case 0xE9: case 0xF9:
        return true;
    default:
        break;
    }
    if (op >= 0x40 && op <= 0xBF) {
        const int destination = (op >> 3) & 7, source = op & 7;
        if (op >= 0x80) // arithmetic on A: H, L or (HL) as the operand
            return source >= 4 && source <= 6;
        if (op == 0x76)
            return false; // HALT
        if (destination == 4 || destination == 5 || destination == 6)
            return true;
        return source >= 4 && source <= 6;
    }
    return false;
}

// The undocumented index forms on IXH, IXL, IYH, IYL alone (no (XY+d) operand).
bool isRegisterHalfForm(uint8_t op)
{
    if (!hasIndexForm(op) || op == 0xCB || op >= 0xC0)
        return false;
    if (op >= 0x80) // arithmetic on A
        return (op & 7) != 6;
    if (op >= 0x40)
        return (op & 7) != 6 && ((op >> 3) & 7) != 6;
    return (op & 0xF0) == 0x20 && ((op & 7) >= 4); // INC, DEC, LD n on the halves
}

// ED opcodes our CPU recognises: the documented set, the tape trap FE, and ED ED (which
// starts over as a prefix). The undocumented duplicates (NEG, RETN, IM, OUT (C),0) are not.
bool edRecognised(uint8_t op)
{
    if (op >= 0x40 && op <= 0x7F) {
        switch (op) {
        case 0x4C: case 0x4E: case 0x54: case 0x55: case 0x5C: case 0x5D: case 0x64: case 0x65:
        case 0x66: case 0x6C: case 0x6D: case 0x6E: case 0x71: case 0x74: case 0x75: case 0x76:
        case 0x77: case 0x7C: case 0x7D: case 0x7E: case 0x7F:
            return false;
        default:
            return true;
        }
    }
    return (op >= 0xA0 && op <= 0xA3) || (op >= 0xA8 && op <= 0xAB) || (op >= 0xB0 && op <= 0xB3) ||
           (op >= 0xB8 && op <= 0xBB);
}

bool isBlockIO(uint8_t op) { return (op & 0xE6) == 0xA2; } // A2 A3 AA AB B2 B3 BA BB

Mask maskFor(Page page, uint8_t op)
{
    Mask mask;
    switch (page) {
    case Page::base:
        if (op == 0x76)
            mask.cycles = false; // HALT ends the slice
        break;
    case Page::CB:
        if (op >= 0x40 && op <= 0x7F)
            mask.flags &= uint8_t(~(flagS | flagPV)); // BIT keeps S and P/V
        break;
    case Page::ED:
        if (op == 0xED || op == 0xFE || (!edRecognised(op) && op >= 0x40 && op <= 0x7F))
            mask.skip = true; // ED ED, the tape trap, the undocumented duplicates
        else if (!edRecognised(op))
            mask.cycles = false; // a hole: a NOP on both, but free on ours
        else if (op == 0x5F) { // LD A,R: A is the cycle counter, not R
            mask.a = false;
            mask.flags &= uint8_t(~(flagS | flagZ));
        } else if (isBlockIO(op))
            mask.flags &= flagZ;
        break;
    case Page::DD:
    case Page::FD:
        if (op == 0xED || op == 0xCB)
            mask.skip = true; // DD ED: unrecognised; DD CB: compared on its own page
        else if (!hasIndexForm(op) || isRegisterHalfForm(op))
            mask.cycles = false; // the prefix costs nothing; the halves cost 9
        break;
    case Page::DDCB:
    case Page::FDCB: {
        const bool memoryForm = (op & 7) == 6;
        if (op >= 0x40 && op <= 0x7F)
            mask.flags &= uint8_t(~(flagS | flagPV)); // BIT: every one of the eight forms
        else if (!memoryForm)
            mask.skip = true; // the register-copying forms
        break;
    }
    }
    return mask;
}

// ---- random states --------------------------------------------------------------------

struct Random {
    std::mt19937 engine;
    explicit Random(uint32_t seed) : engine(seed) {}
    // Mostly uniform, with the edge values of byte arithmetic one time in four.
    uint8_t byte()
    {
        static constexpr uint8_t edges[] = {0x00, 0x01, 0x0F, 0x10, 0x7F, 0x80, 0x99, 0xFF};
        const uint32_t r = engine();
        if ((r & 3) == 0)
            return edges[(r >> 2) & 7];
        return uint8_t(r >> 8);
    }
    uint16_t word() { return uint16_t(byte() << 8 | byte()); }
    uint32_t below(uint32_t n) { return engine() % n; }
};

struct Registers {
    uint16_t af, bc, de, hl, af2, bc2, de2, hl2, ix, iy, sp, pc;
    uint8_t i;
    bool iff1;
    int im;
};

Registers randomRegisters(Random& random)
{
    Registers r{};
    r.af = random.word(); r.bc = random.word(); r.de = random.word(); r.hl = random.word();
    r.af2 = random.word(); r.bc2 = random.word(); r.de2 = random.word(); r.hl2 = random.word();
    r.ix = random.word(); r.iy = random.word(); r.sp = random.word();
    r.pc = uint16_t(random.engine());
    r.i = random.byte();
    r.iff1 = random.below(2);
    r.im = int(random.below(3));
    return r;
}

struct Outcome {
    Registers registers;
    bool halted;
    int cycles;
};

Outcome runOurs(const Registers& r)
{
    Z80State cpu{};
    cpu.setAF(r.af); cpu.setBC(r.bc); cpu.setDE(r.de); cpu.setHL(r.hl);
    cpu.altAF = r.af2; cpu.altBC = r.bc2; cpu.altDE = r.de2; cpu.altHL = r.hl2;
    cpu.IX = r.ix; cpu.IY = r.iy; cpu.SP = r.sp; cpu.PC = r.pc; cpu.I = r.i;
    cpu.intState = uint8_t((r.iff1 ? IFF1 | IFF2 : 0) | (r.im == 1 ? IM1 : r.im == 2 ? IM2 : 0));
    cpu.cyclesPerHook = 2048;
    // One T-state: a repeating block instruction runs one step, as z80ex's does.
    cpu.cyclesLeft = 1;
    cpuExecute(DifferentialBus{}, cpu);
    // A second DD or FD drops the first and is executed next; z80ex runs them as one.
    while (cpu.PC == uint16_t(r.pc + 1) && (oursMemory[r.pc] | 0x20) == 0xFD &&
           (oursMemory[cpu.PC] | 0x20) == 0xFD)
        cpuExecute(DifferentialBus{}, cpu);
    Outcome outcome{};
    Registers& after = outcome.registers;
    after.af = cpu.AF(); after.bc = cpu.BC(); after.de = cpu.DE(); after.hl = cpu.HL();
    after.af2 = cpu.altAF; after.bc2 = cpu.altBC; after.de2 = cpu.altDE; after.hl2 = cpu.altHL;
    after.ix = cpu.IX; after.iy = cpu.IY; after.sp = cpu.SP; after.pc = cpu.PC; after.i = cpu.I;
    after.iff1 = cpu.intState & IFF1;
    after.im = cpu.intState & IM2 ? 2 : cpu.intState & IM1 ? 1 : 0;
    outcome.halted = cpu.intState & HALTED;
    outcome.cycles = 1 - cpu.cyclesLeft;
    return outcome;
}

Outcome runReference(Z80EX_CONTEXT* z80, const Registers& r)
{
    z80ex_reset(z80);
    z80ex_set_reg(z80, regAF, r.af); z80ex_set_reg(z80, regBC, r.bc);
    z80ex_set_reg(z80, regDE, r.de); z80ex_set_reg(z80, regHL, r.hl);
    z80ex_set_reg(z80, regAF_, r.af2); z80ex_set_reg(z80, regBC_, r.bc2);
    z80ex_set_reg(z80, regDE_, r.de2); z80ex_set_reg(z80, regHL_, r.hl2);
    z80ex_set_reg(z80, regIX, r.ix); z80ex_set_reg(z80, regIY, r.iy);
    z80ex_set_reg(z80, regSP, r.sp); z80ex_set_reg(z80, regPC, r.pc);
    z80ex_set_reg(z80, regI, r.i);
    z80ex_set_reg(z80, regIFF1, r.iff1); z80ex_set_reg(z80, regIFF2, r.iff1);
    z80ex_set_reg(z80, regIM, Z80EX_WORD(r.im));
    Outcome outcome{};
    do // prefixes are steps of their own
        outcome.cycles += z80ex_step(z80);
    while (z80ex_last_op_type(z80) != 0);
    Registers& after = outcome.registers;
    after.af = z80ex_get_reg(z80, regAF); after.bc = z80ex_get_reg(z80, regBC);
    after.de = z80ex_get_reg(z80, regDE); after.hl = z80ex_get_reg(z80, regHL);
    after.af2 = z80ex_get_reg(z80, regAF_); after.bc2 = z80ex_get_reg(z80, regBC_);
    after.de2 = z80ex_get_reg(z80, regDE_); after.hl2 = z80ex_get_reg(z80, regHL_);
    after.ix = z80ex_get_reg(z80, regIX); after.iy = z80ex_get_reg(z80, regIY);
    after.sp = z80ex_get_reg(z80, regSP); after.pc = z80ex_get_reg(z80, regPC);
    after.i = uint8_t(z80ex_get_reg(z80, regI));
    after.iff1 = z80ex_get_reg(z80, regIFF1);
    after.im = z80ex_get_reg(z80, regIM);
    outcome.halted = z80ex_doing_halt(z80);
    return outcome;
}

// The differences between the two outcomes that the mask does not excuse, as text.
std::string differences(const Outcome& ours, const Outcome& ref, const Mask& mask)
{
    std::string text;
    auto check = [&](const char* name, unsigned a, unsigned b) {
        if (a != b) {
            char line[80];
            std::snprintf(line, sizeof line, " %s ours %04X z80ex %04X;", name, a, b);
            text += line;
        }
    };
    const Registers& o = ours.registers;
    const Registers& r = ref.registers;
    if (mask.a)
        check("A", o.af >> 8, r.af >> 8);
    check("F", o.af & mask.flags, r.af & mask.flags);
    check("BC", o.bc, r.bc); check("DE", o.de, r.de); check("HL", o.hl, r.hl);
    check("AF'", o.af2, r.af2); check("BC'", o.bc2, r.bc2); check("DE'", o.de2, r.de2);
    check("HL'", o.hl2, r.hl2); check("IX", o.ix, r.ix); check("IY", o.iy, r.iy);
    check("SP", o.sp, r.sp); check("PC", o.pc, r.pc); check("I", o.i, r.i);
    check("IFF1", o.iff1, r.iff1); check("IM", unsigned(o.im), unsigned(r.im));
    check("halted", ours.halted, ref.halted);
    if (mask.cycles)
        check("T-states", unsigned(ours.cycles), unsigned(ref.cycles));
    // Memory: every address either core wrote holds the same byte in both.
    for (const auto* trace : {&oursTrace, &refTrace})
        for (uint16_t address : trace->written)
            if (oursMemory[address] != refMemory[address]) {
                char line[80];
                std::snprintf(line, sizeof line, " memory at %04X ours %02X z80ex %02X;", address,
                              oursMemory[address], refMemory[address]);
                text += line;
                break;
            }
    if (oursTrace.portsOut != refTrace.portsOut)
        text += " ports written differ;";
    if (oursTrace.portsIn != refTrace.portsIn)
        text += " ports read differ;";
    return text;
}

// Puts the instruction's bytes at PC (operands and displacement stay random).
void placeInstruction(Page page, uint8_t op, uint16_t pc, std::array<uint8_t, 0x10000>& memory)
{
    auto at = [&](int offset) -> uint8_t& { return memory[uint16_t(pc + offset)]; };
    switch (page) {
    case Page::base: at(0) = op; break;
    case Page::CB: at(0) = 0xCB; at(1) = op; break;
    case Page::ED: at(0) = 0xED; at(1) = op; break;
    case Page::DD: at(0) = 0xDD; at(1) = op; break;
    case Page::FD: at(0) = 0xFD; at(1) = op; break;
    case Page::DDCB: at(0) = 0xDD; at(1) = 0xCB; at(3) = op; break;
    case Page::FDCB: at(0) = 0xFD; at(1) = 0xCB; at(3) = op; break;
    }
    // After a second prefix, an instruction both cores know: LD XY,nn.
    if ((page == Page::DD || page == Page::FD) && (op | 0x20) == 0xFD)
        at(2) = 0x21;
}

} // namespace

TEST(CpuDifferential, EveryOpcodeOfEveryPageAgreesWithZ80ex)
{
    constexpr int states = 48;
    Z80EX_CONTEXT* z80 = z80ex_create(refMemRead, nullptr, refMemWrite, nullptr, refPortIn, nullptr,
                                      refPortOut, nullptr, refIntRead, nullptr);
    ASSERT_NE(z80, nullptr);
    Random random(0x5EED2200);
    int compared = 0, opcodesCompared = 0, opcodesSkipped = 0, failures = 0;
    std::vector<bool> failed(7 * 256, false);
    for (int state = 0; state < states; ++state) {
        for (auto& byte : pristine)
            byte = random.byte();
        portSalt = random.byte();
        oursMemory = pristine;
        refMemory = pristine;
        for (int p = 0; p < 7; ++p) {
            const Page page = Page(p);
            for (int op = 0; op < 256; ++op) {
                if (page == Page::base && (op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD))
                    continue; // the prefixes: their pages are the other six
                const Mask mask = maskFor(page, uint8_t(op));
                if (mask.skip) {
                    if (state == 0)
                        ++opcodesSkipped;
                    continue;
                }
                if (state == 0)
                    ++opcodesCompared;
                const Registers before = randomRegisters(random);
                placeInstruction(page, uint8_t(op), before.pc, oursMemory);
                placeInstruction(page, uint8_t(op), before.pc, refMemory);
                oursTrace = {};
                refTrace = {};
                const Outcome ours = runOurs(before);
                const Outcome ref = runReference(z80, before);
                const std::string text = differences(ours, ref, mask);
                ++compared;
                // The first difference of each opcode is shown; the count says how many more.
                if (!text.empty() && ++failures && !failed[p * 256 + op]) {
                    failed[p * 256 + op] = true;
                    ADD_FAILURE() << pageNames[p] << std::hex << op << " from AF=" << before.af
                                  << " BC=" << before.bc << " DE=" << before.de << " HL=" << before.hl
                                  << " IX=" << before.ix << " IY=" << before.iy << " SP=" << before.sp
                                  << " PC=" << before.pc << ":" << text;
                }
                // Back to the state's memory for the next opcode.
                for (const auto* trace : {&oursTrace, &refTrace})
                    for (uint16_t address : trace->written)
                        oursMemory[address] = refMemory[address] = pristine[address];
                for (int offset = 0; offset < 4; ++offset) {
                    const uint16_t address = uint16_t(before.pc + offset);
                    oursMemory[address] = refMemory[address] = pristine[address];
                }
            }
        }
    }
    z80ex_destroy(z80);
    EXPECT_EQ(failures, 0) << failures << " of " << compared << " comparisons differ";
    std::printf("compared %d opcodes from %d states each (%d comparisons); %d unrecognised forms left out\n",
                opcodesCompared, states, compared, opcodesSkipped);
}
