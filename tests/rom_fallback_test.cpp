// Choosing between the ROM image files and the built-in set at start-up: all three files
// run as they are, any missing file brings in the built-in set (said on stderr), and a file
// that is there but unusable stops the start with a message naming it.
#include "machine_support.h"

#include <algorithm>
#include <cstring>
#include <functional>

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
    // machineInit on the folder, with what it printed on stderr.
    RomLoadResult init(const std::filesystem::path& folder)
    {
        testing::internal::CaptureStderr();
        RomLoadResult result = machineInit(folder);
        printed = testing::internal::GetCapturedStderr();
        return result;
    }
    bool pageHolds(unsigned page, unsigned offset, const uint8_t* image)
    {
        return std::memcmp(&memoryPages.page[page][offset], image, builtinRomSize) == 0;
    }
    bool builtinSetLaidOut()
    {
        uint8_t patchedOs[builtinRomSize];
        std::memcpy(patchedOs, builtinOsRom, builtinRomSize);
        patchedOs[tapeTrapAddress] = 0xED;
        patchedOs[tapeTrapAddress + 1] = 0xFE;
        patchedOs[tapeTrapAddress + 2] = 0xC9;
        return pageHolds(0, 0, patchedOs) && pageHolds(0, 0x2000, builtinBasicRom) &&
               pageHolds(1, 0, builtinOsRom) && pageHolds(1, 0x2000, builtinAssemRom) &&
               pageHolds(7, 0, builtinOsRom) && memoryPages.page[7][0x2000] == 0xFF;
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
    const RomLoadResult result = init(roms.path());
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(printed, "");
    EXPECT_FALSE(runningBuiltinRom());
    EXPECT_EQ(memoryPages.page[0][0x0001], 0x01);
    EXPECT_EQ(memoryPages.page[0][0x2001], 0x41);
    EXPECT_EQ(memoryPages.page[1][0x2001], 0x81);
    EXPECT_EQ(memoryPages.page[0][tapeTrapAddress], 0xED);
    EXPECT_EQ(z80.cyclesPerHook, mtxCyclesPerHook);
}

TEST_F(RomFallbackTest, AMissingFileBringsInTheWholeBuiltinSet)
{
    writeAll();
    std::filesystem::remove(roms.path() / "basicrom");
    const RomLoadResult result = init(roms.path());
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_TRUE(runningBuiltinRom());
    EXPECT_TRUE(builtinSetLaidOut()) << "the files found must not be mixed with the built-in set";
    EXPECT_TRUE(mentions(printed, "missing: basicrom)")) << printed;
    EXPECT_TRUE(mentions(printed, quoted(roms.path().string()))) << printed;
    EXPECT_TRUE(mentions(printed, "built-in ROM")) << printed;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_EQ(z80.PC, 0);
    EXPECT_EQ(z80.cyclesPerHook, mtxCyclesPerHook);
}

TEST_F(RomFallbackTest, EmptyOrAbsentFolderNamesEveryImage)
{
    ASSERT_TRUE(init(roms.path()).ok);
    EXPECT_TRUE(mentions(printed, "no MTX ROM images")) << printed;
    EXPECT_TRUE(mentions(printed, "missing: osrom, basicrom, assemrom")) << printed;
    EXPECT_TRUE(builtinSetLaidOut());

    machinePowerOn();
    ASSERT_TRUE(init(roms.path() / "nowhere").ok);
    EXPECT_TRUE(mentions(printed, roms.path().string() + "/nowhere\"")) << printed;
    EXPECT_TRUE(builtinSetLaidOut());

    // A relative folder is shown as the absolute one searched.
    machinePowerOn();
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
            machinePowerOn();
            const RomLoadResult result = init(folder.path());
            EXPECT_FALSE(result.ok) << c.what << " " << name;
            EXPECT_TRUE(mentions(result.message, c.reason)) << result.message;
            EXPECT_TRUE(mentions(result.message, quoted(name, '\''))) << result.message;
            EXPECT_TRUE(mentions(result.message, folder.path().string())) << result.message;
            EXPECT_FALSE(runningBuiltinRom());
            EXPECT_EQ(z80.cyclesPerHook, 0) << "the start must stop at the ROM images";
        }
    }
}

TEST_F(RomFallbackTest, AnUnusableFileWinsOverAMissingOne)
{
    std::filesystem::create_directory(roms.path() / "osrom");
    const RomLoadResult result = init(roms.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(mentions(result.message, "'osrom'")) << result.message;
    EXPECT_FALSE(runningBuiltinRom());
}

TEST_F(RomFallbackTest, UnreadableFileIsAnError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: file permissions do not keep root from reading";
    writeAll();
    std::filesystem::permissions(roms.path() / "basicrom", std::filesystem::perms::none);
    const RomLoadResult result = init(roms.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(mentions(result.message, "cannot open the ROM image 'basicrom'")) << result.message;
    EXPECT_TRUE(mentions(result.message, "Permission denied")) << result.message;
}

} // namespace
