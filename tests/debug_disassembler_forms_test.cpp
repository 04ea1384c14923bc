// The disassembler against the table of every instruction form: text, length, flow, form
// and target of each line, the coverage of every page, and the opcode templates against
// the core's cycle tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "cpu/tables.h"
#include "debug/disassembler.h"
#include "debug/opcode_text.h"
#include "debug_disassembler_support.h"

using namespace ollendor;

namespace {

// The number after the last $ in a text: the target a branch's text names.
std::optional<uint16_t> lastAddressIn(const std::string& text)
{
    const auto dollar = text.rfind('$');
    if (dollar == std::string::npos)
        return std::nullopt;
    return uint16_t(std::stoul(text.substr(dollar + 1), nullptr, 16));
}

// The page and opcode an instruction's bytes select, as page * 256 + opcode, pages
// 0 unprefixed, 1 CB, 2 ED, 3 DD, 4 FD, 5 DD CB, 6 FD CB.
int pageAndOpcode(const Instruction& instruction, uint8_t byteAfter)
{
    const auto& bytes = instruction.bytes;
    const uint8_t second = instruction.length > 1 ? bytes[1] : byteAfter; // a lone prefix
    switch (bytes[0]) {
    case 0xCB: return 1 * 256 + second;
    case 0xED: return 2 * 256 + second;
    case 0xDD: return second == 0xCB ? 5 * 256 + bytes[3] : 3 * 256 + second;
    case 0xFD: return second == 0xCB ? 6 * 256 + bytes[3] : 4 * 256 + second;
    default: return bytes[0];
    }
}

} // namespace

TEST(DisassemblerForms, EveryLineDecodesToItsTextFlowAndForm)
{
    const auto lines = everyForm::readLines();
    const auto binary = everyForm::readBinary();
    ASSERT_GT(lines.size(), 1500u);
    const everyForm::BinaryReader read{&binary};

    uint16_t address = 0;
    int failures = 0;
    for (const auto& line : lines) {
        const Instruction instruction = disassemble(address, read);
        char at[8];
        std::snprintf(at, sizeof at, "$%04X", address);
        const std::string where = "line " + std::to_string(line.number) + " at " + at;
        EXPECT_EQ(instruction.text, line.text) << where << " (a wrong length shows here or just after)";
        EXPECT_EQ(instruction.flow, line.flow) << where << ": " << line.text;
        EXPECT_EQ(instruction.form, line.form) << where << ": " << line.text;
        switch (line.flow) {
        case Flow::jump:
        case Flow::conditionalJump:
        case Flow::call:
        case Flow::conditionalCall:
        case Flow::rst:
            EXPECT_EQ(instruction.target, lastAddressIn(line.text)) << where << ": " << line.text;
            break;
        default: EXPECT_FALSE(instruction.target) << where << ": " << line.text; break;
        }
        if (instruction.text != line.text && ++failures == 10)
            FAIL() << "stopping after 10 mismatches";
        address = instruction.nextAddress();
    }
    EXPECT_EQ(address, binary.size()) << "the last instruction does not end with the file";
}

TEST(DisassemblerForms, TheTableCoversEveryOpcodeOfEveryPage)
{
    const auto binary = everyForm::readBinary();
    const everyForm::BinaryReader read{&binary};
    std::set<int> seen;
    for (uint16_t address = 0; address < binary.size();) {
        const Instruction instruction = disassemble(address, read);
        seen.insert(pageAndOpcode(instruction, read(instruction.nextAddress())));
        address = instruction.nextAddress();
    }
    for (int page = 0; page < 7; ++page)
        for (int op = 0; op < 256; ++op) {
            // The prefixes lead to pages of their own (DD CB to the DD CB page).
            const bool prefix = (page == 0 && (op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD)) ||
                                ((page == 3 || page == 4) && op == 0xCB);
            EXPECT_EQ(seen.count(page * 256 + op), prefix ? 0u : 1u) << "page " << page << " opcode " << op;
        }
}

TEST(DisassemblerForms, TemplatesAgreeWithTheCoresTables)
{
    // An index form exactly where the core's DD/FD table charges something (HALT aside:
    // DD 76 runs the plain HALT but is charged 19), and the prefixes have none.
    for (int op = 0; op < 256; ++op) {
        const bool prefix = op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD;
        const bool charged = cyclesIndex[op] != 0 && op != 0x76;
        EXPECT_EQ(opcodeText::hasIndexForm(uint8_t(op)), charged && !prefix) << "opcode " << op;
        EXPECT_EQ(opcodeText::base[op].empty(), prefix) << "opcode " << op;
    }
    // The ED page: what the core charges, the block repeats (which charge per step) and
    // the tape trap.
    for (int op = 0; op < 256; ++op) {
        const bool blockRepeat = (op & 0xF4) == 0xB0;
        EXPECT_EQ(!opcodeText::ed[op].empty(), cyclesED[op] != 0 || blockRepeat || op == 0xFE) << "ED " << op;
    }
}
