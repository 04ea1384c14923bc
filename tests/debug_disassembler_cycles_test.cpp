// The disassembler's T-states, flows and unrecognised marks against the core itself: every
// instruction of the every-form table runs alone on the test bus, in three register
// set-ups that between them take and skip every condition and repeat and end every block
// instruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "cpu_test_bus.h"
#include "debug/disassembler.h"
#include "debug_disassembler_support.h"

using namespace ollendor;

namespace {

constexpr uint16_t elsewhere = 0x8000;  // HL, IX, IY and the return address on the stack
constexpr uint16_t stackTop = 0x9000;

struct RegisterSetup {
    uint8_t flags;
    uint16_t bc;
};

// F all clear and all set; B 1 (DJNZ falls through, INIR ends), 2 (both go on) and 0 with
// BC 1 (LDIR and CPIR end).
constexpr RegisterSetup setups[] = {{0x00, 0x0100}, {0xFF, 0x0200}, {0x00, 0x0001}};

struct Outcome {
    int cycles;         // charged by the core
    uint16_t wentTo;    // where PC went
    bool halted;
    bool wroteMemory;
    Z80State after;
};

void placeTrap(uint16_t at, const Instruction& instruction)
{
    const bool insideInstruction = uint16_t(at - instruction.address) < instruction.length;
    if (!insideInstruction) {
        TestBus::memory[at] = 0xED;
        TestBus::memory[uint16_t(at + 1)] = 0xFE;
    }
}

// Runs one instruction with a budget of 1 T-state: one that costs anything ends the slice
// at once; one that costs nothing runs on into a trap (ED FE, itself free) wherever it
// may go. The T-states charged are then the budget minus what was left.
Outcome runAlone(const std::vector<uint8_t>& binary, const Instruction& instruction,
                 const RegisterSetup& setup, Z80State& before)
{
    TestBus::clear();
    std::copy(binary.begin(), binary.end(), TestBus::memory.begin());
    const bool isTrap = instruction.bytes[0] == 0xED && instruction.bytes[1] == 0xFE;
    const uint16_t next = instruction.nextAddress();
    if (instruction.length == 1 && (instruction.bytes[0] == 0xDD || instruction.bytes[0] == 0xFD)) {
        // A lone prefix stands alone only before another: follow it by FD 00, which the
        // core runs as NOP for free, then the trap.
        TestBus::memory[next] = 0xFD;
        TestBus::memory[uint16_t(next + 1)] = 0x00;
        placeTrap(uint16_t(next + 2), instruction);
    } else if (!isTrap) {
        placeTrap(next, instruction);
    }
    if (instruction.target)
        placeTrap(*instruction.target, instruction);
    placeTrap(elsewhere, instruction);
    TestBus::memory[stackTop] = uint8_t(elsewhere);
    TestBus::memory[stackTop + 1] = uint8_t(elsewhere >> 8);

    Z80State cpu{};
    cpu.cyclesPerHook = 2048;
    cpuReset(cpu);
    cpu.PC = instruction.address;
    cpu.SP = stackTop;
    cpu.setHL(elsewhere);
    cpu.IX = elsewhere;
    cpu.IY = elsewhere;
    cpu.setDE(0x9100);
    cpu.setBC(setup.bc);
    cpu.F = setup.flags;
    before = cpu;
    TestBus::accesses.clear();

    cpu.cyclesLeft = 1;
    cpuRun(TestBus{}, cpu);
    const bool trapped = TestBus::tapeTraps > 0;
    const int32_t left = trapped ? TestBus::cyclesLeftAtTrap : TestBus::hookCalls.back().cyclesLeft;
    Outcome outcome{};
    outcome.cycles = 1 - left;
    outcome.wentTo = trapped && !isTrap ? uint16_t(cpu.PC - 2) : cpu.PC;
    const bool lonePrefix = instruction.length == 1 && instruction.bytes[0] != 0xED;
    if (trapped && lonePrefix && outcome.wentTo == uint16_t(next + 2))
        outcome.wentTo = next; // the lone prefix's FD 00 went on to the trap
    outcome.halted = cpu.intState & HALTED;
    outcome.wroteMemory = std::any_of(TestBus::accesses.begin(), TestBus::accesses.end(),
                                      [](const TestBus::Access& access) { return access.write; });
    outcome.after = cpu;
    return outcome;
}

// Everything but PC and the cycle bookkeeping.
bool sameRegisters(const Z80State& a, const Z80State& b)
{
    return a.AF() == b.AF() && a.BC() == b.BC() && a.DE() == b.DE() && a.HL() == b.HL() && a.IX == b.IX &&
           a.IY == b.IY && a.SP == b.SP && a.altAF == b.altAF && a.altBC == b.altBC && a.altDE == b.altDE &&
           a.altHL == b.altHL && a.intState == b.intState && a.I == b.I;
}

std::string describe(const Instruction& instruction)
{
    char text[96];
    std::snprintf(text, sizeof text, "$%04X %s", instruction.address, instruction.text);
    return text;
}

} // namespace

TEST(DisassemblerCycles, EveryFormCostsWhatTheCoreChargesAndGoesWhereItsFlowSays)
{
    const auto binary = everyForm::readBinary();
    ASSERT_FALSE(binary.empty());
    const everyForm::BinaryReader read{&binary};

    int checked = 0;
    for (uint16_t address = 0; address < binary.size();) {
        const Instruction instruction = disassemble(address, read);
        address = instruction.nextAddress();
        bool taken = false, fellThrough = false;
        for (const RegisterSetup& setup : setups) {
            Z80State before;
            const Outcome outcome = runAlone(binary, instruction, setup, before);
            const std::string what = describe(instruction) + " with F=" + std::to_string(setup.flags) +
                                     " BC=" + std::to_string(setup.bc);
            ++checked;
            if (instruction.flow == Flow::halt) {
                // HALT ends the slice itself, so what it charged cannot be seen from here.
                EXPECT_TRUE(outcome.halted) << what;
                continue;
            }
            switch (instruction.flow) {
            case Flow::next:
                EXPECT_EQ(outcome.wentTo, instruction.nextAddress()) << what;
                break;
            case Flow::jump:
            case Flow::call:
            case Flow::rst:
                EXPECT_EQ(outcome.wentTo, instruction.target) << what;
                break;
            case Flow::ret:
            case Flow::jumpIndirect:
                EXPECT_EQ(outcome.wentTo, elsewhere) << what;
                break;
            case Flow::conditionalJump:
            case Flow::conditionalCall:
            case Flow::conditionalRet:
            case Flow::blockRepeat: {
                const uint16_t branch = instruction.flow == Flow::conditionalRet ? elsewhere
                                        : instruction.flow == Flow::blockRepeat ? instruction.address
                                                                                : *instruction.target;
                const bool branched = outcome.wentTo == branch;
                EXPECT_TRUE(branched || outcome.wentTo == instruction.nextAddress()) << what;
                (branched ? taken : fellThrough) = true;
                EXPECT_EQ(outcome.cycles, branched ? instruction.cyclesTaken : instruction.cycles) << what;
                continue;
            }
            default: break;
            }
            EXPECT_EQ(outcome.cycles, instruction.cycles) << what;
            EXPECT_EQ(instruction.cyclesTaken, 0) << what;
            if (instruction.form == Form::unrecognised) {
                EXPECT_EQ(outcome.cycles, 0) << what;
                EXPECT_TRUE(sameRegisters(before, outcome.after)) << what << ": changed a register";
                EXPECT_FALSE(outcome.wroteMemory) << what << ": wrote memory";
            }
        }
        if (hasTakenCost(instruction.flow)) {
            EXPECT_TRUE(taken && fellThrough) << describe(instruction) << ": both ways not seen";
        }
    }
    EXPECT_GT(checked, 4500);
}
