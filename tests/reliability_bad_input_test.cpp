// Input the emulator does not control: tape folders that are not there or are not folders,
// tape images of awkward sizes, and machine code that is nothing but noise. The machine must
// keep running, report what the user can act on, and touch nothing outside its arrays (the
// sanitizer build of `make check` runs these too).
#include "machine_support.h"

#include <cstring>
#include <random>

#include "machine/rom_set.h"
#include "machine/tape.h"
#include "files/tape_files.h"
#include "tests/support/session_driver.h"
#include "tests/support/tape_rig.h"

using namespace ollendor;

namespace {

constexpr char gameName[tapeNameLength] = {'G', 'A', 'M', 'E', ' ', ' ', ' ', ' ', ' '};

std::string missingText(const std::filesystem::path& folder, const std::string& why)
{
    return "The file " + (folder / "GAME     ").string() + " could not be opened. " + why;
}

TEST(BadInput, MissingTapeFolderIsReportedAndCanAppearLater)
{
    ScratchFolder scratch;
    const std::filesystem::path tapes = scratch.path() / "no-such-folder";
    TapeRig rig(tapes);
    rig.setName("GAME");
    rig.machine().tape.buffer[0] = 0x42;
    rig.requestHeader();
    ASSERT_EQ(rig.messages().size(), 1u);
    EXPECT_EQ(rig.messages()[0].caption, "File not found");
    EXPECT_EQ(rig.messages()[0].text, missingText(tapes, "The tape folder does not exist."));
    EXPECT_FALSE(rig.machine().tape.opened);
    EXPECT_EQ(rig.common()[tapeHeaderAddress], 0x42); // the buffer, as for any block

    // The user makes the folder and puts the tape in: the next request finds it.
    std::filesystem::create_directories(tapes);
    writeFile(tapes / "GAME", countingBytes(18, 0x30));
    rig.requestHeader();
    EXPECT_TRUE(rig.machine().tape.opened);
    EXPECT_EQ(rig.common()[tapeHeaderAddress], 0x30);
    EXPECT_EQ(rig.messages().size(), 1u);
}

TEST(BadInput, TapeFolderThatIsAFileHoldsNoTapes)
{
    ScratchFolder scratch;
    const std::filesystem::path notAFolder = scratch.path() / "tapes";
    writeFile(notAFolder, countingBytes(100));
    const TapeLookup lookup = findTapeImage(notAFolder, gameName);
    EXPECT_FALSE(lookup.found);
    EXPECT_EQ(lookup.message, missingText(notAFolder, "The tape folder is not a folder."));
}

TEST(BadInput, EmptyTapeImageOpensAndHandsOutWhatTheBufferHolds)
{
    ScratchFolder scratch;
    writeFile(scratch.path() / "GAME", {});
    TapeRig rig(scratch.path());
    rig.setName("GAME");
    rig.machine().tape.buffer[0] = 0x17;
    rig.requestHeader();
    EXPECT_TRUE(rig.machine().tape.opened);
    EXPECT_TRUE(rig.messages().empty());
    EXPECT_EQ(rig.common()[tapeHeaderAddress], 0x17);
}

TEST(BadInput, LongTapeFolderPathIsRefusedNotOverrun)
{
    // Longer than any path the lookup builds: it must say the file cannot be opened, with
    // the message cut to fit, rather than write past a buffer.
    ScratchFolder scratch;
    std::filesystem::path deep = scratch.path();
    while (deep.native().size() < 5000)
        deep /= std::string(200, 'd');
    const TapeLookup lookup = findTapeImage(deep, gameName);
    EXPECT_FALSE(lookup.found);
    EXPECT_EQ(lookup.message.rfind("The file ", 0), 0u) << lookup.message;
}

// Noise as the whole memory, run for a few frames: each frame run must come back at its
// frame, whatever the noise holds (HALT with interrupts off, endless prefixes, interrupt
// modes, port writes that page ROM and RAM away, tape traps, unsupported video modes).
TEST(BadInput, NoiseForMachineCodeRunsFrameByFrame)
{
    ScratchFolder scratch;
    const RomSet builtin = builtinRomSet();
    SessionDriver driver(builtin);
    driver.session.setTapeFolder(scratch.path());
    Mtx& m = driver.machine();
    for (unsigned seed = 1; seed <= 8; ++seed) {
        machinePowerOn(m);
        std::mt19937 noise(seed);
        for (auto& page : m.memory.page)
            for (uint8_t& byte : page)
                byte = uint8_t(noise());
        if (seed % 2)
            layOutRomImages(m.memory, builtin);
        patchTapeTrap(m.memory);
        m.cpu.reportUnknown = seed % 4 == 1;
        driver.run(3);
        EXPECT_EQ(driver.session.frames(), 3u) << "seed " << seed;
        EXPECT_FALSE(m.tape.requestPending) << "seed " << seed;
    }
}

// Code made only of instructions that cost nothing and are reported (FD ED always is)
// stops the run at every one of them for its line. The slice must still end after the
// limit of such instructions, as it does when nothing is reported, or the frame would
// never come and the program would hang, printing for ever.
TEST(BadInput, ReportedInstructionsThatCostNothingStillReachTheFrame)
{
    auto machine = std::make_unique<Mtx>();
    Mtx& m = *machine;
    machinePowerOn(m);
    for (auto& page : m.memory.page)
        for (unsigned i = 0; i < pageSize; ++i)
            page[i] = i % 2 ? 0xED : 0xFD;
    // At most one run per instruction: 4096 of them end a slice, 65 slices a frame.
    const uint64_t enough = 2 * uint64_t(hooksPerFrame) * 4096;
    uint64_t runs = 0, lines = 0;
    while (m.timing.frames == 0 && runs < enough) {
        machineRun(m);
        ++runs;
        const MachineEvents events = takeEvents(m);
        if (events.has(MachineEvent::diagnostic)) {
            ++lines;
            ASSERT_EQ(std::string(events.diagnosticLine).rfind("Unrecognized instruction: FD ED at PC=", 0), 0u)
                << events.diagnosticLine;
        }
    }
    ASSERT_EQ(m.timing.frames, 1u) << "no frame after " << runs << " runs";
    EXPECT_GT(lines, 64u * 4096u) << "every one of them is reported";
}

} // namespace
