// Input the emulator does not control: tape folders that are not there or are not folders,
// tape images of awkward sizes, and machine code that is nothing but noise. The machine must
// keep running, report what the user can act on, and touch nothing outside its arrays (the
// sanitizer build of `make check` runs these too).
#include "machine_support.h"

#include <cstring>
#include <random>

#include "machine/tape.h"
#include "machine/timing.h"
#include "roms/builtin_rom.h"
#include "video/render.h"

using namespace ollendor;

namespace {

class BadInputTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        memoryPages.page[0][tapeLoadFlagAddress] = 1;
        memoryPages.page[0][tapeVerifyFlagAddress] = 0;
        std::memcpy(&memoryPages.page[0][tapeNameAddress], "GAME           ", 15);
    }
    void TearDown() override { setTapeFolder("tapes"); }

    void requestHeader()
    {
        z80.setHL(tapeHeaderAddress);
        z80.setDE(tapeHeaderLength);
        tapeTrap(z80);
    }
    std::string missingText(const std::filesystem::path& folder, const std::string& why)
    {
        return "The file " + (folder / "GAME     ").string() + " could not be opened. " + why;
    }

    ScratchFolder scratch;
};

TEST_F(BadInputTest, MissingTapeFolderIsReportedAndCanAppearLater)
{
    const std::filesystem::path tapes = scratch.path() / "no-such-folder";
    setTapeFolder(tapes);
    tapeBuffer[0] = 0x42;
    requestHeader();
    ASSERT_EQ(testHost.messages.size(), 1u);
    EXPECT_EQ(testHost.messages[0].caption, "File not found");
    EXPECT_EQ(testHost.messages[0].text, missingText(tapes, "The tape folder does not exist."));
    EXPECT_FALSE(tapeOpened);
    EXPECT_EQ(memoryPages.page[0][tapeHeaderAddress], 0x42); // the buffer, as for any block

    // The user makes the folder and puts the tape in: the next request finds it.
    std::filesystem::create_directories(tapes);
    writeFile(tapes / "GAME", countingBytes(18, 0x30));
    requestHeader();
    EXPECT_TRUE(tapeOpened);
    EXPECT_EQ(memoryPages.page[0][tapeHeaderAddress], 0x30);
    EXPECT_EQ(testHost.messages.size(), 1u);
}

TEST_F(BadInputTest, TapeFolderThatIsAFileHoldsNoTapes)
{
    const std::filesystem::path notAFolder = scratch.path() / "tapes";
    writeFile(notAFolder, countingBytes(100));
    setTapeFolder(notAFolder);
    requestHeader();
    EXPECT_FALSE(tapeOpened);
    ASSERT_EQ(testHost.messages.size(), 1u);
    EXPECT_EQ(testHost.messages[0].text, missingText(notAFolder, "The tape folder is not a folder."));
}

TEST_F(BadInputTest, EmptyTapeImageOpensAndHandsOutWhatTheBufferHolds)
{
    setTapeFolder(scratch.path());
    writeFile(scratch.path() / "GAME", {});
    tapeBuffer[0] = 0x17;
    requestHeader();
    EXPECT_TRUE(tapeOpened);
    EXPECT_TRUE(testHost.messages.empty());
    EXPECT_EQ(memoryPages.page[0][tapeHeaderAddress], 0x17);
}

TEST_F(BadInputTest, LongTapeFolderPathIsRefusedNotOverrun)
{
    // Longer than any path the trap builds: it must say the file cannot be opened, with the
    // message cut to fit, rather than write past a buffer.
    std::filesystem::path deep = scratch.path();
    while (deep.native().size() < 5000)
        deep /= std::string(200, 'd');
    setTapeFolder(deep);
    requestHeader();
    EXPECT_FALSE(tapeOpened);
    ASSERT_EQ(testHost.messages.size(), 1u);
    EXPECT_EQ(testHost.messages[0].text.rfind("The file ", 0), 0u);
}

// Noise as the whole memory, run for a few frames: the loop must come back through the hook
// each time the host says quit, whatever the noise holds (HALT with interrupts off, endless
// prefixes, interrupt modes, port writes that page ROM and RAM away, tape traps).
TEST_F(BadInputTest, NoiseForMachineCodeRunsAndQuits)
{
    setTapeFolder(scratch.path());
    constrainSpeed.store(0);
    testHost.onRender = [] { vdpRender(frameBuffer); };
    for (unsigned seed = 1; seed <= 8; ++seed) {
        machinePowerOn();
        std::mt19937 noise(seed);
        for (auto& page : memoryPages.page)
            for (uint8_t& byte : page)
                byte = uint8_t(noise());
        if (seed % 2)
            loadBuiltinRomImages(&memoryPages.page[0][0], sizeof memoryPages);
        patchTapeTrap();
        cpuReset(z80);
        z80.cyclesPerHook = mtxCyclesPerHook;
        const unsigned long before = testHost.renderCalls;
        testHost.quitAfterFrames = long(before + 3);
        machineRun();
        EXPECT_EQ(testHost.renderCalls, before + 3) << "seed " << seed;
    }
}

} // namespace
