// The disassembler's use beyond single forms: names in the text, addresses wrapping at
// 64 KiB, and finding the previous instruction when scrolling back.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "debug/builtin_symbols.h"
#include "debug/disassembler.h"
#include "debug/symbols.h"
#include "roms/builtin_rom.h"

using namespace ollendor;

namespace {

// 64 KiB of memory with some bytes placed.
struct Memory {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(0x10000, 0);

    void place(uint16_t address, std::initializer_list<uint8_t> code)
    {
        for (uint8_t byte : code)
            bytes[address++] = byte;
    }
    uint8_t operator()(uint16_t address) const { return bytes[address]; }
};

} // namespace

TEST(Disassembler, TargetsAndAddressesShowAsNamesButImmediatesStayNumbers)
{
    Symbols symbols;
    symbols.add("print_char", 0x1234);
    symbols.add("loop", 0x8000);
    symbols.add("counter", 0xC000);
    Memory memory;
    memory.place(0x8000, {0xCD, 0x34, 0x12}); // CALL print_char
    memory.place(0x8003, {0x20, 0xFB});       // JR NZ,loop
    memory.place(0x8005, {0x3A, 0x00, 0xC0}); // LD A,(counter)
    memory.place(0x8008, {0x21, 0x00, 0xC0}); // LD HL,$C000: a value, not named
    memory.place(0x800B, {0xFF});             // RST $38
    memory.place(0x800C, {0xDD, 0x22, 0x00, 0xC0}); // LD (counter),IX

    const struct {
        uint16_t address;
        const char* text;
    } cases[] = {
        {0x8000, "CALL print_char"}, {0x8003, "JR NZ,loop"}, {0x8005, "LD A,(counter)"},
        {0x8008, "LD HL,$C000"}, {0x800B, "RST $38"}, {0x800C, "LD (counter),IX"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(disassemble(c.address, memory, &symbols).text, c.text);
        EXPECT_NE(std::string(disassemble(c.address, memory).text).find('$'), std::string::npos)
            << "without symbols " << c.text << " shows numbers";
    }
    EXPECT_EQ(disassemble(0x8003, memory, &symbols).target, 0x8000);
}

TEST(Disassembler, ANameTooLongForTheTextFallsBackOnTheNumber)
{
    Symbols symbols;
    const std::string longName(60, 'x');
    symbols.add(longName, 0x4000);
    symbols.add(std::string(40, 'y'), 0x4001);
    Memory memory;
    memory.place(0, {0xDD, 0x22, 0x00, 0x40}); // LD ($4000),IX
    memory.place(4, {0xC3, 0x01, 0x40});       // JP yyy...
    EXPECT_STREQ(disassemble(0, memory, &symbols).text, "LD ($4000),IX");
    EXPECT_EQ(disassemble(4, memory, &symbols).text, "JP " + std::string(40, 'y'));
}

TEST(Disassembler, AddressesWrapAt64KiB)
{
    Memory memory;
    memory.place(0xFFFF, {0xC3});
    memory.place(0x0000, {0x34, 0x12}); // JP $1234 split over the top
    const Instruction jump = disassemble(0xFFFF, memory);
    EXPECT_STREQ(jump.text, "JP $1234");
    EXPECT_EQ(jump.length, 3);
    EXPECT_EQ(jump.nextAddress(), 0x0002);
    EXPECT_EQ(jump.bytes[1], 0x34);

    memory.place(0xFFFC, {0x18, 0x05}); // JR forward past the top
    EXPECT_EQ(disassemble(0xFFFC, memory).target, 0x0003);
    memory.place(0x0002, {0x10, 0xFA}); // DJNZ back below 0
    EXPECT_STREQ(disassemble(0x0002, memory).text, "DJNZ $FFFE");
}

TEST(Disassembler, ScrollingBackFindsEachInstructionOfTheRomCode)
{
    // The built-in OS image's code, decoded forward from its reset entry, and the guess of
    // each instruction's start from the one after it.
    auto rom = [](uint16_t address) -> uint8_t {
        return address < builtinRomSize ? builtinOsRom[address] : 0xFF;
    };
    const auto codeEnd = builtinRomSymbols("osrom").addressOf("fontData");
    ASSERT_TRUE(codeEnd);
    int checked = 0;
    for (uint16_t at = disassemble(0, rom).nextAddress(), previous = 0; at < *codeEnd;
         previous = at, at = disassemble(at, rom).nextAddress()) {
        ASSERT_EQ(previousInstructionStart(at, rom), previous) << "before $" << std::hex << at;
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

TEST(Disassembler, ScrollingBackOverAmbiguousBytesStaysInTheWindow)
{
    // Prefix runs and operands that look like opcodes: the guess is 1 to 4 bytes back, and
    // where the code is in step it is the instruction's start.
    Memory memory;
    memory.place(0x100, {0xDD, 0xDD, 0xDD, 0xFD, 0x21, 0x34, 0x12, 0x3E, 0xDD, 0xDD, 0x36, 0x05, 0x01});
    for (uint16_t at = 0x101; at <= 0x10D; ++at) {
        const uint16_t start = previousInstructionStart(at, memory);
        EXPECT_GE(at - start, 1) << at;
        EXPECT_LE(at - start, 4) << at;
    }
    EXPECT_EQ(previousInstructionStart(0x107, memory), 0x103); // LD IY,$1234 after three lone DDs
    EXPECT_EQ(previousInstructionStart(0x10D, memory), 0x109); // LD (IX+$05),$01
    EXPECT_EQ(previousInstructionStart(0x0000, memory), 0xFFFF); // zeros below 0: a NOP
}
