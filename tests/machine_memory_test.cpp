// Paged memory, the ROM images' layout, the tape trap patch.
#include "machine_support.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "machine/memory.h"
#include "files/rom_files.h"
#include "machine/rom_set.h"

using namespace ollendor;

namespace {

class MemoryTest : public MachineTest {
protected:
    // Three distinct 8 KiB images: osrom counts from 0x00, basicrom from 0x40, assemrom
    // from 0x80, so every slot's origin can be told apart.
    void writeRoms(const std::filesystem::path& folder)
    {
        writeFile(folder / "osrom", countingBytes(romImageSize, 0x00));
        writeFile(folder / "basicrom", countingBytes(romImageSize, 0x40));
        writeFile(folder / "assemrom", countingBytes(romImageSize, 0x80));
    }
    // Reads the folder's set and lays it out in the pages as the machine's start does;
    // gives the warnings the loader has for standard error.
    std::vector<std::string> layOut(const std::filesystem::path& folder)
    {
        const RomSetResult result = loadRomSet(folder);
        EXPECT_TRUE(result.ok) << result.error;
        EXPECT_FALSE(result.roms.builtin) << "every file is there: no stand-in";
        layOutRomImages(m.memory, result.roms);
        patchTapeTrap(m.memory);
        return result.warnings;
    }
    void loadRoms()
    {
        writeRoms(roms.path());
        EXPECT_TRUE(layOut(roms.path()).empty());
    }
    void setPages(uint8_t value) { ollendor::setPages(m.memory, value); }
    uint8_t memRead(uint16_t address) { return ollendor::memRead(m.memory, address); }
    void memWrite(uint16_t address, uint8_t value) { ollendor::memWrite(m.memory, address, value); }

    ScratchFolder roms;
};

TEST_F(MemoryTest, CommonRamIgnoresTheRamPage)
{
    setPages(0x03);
    memWrite(0xC123, 0x5A);
    EXPECT_EQ(memRead(0xC123), 0x5A);
    setPages(0x00);
    EXPECT_EQ(memRead(0xC123), 0x5A);
    EXPECT_EQ(m.memory.page[0][0xC123], 0x5A);
    EXPECT_EQ(m.memory.page[3][0xC123], 0x00);
}

TEST_F(MemoryTest, PagedRamFollowsTheRamPage)
{
    setPages(0x03);
    memWrite(0x8123, 0xA7);
    memWrite(0x4000, 0x11);
    memWrite(0xBFFF, 0x22);
    EXPECT_EQ(m.memory.page[3][0x8123], 0xA7);
    EXPECT_EQ(m.memory.page[3][0x4000], 0x11);
    EXPECT_EQ(m.memory.page[3][0xBFFF], 0x22);
    setPages(0x00);
    EXPECT_EQ(memRead(0x8123), 0x00);
    setPages(0x0F);
    memWrite(0x8123, 0x3C);
    EXPECT_EQ(m.memory.page[15][0x8123], 0x3C);
    setPages(0x03);
    EXPECT_EQ(memRead(0x8123), 0xA7);
}

TEST_F(MemoryTest, RomWritesAreDropped)
{
    loadRoms();
    const auto before = std::make_unique<MemoryPages>(m.memory);
    for (uint16_t address : {0x0000, 0x0AAE, 0x2000, 0x3FFF})
        memWrite(address, uint8_t(~memRead(address)));
    EXPECT_EQ(std::memcmp(before.get(), &m.memory, sizeof m.memory), 0);
    EXPECT_EQ(memRead(0x3FFF), uint8_t(0x40 + 0x1FFF));
}

TEST_F(MemoryTest, PortZeroSelectsPages)
{
    setPages(0xF3);
    EXPECT_EQ(m.memory.ramPage, 3);
    EXPECT_EQ(m.memory.romPage, 7);
    setPages(0x8A);
    EXPECT_EQ(m.memory.ramPage, 10);
    EXPECT_EQ(m.memory.romPage, 0);
}

TEST_F(MemoryTest, RomSlotsAfterLoading)
{
    loadRoms();
    // Page 0: OS with the trap, then BASIC.
    EXPECT_EQ(memRead(0x0000), 0x00);
    EXPECT_EQ(memRead(0x0AAE), 0xED);
    EXPECT_EQ(memRead(0x0AAF), 0xFE);
    EXPECT_EQ(memRead(0x0AB0), 0xC9);
    EXPECT_EQ(memRead(0x2000), 0x40);
    // Page 1: the OS's own bytes at the trap, the assembler at 0x2000.
    setPages(0x10);
    EXPECT_EQ(memRead(0x0AAE), uint8_t(0x0AAE));
    EXPECT_EQ(memRead(0x2000), 0x80);
    // Pages 2-7: the OS, then 0xFF.
    for (uint8_t rom = 2; rom <= 7; ++rom) {
        setPages(uint8_t(rom << 4));
        EXPECT_EQ(memRead(0x1234), uint8_t(0x1234)) << "ROM page " << int(rom);
        EXPECT_EQ(memRead(0x0AAE), uint8_t(0x0AAE)) << "ROM page " << int(rom);
        for (unsigned a = 0x2000; a <= 0x3FFF; ++a)
            ASSERT_EQ(memRead(uint16_t(a)), 0xFF) << "ROM page " << int(rom) << " at " << a;
    }
    // Pages 8-15 are never ROM and stay zero, RAM included.
    EXPECT_EQ(m.memory.page[8][0x1234], 0);
    EXPECT_EQ(m.memory.page[1][0x4000], 0);
}

// A short image is used (its slot is zero past its end, even over bytes left there
// before), and said in one warning line with the file and its size, as a long one is.
TEST_F(MemoryTest, ShortImageWarnsAndLeavesTheRestOfItsSlotZero)
{
    struct Case {
        const char* name;
        size_t size;
        unsigned page, offset;
        const char* said;
    };
    const Case cases[] = {
        {"osrom", 1, 0, 0x0000, "is shorter than 8 KiB: 1 byte of 8192"},
        {"basicrom", 100, 0, 0x2000, "is shorter than 8 KiB: 100 bytes of 8192"},
        {"assemrom", romImageSize - 1, 1, 0x2000, "is shorter than 8 KiB: 8191 bytes of 8192"},
    };
    for (const Case& c : cases) {
        machinePowerOn(m);
        std::memset(&m.memory.page[c.page][c.offset], 0xEE, romImageSize); // stale bytes
        writeRoms(roms.path());
        writeFile(roms.path() / c.name, filledBytes(c.size, 0x77));
        const std::vector<std::string> warnings = layOut(roms.path());
        ASSERT_EQ(warnings.size(), 1u) << c.name;
        const std::string& warning = warnings[0];
        std::string said = "'"; // built with += (GCC 12 warns wrongly on a chain of +)
        said += (roms.path() / c.name).string();
        said += "' ";
        said += c.said;
        EXPECT_NE(warning.find(said), std::string::npos) << warning;
        EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 0) << "one line: " << warning;
        const uint8_t* slot = &m.memory.page[c.page][c.offset];
        EXPECT_EQ(slot[c.size - 1], 0x77) << c.name;
        EXPECT_EQ(slot[c.size], 0x00) << c.name;
        EXPECT_EQ(slot[romImageSize - 1], 0x00) << c.name;
    }
    // A whole image says nothing.
    writeRoms(roms.path());
    EXPECT_TRUE(layOut(roms.path()).empty());
}

TEST_F(MemoryTest, LongImageStopsAtTheEndOfItsPage)
{
    writeRoms(roms.path());
    // 0x2000 bytes of slot plus 0xC000 of RAM fill the page; 100 more would reach page 2.
    writeFile(roms.path() / "assemrom", filledBytes(0xE000 + 100, 0x99));
    const std::vector<std::string> warnings = layOut(roms.path());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("assemrom"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("longer than 8 KiB"), std::string::npos) << warnings[0];
    EXPECT_EQ(m.memory.page[1][0xFFFF], 0x99);
    EXPECT_EQ(m.memory.page[2][0x0000], 0x00); // the OS copy, not the file
    EXPECT_EQ(m.memory.page[2][0x2000], 0xFF);
}

TEST_F(MemoryTest, SlightlyLongImageWarnsAndRunsOnIntoRam)
{
    writeRoms(roms.path());
    writeFile(roms.path() / "basicrom", filledBytes(romImageSize + 16, 0x55));
    const std::vector<std::string> warnings = layOut(roms.path());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("basicrom"), std::string::npos) << warnings[0];
    EXPECT_EQ(m.memory.page[0][0x4000 + 15], 0x55);
    EXPECT_EQ(m.memory.page[0][0x4000 + 16], 0x00);
}

} // namespace
