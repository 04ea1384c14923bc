// Z80 disassembly as this machine's CPU runs it.
//
// Each instruction comes with the T-states the core charges for it (taken from the core's
// own cycle tables), how it moves PC (for stepping over calls, stepping out and the call
// stack), the address it goes to, and whether the CPU treats it as one of its
// unrecognised prefixed forms. Text is Zilog syntax with upper-case mnemonics and $ hex
// ($1234, $A5, (IX-$05)); relative jumps show the address they go to; with a symbol table,
// jump and call targets and (nn) addresses show as names when one fits the text. 16-bit
// immediates (LD HL,nn) stay numbers: as often counts or constants as addresses, and label
// files mix constants in with labels (LD BC,1 would become LD BC,someColour).
//
// Unrecognised forms, as the core runs them:
// - DD or FD before an opcode with no index form runs that opcode on HL as if unprefixed,
//   charged cyclesIndex (0, or 19 for HALT) and no taken-branch surcharge: prefixIgnored,
//   shown as the plain instruction.
// - An ED opcode outside the ED page, DD CB d xx / FD CB d xx that would copy into a
//   register, DD ED / FD ED, and a prefix directly followed by another (DD DD, ED ED: the
//   first prefix alone is one instruction) do nothing for 0 T-states: unrecognised, shown
//   as their bytes (DB $ED,$4C), which assemble back to them.
// ED FE is this machine's tape trap, shown as TAPETRAP.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <optional>

namespace ollendor {

class Symbols;

// How an instruction moves PC.
enum class Flow : uint8_t {
    next,            // on to the next instruction
    jump,            // JP nn, JR d
    conditionalJump, // JP cc,nn, JR cc,d, DJNZ d
    call,            // CALL nn
    conditionalCall, // CALL cc,nn
    ret,             // RET, RETI, RETN
    conditionalRet,  // RET cc
    rst,             // RST p
    blockRepeat,     // LDIR, CPIR, INIR, OTIR and their decrementing forms
    halt,            // HALT: waits at itself for an interrupt
    jumpIndirect,    // JP (HL), JP (IX), JP (IY): target known only at run time
};

// Conditional branches, and block repeats, cost cyclesTaken when they branch or repeat.
constexpr bool hasTakenCost(Flow flow)
{
    return flow == Flow::conditionalJump || flow == Flow::conditionalCall || flow == Flow::conditionalRet ||
           flow == Flow::blockRepeat;
}

// How the CPU treats an instruction's bytes (see the top of this file).
enum class Form : uint8_t {
    normal,
    prefixIgnored, // DD/FD before an opcode with no index form
    unrecognised,  // does nothing, costs nothing
};

struct Instruction {
    uint16_t address = 0;
    uint8_t length = 0;                  // 1 to 4 bytes
    std::array<uint8_t, 4> bytes{};      // the first `length` are the instruction's
    char text[48] = {};                  // "LD A,(IX+$05)", "CALL print_char"
    uint8_t cycles = 0;                  // T-states; a conditional one's when not taken, a
                                         // block repeat's last step (16)
    uint8_t cyclesTaken = 0;             // when hasTakenCost(flow): taken branch, or a
                                         // repeating step (21); else 0
    Form form = Form::normal;
    Flow flow = Flow::next;
    std::optional<uint16_t> target;      // where a jump, call or RST goes

    bool unrecognised() const { return form != Form::normal; }
    uint16_t nextAddress() const { return uint16_t(address + length); }
};

// Anything that gives the byte at a 16-bit address: the CPU's view of memory, one page of
// the store, a plain array through a lambda.
template <class Reader>
concept ByteReader = requires(Reader& read, uint16_t address) {
    { read(address) } -> std::convertible_to<uint8_t>;
};

// Decodes the instruction at `address` from its first four bytes (more than any
// instruction needs; those past its end are ignored). `symbols` may be null.
Instruction decodeInstruction(uint16_t address, const std::array<uint8_t, 4>& bytes,
                              const Symbols* symbols = nullptr);

// The length of the instruction these bytes start, without the rest of the decoding.
uint8_t instructionLength(const std::array<uint8_t, 4>& bytes);

// What the debugger needs of an instruction as it runs (its length, how it moves PC and
// where to), without the text.
struct InstructionShape {
    uint8_t length = 1;
    Flow flow = Flow::next;
    std::optional<uint16_t> target;
};
InstructionShape instructionShape(uint16_t address, const std::array<uint8_t, 4>& bytes);

template <ByteReader Reader>
Instruction disassemble(uint16_t address, Reader&& read, const Symbols* symbols = nullptr)
{
    std::array<uint8_t, 4> bytes;
    for (unsigned i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(read(uint16_t(address + i)));
    return decodeInstruction(address, bytes, symbols);
}

// How far back previousInstructionStart looks.
inline constexpr unsigned backtrackWindow = 32;

// A guess at where the instruction before `address` starts, for scrolling back: decoding
// is tried from every start in the window before it, and the start whose instructions
// most often end exactly at `address` wins. Z80 code falls into step within a few
// instructions, so this is right in code and may be off by a byte or two in data.
uint16_t previousStartInWindow(uint16_t address, const std::array<uint8_t, backtrackWindow + 3>& window);

template <ByteReader Reader>
uint16_t previousInstructionStart(uint16_t address, Reader&& read)
{
    std::array<uint8_t, backtrackWindow + 3> window; // the window, then 3 bytes from `address`
    const uint16_t start = uint16_t(address - backtrackWindow);
    for (unsigned i = 0; i < window.size(); ++i)
        window[i] = uint8_t(read(uint16_t(start + i)));
    return previousStartInWindow(address, window);
}

} // namespace ollendor
