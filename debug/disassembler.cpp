// Decoding: which page and form the bytes are, what the core charges, how PC moves; then
// the text from the page's template.
#include "debug/disassembler.h"

#include <span>
#include <string_view>

#include "cpu/tables.h"
#include "debug/opcode_text.h"
#include "debug/symbols.h"

namespace ollendor {

namespace {

// Taken-branch surcharges, charged on the unprefixed page only (cpu/exec_base.h).
constexpr uint8_t relativeJumpTaken = 5; // JR cc and DJNZ
constexpr uint8_t callTaken = 7;         // CALL cc
constexpr uint8_t returnTaken = 6;       // RET cc
// A repeating block instruction charges 21 per step that repeats and 16 for the one that
// ends it (cpu/exec_ed.h); its cyclesED entry is 0.
constexpr uint8_t blockRepeatStep = 21;
constexpr uint8_t blockFinalStep = 16;

enum class IndexRegister : uint8_t { none, IX, IY };

// Everything but the text.
struct Decoded {
    uint8_t length = 1;
    Form form = Form::normal;
    std::string_view pattern;     // the template; empty for a form shown as its bytes
    IndexRegister index = IndexRegister::none;
    uint8_t operandStart = 1;     // first byte after the opcode
    uint8_t opcode = 0;           // of the page the template comes from
    uint8_t cycles = 0;
    uint8_t cyclesTaken = 0;
    Flow flow = Flow::next;
};

// Bytes of operands a template reads; %M reads a displacement only in index form.
constexpr uint8_t operandBytes(std::string_view pattern, bool indexed)
{
    uint8_t count = 0;
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] != '%')
            continue;
        switch (pattern[i + 1]) {
        case 'n': case 'j': ++count; break;
        case 'w': case 'v': count += 2; break;
        case 'M': count += indexed ? 1 : 0; break;
        default: break;
        }
    }
    return count;
}

struct BaseFlow {
    Flow flow;
    uint8_t takenSurcharge;
};

BaseFlow baseFlow(uint8_t op)
{
    switch (op) {
    case 0x10: case 0x20: case 0x28: case 0x30: case 0x38: return {Flow::conditionalJump, relativeJumpTaken};
    case 0x18: case 0xC3: return {Flow::jump, 0};
    case 0x76: return {Flow::halt, 0};
    case 0xC9: return {Flow::ret, 0};
    case 0xCD: return {Flow::call, 0};
    case 0xE9: return {Flow::jumpIndirect, 0};
    default: break;
    }
    switch (op & 0xC7) { // by the low three bits of the last quarter, with any condition
    case 0xC0: return {Flow::conditionalRet, returnTaken};
    case 0xC2: return {Flow::conditionalJump, 0}; // JP cc costs the same either way
    case 0xC4: return {Flow::conditionalCall, callTaken};
    case 0xC7: return {Flow::rst, 0};
    default: return {Flow::next, 0};
    }
}

// Shown as its bytes, does nothing, costs nothing.
Decoded unrecognised(uint8_t length)
{
    Decoded decoded;
    decoded.length = length;
    decoded.form = Form::unrecognised;
    return decoded;
}

// An unprefixed opcode, or one after DD/FD at `operandStart - 1`. Taken surcharges are
// charged only with `chargeTaken` (the unprefixed page).
Decoded decodeBase(uint8_t op, uint8_t cycles, IndexRegister index, uint8_t prefixLength, bool chargeTaken)
{
    Decoded decoded;
    decoded.pattern = opcodeText::base[op];
    decoded.index = index;
    decoded.opcode = op;
    decoded.operandStart = uint8_t(prefixLength + 1);
    const bool indexed = index != IndexRegister::none;
    decoded.length = uint8_t(decoded.operandStart + operandBytes(decoded.pattern, indexed));
    decoded.cycles = cycles;
    const BaseFlow flow = baseFlow(op);
    decoded.flow = flow.flow;
    if (hasTakenCost(flow.flow))
        decoded.cyclesTaken = uint8_t(cycles + (chargeTaken ? flow.takenSurcharge : 0));
    return decoded;
}

Decoded decodeEd(uint8_t op)
{
    if (op == 0xED)
        return unrecognised(1); // the second ED starts over as a prefix
    Decoded decoded;
    decoded.pattern = opcodeText::ed[op];
    if (decoded.pattern.empty())
        return unrecognised(2);
    decoded.opcode = op;
    decoded.operandStart = 2;
    decoded.length = uint8_t(2 + operandBytes(decoded.pattern, false));
    decoded.cycles = cyclesED[op];
    if (op == 0x45 || op == 0x4D) {
        decoded.flow = Flow::ret;
    } else if ((op & 0xF4) == 0xB0) { // B0-B3, B8-BB
        decoded.flow = Flow::blockRepeat;
        decoded.cycles = blockFinalStep;
        decoded.cyclesTaken = blockRepeatStep;
    }
    return decoded;
}

Decoded decodeIndex(const std::array<uint8_t, 4>& bytes, IndexRegister index)
{
    const uint8_t op = bytes[1];
    if (op == 0xDD || op == 0xFD)
        return unrecognised(1); // the next prefix replaces this one
    if (op == 0xED)
        return unrecognised(2); // the bytes after it run unprefixed
    if (op == 0xCB) {
        const uint8_t bitOp = bytes[3];
        if (cyclesIndexCB[bitOp] == 0)
            return unrecognised(4);
        Decoded decoded;
        decoded.length = 4;
        decoded.pattern = opcodeText::indexCb[bitOp].view();
        decoded.index = index;
        decoded.operandStart = 2;
        decoded.opcode = bitOp;
        decoded.cycles = cyclesIndexCB[bitOp];
        return decoded;
    }
    if (opcodeText::hasIndexForm(op))
        return decodeBase(op, cyclesIndex[op], index, 1, false);
    Decoded decoded = decodeBase(op, cyclesIndex[op], IndexRegister::none, 1, false);
    decoded.form = Form::prefixIgnored;
    return decoded;
}

Decoded decodeBytes(const std::array<uint8_t, 4>& bytes)
{
    const uint8_t op = bytes[0];
    switch (op) {
    case 0xCB: {
        Decoded decoded;
        decoded.length = 2;
        decoded.pattern = opcodeText::cb[bytes[1]].view();
        decoded.operandStart = 2;
        decoded.opcode = bytes[1];
        decoded.cycles = cyclesCB[bytes[1]];
        return decoded;
    }
    case 0xED: return decodeEd(bytes[1]);
    case 0xDD: return decodeIndex(bytes, IndexRegister::IX);
    case 0xFD: return decodeIndex(bytes, IndexRegister::IY);
    default: return decodeBase(op, cyclesBase[op], IndexRegister::none, 0, true);
    }
}

uint16_t wordAt(const std::array<uint8_t, 4>& bytes, unsigned at)
{
    return uint16_t(bytes[at] | bytes[at + 1] << 8);
}

// Text into a fixed buffer; remembers when it did not fit.
class TextOut {
public:
    explicit TextOut(std::span<char> buffer) : buffer_(buffer) {}

    void put(char c)
    {
        if (used_ + 1 < buffer_.size())
            buffer_[used_++] = c;
        else
            overflowed_ = true;
    }
    void put(std::string_view text)
    {
        for (char c : text)
            put(c);
    }
    void hex(unsigned value, int digits)
    {
        static constexpr char digitChars[] = "0123456789ABCDEF";
        put('$');
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            put(digitChars[(value >> shift) & 0xF]);
    }
    void address(uint16_t value, const Symbols* symbols)
    {
        const std::string_view name = symbols ? symbols->nameAt(value) : std::string_view();
        if (name.empty())
            hex(value, 4);
        else
            put(name);
    }
    bool finish()
    {
        buffer_[used_] = '\0';
        return !overflowed_;
    }

private:
    std::span<char> buffer_;
    std::size_t used_ = 0;
    bool overflowed_ = false;
};

std::string_view registerName(IndexRegister index, std::string_view plain, std::string_view ix,
                              std::string_view iy)
{
    return index == IndexRegister::IX ? ix : index == IndexRegister::IY ? iy : plain;
}

// The instruction's text; false when names made it too long for the buffer.
bool writeText(Instruction& instruction, const Decoded& decoded, const Symbols* symbols)
{
    TextOut out(instruction.text);
    if (decoded.pattern.empty()) {
        out.put("DB ");
        for (unsigned i = 0; i < decoded.length; ++i) {
            if (i > 0)
                out.put(',');
            out.hex(instruction.bytes[i], 2);
        }
        return out.finish();
    }
    const auto& bytes = instruction.bytes;
    const IndexRegister index = decoded.index;
    unsigned at = decoded.operandStart;
    const std::string_view pattern = decoded.pattern;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out.put(pattern[i]);
            continue;
        }
        switch (pattern[++i]) {
        case 'n': out.hex(bytes[at++], 2); break;
        case 'w': out.address(wordAt(bytes, at), symbols); at += 2; break;
        case 'v': out.hex(wordAt(bytes, at), 4); at += 2; break;
        case 'j': out.address(uint16_t(instruction.nextAddress() + int8_t(bytes[at++])), symbols); break;
        case 'R': out.put(registerName(index, "HL", "IX", "IY")); break;
        case 'H': out.put(registerName(index, "H", "IXH", "IYH")); break;
        case 'L': out.put(registerName(index, "L", "IXL", "IYL")); break;
        case 'M':
            if (index == IndexRegister::none) {
                out.put("(HL)");
            } else {
                const int displacement = int8_t(bytes[at++]);
                out.put('(');
                out.put(registerName(index, "", "IX", "IY"));
                out.put(displacement < 0 ? '-' : '+');
                out.hex(unsigned(displacement < 0 ? -displacement : displacement), 2);
                out.put(')');
            }
            break;
        default: out.put(pattern[i]); break;
        }
    }
    return out.finish();
}

std::optional<uint16_t> targetOf(const Instruction& instruction, const Decoded& decoded)
{
    switch (decoded.flow) {
    case Flow::jump:
    case Flow::conditionalJump:
    case Flow::call:
    case Flow::conditionalCall:
        if (decoded.pattern.find("%j") != std::string_view::npos)
            return uint16_t(instruction.nextAddress() + int8_t(instruction.bytes[decoded.operandStart]));
        return wordAt(instruction.bytes, decoded.operandStart);
    case Flow::rst: return uint16_t(decoded.opcode & 0x38);
    default: return std::nullopt;
    }
}

} // namespace

Instruction decodeInstruction(uint16_t address, const std::array<uint8_t, 4>& bytes, const Symbols* symbols)
{
    const Decoded decoded = decodeBytes(bytes);
    Instruction instruction;
    instruction.address = address;
    instruction.length = decoded.length;
    for (unsigned i = 0; i < decoded.length; ++i)
        instruction.bytes[i] = bytes[i];
    instruction.cycles = decoded.cycles;
    instruction.cyclesTaken = decoded.cyclesTaken;
    instruction.form = decoded.form;
    instruction.flow = decoded.flow;
    instruction.target = targetOf(instruction, decoded);
    if (!writeText(instruction, decoded, symbols))
        writeText(instruction, decoded, nullptr); // a name too long: numbers always fit
    return instruction;
}

uint8_t instructionLength(const std::array<uint8_t, 4>& bytes)
{
    return decodeBytes(bytes).length;
}

InstructionShape instructionShape(uint16_t address, const std::array<uint8_t, 4>& bytes)
{
    const Decoded decoded = decodeBytes(bytes);
    Instruction instruction;
    instruction.address = address;
    instruction.length = decoded.length;
    instruction.bytes = bytes;
    return InstructionShape{decoded.length, decoded.flow, targetOf(instruction, decoded)};
}

uint16_t previousStartInWindow(uint16_t address, const std::array<uint8_t, backtrackWindow + 3>& window)
{
    // For each possible last start before `address`: how many starts lead to it.
    std::array<uint8_t, backtrackWindow> votes{};
    for (unsigned start = 0; start < backtrackWindow; ++start) {
        unsigned at = start, last = start;
        while (at < backtrackWindow) {
            last = at;
            at += instructionLength({window[at], window[at + 1], window[at + 2], window[at + 3]});
        }
        if (at == backtrackWindow)
            ++votes[last];
    }
    unsigned best = backtrackWindow - 1; // no decoding lands on `address`: one byte back
    for (unsigned last = 0; last < backtrackWindow; ++last)
        if (votes[last] > votes[best])
            best = last;
    return uint16_t(address - backtrackWindow + best);
}

} // namespace ollendor
