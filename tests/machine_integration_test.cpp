// The whole machine around the Z80: small programs run as the OS ROM through machineInit
// and machineRun, the tape programs through a session with a recording host.
#include "machine_support.h"

#include <cstring>

#include "control/control.h"
#include "control/session.h"
#include "machine/ctc.h"
#include "machine/rom_set.h"
#include "machine/tape.h"
#include "state/rewind.h"
#include "tests/support/machine_digest.h"
#include "tests/support/session_driver.h"

using namespace ollendor;

namespace {

std::vector<uint8_t> readProgram(const std::string& name)
{
    const std::filesystem::path path = std::filesystem::path(OLLENDOR_TEST_ASM_DIR) / (name + ".bin");
    EXPECT_TRUE(std::filesystem::exists(path)) << "missing test program " << path;
    return readFile(path);
}

// The program as osrom, with filler BASIC and assembler images.
RomSet programRoms(const std::string& program)
{
    RomSet roms;
    roms.os = readProgram(program);
    roms.basic = filledBytes(romImageSize, 0xB0);
    roms.assem = filledBytes(romImageSize, 0xA0);
    roms.identity = romSetIdentity(roms);
    return roms;
}

class MachineRunTest : public MachineTest {
protected:
    void start(const std::string& program) { machineInit(m, programRoms(program)); }
    // Runs one frame: the run returns at its end with nothing else raised.
    void runFrame()
    {
        const uint64_t frame = m.timing.frames;
        machineRun(m);
        const MachineEvents events = takeEvents(m);
        EXPECT_EQ(events.raised, uint8_t(MachineEvent::frameDone));
        EXPECT_EQ(m.timing.frames, frame + 1);
    }
    uint16_t word(uint16_t address) const
    {
        return uint16_t(m.memory.page[0][address] | m.memory.page[0][address + 1] << 8);
    }
};

uint16_t commonWord(const Mtx& m, uint16_t address)
{
    return uint16_t(m.memory.page[0][address] | m.memory.page[0][address + 1] << 8);
}

TEST_F(MachineRunTest, StartUpState)
{
    start("ports");
    EXPECT_EQ(m.cpu.PC, 0x0000);
    EXPECT_EQ(m.cpu.SP, 0xF000);
    EXPECT_EQ(m.cpu.cyclesLeft, 0);         // the first hook follows the first instruction
    EXPECT_EQ(m.cpu.cyclesPerHook, 2048);
    EXPECT_EQ(m.cpu.intState, 0);
    EXPECT_EQ(memRead(m.memory, tapeTrapAddress), 0xED);
    EXPECT_EQ(m.romIdentity, programRoms("ports").identity);
    EXPECT_FALSE(m.romBuiltin);
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
// - frames: every 65th call renders one and ends the run. Ten runs end at calls 65, 130,
//   ..., 650; call 650 is even, so they took the interrupts of the odd calls 3-649:
//   (649 - 3) / 2 + 1 = 324.
// - then the eleventh frame is stepped through up to its last slice, to call 714: 32 more,
//   at the odd calls 651-713, which makes 356. (Call 715, which would end that frame,
//   would take the 357th: an interrupt that falls due with a frame is taken all the same.)
TEST_F(MachineRunTest, CounterTimerInterruptsInModeTwo)
{
    start("ctc_interrupts");
    for (unsigned frame = 1; frame <= 10; ++frame)
        runFrame();
    EXPECT_EQ(m.timing.hookCalls, 650u);
    EXPECT_EQ(word(0xC000), 324);
    while (m.timing.hookCalls < 714) {
        machineStep(m);
        ASSERT_EQ(takeEvents(m).raised, 0) << "nothing to raise in mid-frame";
    }
    EXPECT_EQ(m.timing.frames, 10u);
    EXPECT_EQ(word(0xC000), 356);
    EXPECT_EQ(m.memory.page[0][0xC002], 0) << "a wrong vector slot was used";
    EXPECT_EQ(memRead(m.memory, m.cpu.PC), 0x76) << "should stop on the HALT";
}

TEST_F(MachineRunTest, PortsThroughInAndOut)
{
    start("ports");
    keys.press(0x20);                 // Space: row 7, column 8
    holdKeys();
    runFrame();
    EXPECT_EQ(m.memory.page[0][0xC203], 0xA5) << "the program did not finish";
    EXPECT_EQ(m.memory.page[0][0xC200], 0xFF);
    EXPECT_EQ(m.memory.page[0][0xC201], 0xFE);
    EXPECT_EQ(m.memory.page[0][0xC202], 0xFF);
    EXPECT_EQ(m.memory.ramPage, 3);
    EXPECT_EQ(m.memory.romPage, 7);
    EXPECT_EQ(m.memory.page[3][0x8000], 0x5A);
    EXPECT_EQ(m.memory.page[7][0x0100], m.memory.page[0][0x0100]); // ROM untouched
}

// tape_load.asm asks for the header of "NOSUCH" through the OS's tape routine at 0x0AAE.
TEST(MachineTapeRun, MissingTapeLeavesTheMachineRunning)
{
    ScratchFolder tapes;
    SessionDriver driver(programRoms("tape_load"));
    driver.session.setTapeFolder(tapes.path());
    driver.run(2);
    const Mtx& m = driver.machine();
    ASSERT_EQ(driver.host.messages.size(), 1u);
    EXPECT_EQ(driver.host.messages[0].caption, "File not found");
    EXPECT_FALSE(m.tape.opened);
    EXPECT_EQ(m.memory.page[0][0xC100], 0x77) << "did not come back from the tape routine";
    EXPECT_GT(commonWord(m, 0xC102), 1000) << "stopped running after the tape routine";
    EXPECT_EQ(driver.host.framesElapsed, 2u);
}

// A host whose box waits for the user, as the window's does.
class BoxHost : public RecordingHost {
public:
    explicit BoxHost(const Mtx& machine) : machine(machine) {}
    void showMessage(const char* caption, const char* text) override
    {
        RecordingHost::showMessage(caption, text);
        open = true;
        shownAt = machinePosition(machine);
    }
    bool holdsMachine() override { return open; }

    const Mtx& machine;
    bool open = false;         // the box is up
    MachinePosition shownAt{}; // where the machine was when it came up
};

// The run stops right at the tape request that met a missing file, unpaused, for as long
// as the box is open; closed, the frame goes on from there, to the very machine of a run
// whose box held nothing up.
TEST(MachineTapeRun, AnOpenBoxHoldsTheRunAtTheMissingTapeUntilItCloses)
{
    ScratchFolder tapes;
    SessionDriver reference(programRoms("tape_load"));
    reference.session.setTapeFolder(tapes.path());
    reference.run(3);
    ASSERT_EQ(reference.host.messages.size(), 1u);

    Session session(programRoms("tape_load"));
    session.setTapeFolder(tapes.path());
    BoxHost host(session.machine());
    session.setHost(host);
    RewindBuffer rewind(8);
    Control control(session, rewind);
    EXPECT_FALSE(control.runFrame());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, "File not found");
    EXPECT_TRUE(session.heldByHost());
    EXPECT_FALSE(control.paused()) << "a box is no stop of the debugger's";
    EXPECT_EQ(machinePosition(session.machine()), host.shownAt) << "the machine went on past the box";
    EXPECT_EQ(session.frames(), 0u);

    host.open = false;
    for (int frame = 1; frame <= 3; ++frame)
        EXPECT_TRUE(control.runFrame()) << frame;
    EXPECT_FALSE(session.heldByHost());
    EXPECT_EQ(session.frames(), 3u);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(machineDigest(session.machine()), machineDigest(reference.machine()));
}

TEST(MachineTapeRun, TapeHeaderLoadsThroughTheTrap)
{
    ScratchFolder tapes;
    const auto image = countingBytes(18, 0x31);
    writeFile(tapes.path() / "NOSUCH   ", image);
    SessionDriver driver(programRoms("tape_load"));
    driver.session.setTapeFolder(tapes.path());
    driver.run(1);
    const Mtx& m = driver.machine();
    EXPECT_TRUE(driver.host.messages.empty());
    EXPECT_TRUE(driver.host.warnings.empty());
    EXPECT_TRUE(m.tape.opened);
    EXPECT_EQ(std::memcmp(&m.memory.page[0][0xC011], image.data(), 18), 0);
    EXPECT_EQ(m.memory.page[0][0xC100], 0x77);
}

} // namespace
