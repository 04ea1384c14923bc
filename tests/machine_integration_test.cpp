// The whole machine around the Z80: small programs run as the OS ROM through machineInit
// and machineRun, with the scripted host standing in for the window.
#include "machine_support.h"

#include <cstring>
#include <iterator>

#include "machine/ctc.h"
#include "machine/tape.h"
#include "machine/timing.h"

using namespace ollendor;

namespace {

std::vector<uint8_t> readProgram(const std::string& name)
{
    const std::filesystem::path path = std::filesystem::path(OLLENDOR_TEST_ASM_DIR) / (name + ".bin");
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing test program " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class MachineRunTest : public MachineTest {
protected:
    // Puts the program in place as osrom, with filler BASIC and assembler images, starts
    // the machine on them and lets it run without pacing.
    void start(const std::string& program)
    {
        writeFile(roms.path() / "osrom", readProgram(program));
        writeFile(roms.path() / "basicrom", filledBytes(romImageSize, 0xB0));
        writeFile(roms.path() / "assemrom", filledBytes(romImageSize, 0xA0));
        const RomLoadResult loaded = machineInit(roms.path());
        ASSERT_TRUE(loaded.ok) << loaded.message;
        constrainSpeed = 0;
    }
    uint16_t word(uint16_t address)
    {
        return uint16_t(memoryPages.page[0][address] | memoryPages.page[0][address + 1] << 8);
    }

    ScratchFolder roms;
};

TEST_F(MachineRunTest, StartUpState)
{
    start("ports");
    EXPECT_EQ(z80.PC, 0x0000);
    EXPECT_EQ(z80.SP, 0xF000);
    EXPECT_EQ(z80.cyclesLeft, 0);         // the first hook follows the first instruction
    EXPECT_EQ(z80.cyclesPerHook, 2048);
    EXPECT_EQ(z80.intState, 0);
    EXPECT_EQ(memRead(tapeTrapAddress), 0xED);
}

// ctc_interrupts.asm: channel 1 runs out every 4096 cycles, that is on every second hook
// call. The hook counts, starting with call 1:
// - call 1 comes right after the first instruction (DI), because cyclesLeft starts at 0;
//   the channel is not running yet.
// - the set-up takes far less than 2048 cycles and ends in HALT, which ends the slice:
//   call 2 finds the channel loaded with 4096 and leaves it at 2048.
// - call 3 runs it out: code 0x40 | 1 * 2 = 0x42, taken through the word at 0x0142.
//   From then on every odd call interrupts; the handler is short, so each one returns
//   to HALT long before the next.
// - frames: every 65th call pumps and renders. With quitAfterFrames = 10 the pumps at calls
//   65, 130, ..., 650 say go on and render frames 1-10; the pump at call 715 says quit.
//   Call 715 ticked the channel (an odd call) but returns quit, so that code is not taken.
// Interrupts taken: the odd calls 3, 5, ..., 713, which is (713 - 3) / 2 + 1 = 356.
TEST_F(MachineRunTest, CounterTimerInterruptsInModeTwo)
{
    start("ctc_interrupts");
    testHost.quitAfterFrames = 10;
    const uint16_t stoppedAt = machineRun();
    EXPECT_EQ(testHost.renderCalls, 10u);
    EXPECT_EQ(testHost.pumpCalls, 11u);
    EXPECT_EQ(word(0xC000), 356);
    EXPECT_EQ(memoryPages.page[0][0xC002], 0) << "a wrong vector slot was used";
    EXPECT_EQ(memRead(stoppedAt), 0x76) << "should stop on the HALT";
    EXPECT_EQ(testHost.sleepCalls, 0u);
}

TEST_F(MachineRunTest, PortsThroughInAndOut)
{
    start("ports");
    testHost.press(0x20);                 // Space: row 7, column 8
    testHost.quitAfterFrames = 1;
    machineRun();
    EXPECT_EQ(memoryPages.page[0][0xC203], 0xA5) << "the program did not finish";
    EXPECT_EQ(memoryPages.page[0][0xC200], 0xFF);
    EXPECT_EQ(memoryPages.page[0][0xC201], 0xFE);
    EXPECT_EQ(memoryPages.page[0][0xC202], 0xFF);
    EXPECT_EQ(ramPage, 3);
    EXPECT_EQ(romPage, 7);
    EXPECT_EQ(memoryPages.page[3][0x8000], 0x5A);
    EXPECT_EQ(memoryPages.page[7][0x0100], memoryPages.page[0][0x0100]); // ROM untouched
}

TEST_F(MachineRunTest, MissingTapeLeavesTheMachineRunning)
{
    ScratchFolder tapes;
    setTapeFolder(tapes.path());
    start("tape_load");
    testHost.quitAfterFrames = 2;
    machineRun();
    setTapeFolder("tapes");
    ASSERT_EQ(testHost.messages.size(), 1u);
    EXPECT_EQ(testHost.messages[0].caption, "File not found");
    EXPECT_FALSE(tapeOpened);
    EXPECT_EQ(memoryPages.page[0][0xC100], 0x77) << "did not come back from the tape routine";
    EXPECT_GT(word(0xC102), 1000) << "stopped running after the tape routine";
    EXPECT_EQ(testHost.renderCalls, 2u);
}

TEST_F(MachineRunTest, TapeHeaderLoadsThroughTheTrap)
{
    ScratchFolder tapes;
    const auto image = countingBytes(18, 0x31);
    writeFile(tapes.path() / "NOSUCH   ", image);
    setTapeFolder(tapes.path());
    start("tape_load");
    testHost.quitAfterFrames = 1;
    machineRun();
    setTapeFolder("tapes");
    EXPECT_TRUE(testHost.messages.empty());
    EXPECT_TRUE(tapeOpened);
    EXPECT_EQ(std::memcmp(&memoryPages.page[0][0xC011], image.data(), 18), 0);
    EXPECT_EQ(memoryPages.page[0][0xC100], 0x77);
}

} // namespace
