// Choosing between the ROM image files and the built-in set at start-up: all three files
// run as they are, any missing file brings in the built-in set (said in a warning line for
// standard error), and a file that is there but unusable stops the start with a message
// naming it.
#include "machine_support.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "files/rom_files.h"
#include "machine/rom_set.h"
#include "roms/builtin_rom.h"

using namespace ollendor;

namespace {

class RomFallbackTest : public MachineTest {
protected:
    void writeAll()
    {
        writeFile(roms.path() / "osrom", countingBytes(romImageSize, 0x00));
        writeFile(roms.path() / "basicrom", countingBytes(romImageSize, 0x40));
        writeFile(roms.path() / "assemrom", countingBytes(romImageSize, 0x80));
    }
    // The start on the folder: its ROM set read and, when there is one to run, the machine
    // started on it; printed holds the warning lines, one per line, as they would be printed.
    RomSetResult init(const std::filesystem::path& folder)
    {
        RomSetResult result = loadRomSet(folder);
        printed.clear();
        for (const std::string& line : result.warnings)
            printed += line + "\n";
        if (result.ok)
            machineInit(m, result.roms);
        return result;
    }
    bool pageHolds(unsigned page, unsigned offset, const uint8_t* image)
    {
        return std::memcmp(&m.memory.page[page][offset], image, builtinRomSize) == 0;
    }
    bool runningBuiltinRom() const { return m.romBuiltin; }
    bool builtinSetLaidOut()
    {
        uint8_t patchedOs[builtinRomSize];
        std::memcpy(patchedOs, builtinOsRom, builtinRomSize);
        patchedOs[tapeTrapAddress] = 0xED;
        patchedOs[tapeTrapAddress + 1] = 0xFE;
        patchedOs[tapeTrapAddress + 2] = 0xC9;
        return pageHolds(0, 0, patchedOs) && pageHolds(0, 0x2000, builtinBasicRom) &&
               pageHolds(1, 0, builtinOsRom) && pageHolds(1, 0x2000, builtinAssemRom) &&
               pageHolds(7, 0, builtinOsRom) && m.memory.page[7][0x2000] == 0xFF;
    }
    static bool mentions(const std::string& text, const std::string& part)
    {
        return text.find(part) != std::string::npos;
    }
    // part between two quote characters
    static std::string quoted(const std::string& part, char quote = '"')
    {
        std::string text(1, quote);
        text += part;
        text += quote;
        return text;
    }

    ScratchFolder roms;
    std::string printed;
};

TEST_F(RomFallbackTest, AllThreeFilesRunAsTheyAre)
{
    writeAll();
    const RomSetResult result = init(roms.path());
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(printed, "");
    EXPECT_FALSE(runningBuiltinRom());
    EXPECT_FALSE(result.roms.builtin);
    EXPECT_EQ(m.romIdentity, romSetIdentity(result.roms));
    EXPECT_NE(m.romIdentity, builtinRomSet().identity);
    EXPECT_EQ(m.memory.page[0][0x0001], 0x01);
    EXPECT_EQ(m.memory.page[0][0x2001], 0x41);
    EXPECT_EQ(m.memory.page[1][0x2001], 0x81);
    EXPECT_EQ(m.memory.page[0][tapeTrapAddress], 0xED);
    EXPECT_EQ(m.cpu.cyclesPerHook, mtxCyclesPerHook);
}

TEST_F(RomFallbackTest, AMissingFileBringsInTheWholeBuiltinSet)
{
    writeAll();
    std::filesystem::remove(roms.path() / "basicrom");
    const RomSetResult result = init(roms.path());
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(runningBuiltinRom());
    EXPECT_EQ(m.romIdentity, builtinRomSet().identity);
    EXPECT_TRUE(builtinSetLaidOut()) << "the files found must not be mixed with the built-in set";
    EXPECT_TRUE(mentions(printed, "missing: basicrom)")) << printed;
    EXPECT_TRUE(mentions(printed, quoted(roms.path().string()))) << printed;
    EXPECT_TRUE(mentions(printed, "built-in ROM")) << printed;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_EQ(m.cpu.PC, 0);
    EXPECT_EQ(m.cpu.cyclesPerHook, mtxCyclesPerHook);
}

TEST_F(RomFallbackTest, EmptyOrAbsentFolderNamesEveryImage)
{
    ASSERT_TRUE(init(roms.path()).ok);
    EXPECT_TRUE(mentions(printed, "no MTX ROM images")) << printed;
    EXPECT_TRUE(mentions(printed, "missing: osrom, basicrom, assemrom")) << printed;
    EXPECT_TRUE(builtinSetLaidOut());

    machinePowerOn(m);
    ASSERT_TRUE(init(roms.path() / "nowhere").ok);
    EXPECT_TRUE(mentions(printed, roms.path().string() + "/nowhere\"")) << printed;
    EXPECT_TRUE(builtinSetLaidOut());

    // A relative folder is shown as the absolute one searched.
    machinePowerOn(m);
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(roms.path());
    const bool ok = init(".").ok;
    std::filesystem::current_path(before);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(mentions(printed, quoted(std::filesystem::canonical(roms.path()).string())))
        << printed;
}

TEST_F(RomFallbackTest, UnusableFilesAreErrorsNotFallbacks)
{
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> make;
        const char* reason;
    };
    const Case cases[] = {
        {"folder", [](const auto& p) { std::filesystem::create_directory(p); }, "is a folder"},
        {"empty file", [](const auto& p) { writeFile(p, {}); }, "is empty"},
        {"dangling link", [](const auto& p) { std::filesystem::create_symlink(p.string() + ".gone", p); },
         "cannot open"},
        // A device is no image: /dev/zero would pass for 8 KiB of zeros and more.
        {"device", [](const auto& p) { std::filesystem::create_symlink("/dev/zero", p); },
         "it is a character device, not a regular file"},
    };
    for (const Case& c : cases) {
        for (const char* name : {"osrom", "assemrom"}) {
            ScratchFolder folder;
            writeFile(folder.path() / "osrom", countingBytes(romImageSize));
            writeFile(folder.path() / "basicrom", countingBytes(romImageSize));
            writeFile(folder.path() / "assemrom", countingBytes(romImageSize));
            std::filesystem::remove(folder.path() / name);
            c.make(folder.path() / name);
            machinePowerOn(m);
            const RomSetResult result = init(folder.path());
            EXPECT_FALSE(result.ok) << c.what << " " << name;
            EXPECT_TRUE(mentions(result.error, c.reason)) << result.error;
            EXPECT_TRUE(mentions(result.error, quoted(name, '\''))) << result.error;
            EXPECT_TRUE(mentions(result.error, folder.path().string())) << result.error;
            EXPECT_FALSE(result.roms.builtin) << "an unusable file is no reason to fall back";
            EXPECT_EQ(printed, "") << "nor to warn about anything else";
            EXPECT_EQ(m.memory.page[0][tapeTrapAddress], 0) << "the start must stop at the ROM images";
        }
    }
}

TEST_F(RomFallbackTest, AnUnusableFileWinsOverAMissingOne)
{
    std::filesystem::create_directory(roms.path() / "osrom");
    const RomSetResult result = init(roms.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(mentions(result.error, "'osrom'")) << result.error;
    EXPECT_FALSE(result.roms.builtin);
    EXPECT_EQ(printed, "") << "the error alone: the missing files do not matter now";
    EXPECT_FALSE(runningBuiltinRom());
}

TEST_F(RomFallbackTest, UnreadableFileIsAnError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: file permissions do not keep root from reading";
    writeAll();
    std::filesystem::permissions(roms.path() / "basicrom", std::filesystem::perms::none);
    const RomSetResult result = init(roms.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(mentions(result.error, "cannot open the ROM image 'basicrom'")) << result.error;
    EXPECT_TRUE(mentions(result.error, "Permission denied")) << result.error;
}

} // namespace
