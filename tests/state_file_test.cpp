// Save state files: a machine saved and loaded runs on exactly as the saved one, and every
// kind of unusable file is refused with its reason while the running machine stays as it
// was.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "machine/rom_set.h"
#include "files/state_files.h"
#include "state/state_file.h"
#include "tests/program_run_support.h"
#include "tests/support/graphics_page.h"
#include "tests/support/state_repack.h"
#include "tests/support/machine_compare.h"
#include "tests/support/scratch_files.h"

using namespace ollendor;

namespace {


// Where a section's contents start in the unpacked payload.
size_t sectionOffset(const std::vector<uint8_t>& payload, const char* tag)
{
    size_t at = 0;
    while (at + 8 <= payload.size()) {
        uint32_t length;
        std::memcpy(&length, &payload[at + 4], 4);
        if (std::memcmp(&payload[at], tag, 4) == 0)
            return at + 8;
        at += 8 + length;
    }
    ADD_FAILURE() << "no section " << tag;
    return 0;
}

class StateFile : public testing::Test {
protected:
    void SetUp() override
    {
        saved = graphics_page::builtinMachine();
        graphics_page::runFrames(*saved, 60);
        file = encodeState(*saved);
        running = graphics_page::builtinMachine();
        graphics_page::runFrames(*running, 7);
        before = std::make_unique<Mtx>(*running);
    }

    // Loading must fail with a reason that contains `why`, and change nothing.
    void expectRefused(const std::vector<uint8_t>& bytes, const std::string& why)
    {
        const StateResult result = decodeState(bytes, *running, *running);
        EXPECT_FALSE(result.ok) << why;
        EXPECT_NE(result.error.find(why), std::string::npos) << "said: " << result.error;
        expectSameMachine(*before, *running, "after refusing: " + why);
    }

    std::unique_ptr<Mtx> saved, running, before;
    std::vector<uint8_t> file;
};

} // namespace

TEST_F(StateFile, ALoadedStateRunsOnExactlyAsTheSavedMachine)
{
    auto loaded = graphics_page::builtinMachine();
    const StateResult result = decodeState(file, *loaded, *loaded);
    ASSERT_TRUE(result.ok) << result.error;
    expectSameMachine(*saved, *loaded, "right after loading");
    EXPECT_EQ(encodeState(*loaded), file) << "saving the loaded machine gives the same file";
    graphics_page::runFrames(*saved, 90);
    graphics_page::runFrames(*loaded, 90);
    expectSameMachine(*saved, *loaded, "90 frames on");
}

// 300 frames in one run give the same machine as 120 frames, a save, a load into a new
// machine and 180 more frames.
TEST_F(StateFile, SavingAndLoadingMidRunIsInvisible)
{
    auto whole = graphics_page::builtinMachine();
    graphics_page::runFrames(*whole, 300);
    auto first = graphics_page::builtinMachine();
    graphics_page::runFrames(*first, 120);
    const std::vector<uint8_t> bytes = encodeState(*first);
    auto second = graphics_page::builtinMachine();
    ASSERT_TRUE(decodeState(bytes, *second, *second).ok);
    graphics_page::runFrames(*second, 180);
    expectSameMachine(*whole, *second, "300 frames, or 120 + state + 180");
}

TEST_F(StateFile, TheFileIsSmallAndItsHeaderSaysWhatItIs)
{
    EXPECT_LT(file.size(), 64u * 1024) << "the pages are mostly empty and compress";
    EXPECT_EQ(std::memcmp(file.data(), "OLLSTATE", 8), 0);
    EXPECT_EQ(file[8] | file[9] << 8, 2);
    EXPECT_EQ(file[10] & 1, 1) << "built-in ROM set";
}

TEST_F(StateFile, UnusableFilesAreRefusedAndTheMachineStaysAsItWas)
{
    expectRefused({}, "it is empty");
    expectRefused(std::vector<uint8_t>(file.begin(), file.begin() + 5), "not a state file");
    std::vector<uint8_t> wrongMagic = file;
    wrongMagic[0] = 'X';
    expectRefused(wrongMagic, "not a state file");
    std::vector<uint8_t> newer = file;
    newer[8] = 3;
    expectRefused(newer, "newer format (version 3");
    expectRefused(std::vector<uint8_t>(file.begin(), file.begin() + 30), "cut short");
    expectRefused(std::vector<uint8_t>(file.begin(), file.end() - 1), "cut short");
    std::vector<uint8_t> longer = file;
    longer.push_back(0);
    expectRefused(longer, "past its end");
    std::vector<uint8_t> damaged = file;
    damaged[file.size() / 2] ^= 0x20;
    expectRefused(damaged, "checksum");
    std::vector<uint8_t> headerDamaged = file;
    headerDamaged[12] ^= 1; // the ROM identity: caught by the checksum, not read as another set
    expectRefused(headerDamaged, "checksum");
}

TEST_F(StateFile, AnotherRomSetIsRefused)
{
    RomSet other = builtinRomSet();
    other.os[100] ^= 0xFF;
    other.builtin = false;
    other.identity = romSetIdentity(other);
    auto foreign = std::make_unique<Mtx>();
    machinePowerOn(*foreign);
    machineInit(*foreign, other);
    const std::vector<uint8_t> foreignFile = encodeState(*foreign);
    expectRefused(foreignFile, "another ROM set (ROM set ");
    expectRefused(foreignFile, ") than the one running (the built-in ROM)");
    // Both built-in, of two releases: named as such (not "the built-in ROM" against itself).
    other.builtin = true;
    auto olderRelease = std::make_unique<Mtx>();
    machinePowerOn(*olderRelease);
    machineInit(*olderRelease, other);
    expectRefused(encodeState(*olderRelease), "another version of the built-in ROM");
}

TEST_F(StateFile, SectionsOfTheWrongSizeOrValuesOutOfRangeAreRefused)
{
    expectRefused(repacked(file, [](auto& p) { p.push_back(0); }), "sizes of format version 2");
    expectRefused(repacked(file, [](auto& p) { p[0] = 'X'; }), "its section CPU is missing");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "SELS")] = 16; }), "the RAM page selector");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "SELS") + 1] = 8; }), "the ROM page selector");
    // The video address is after the 8 registers and the status byte.
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "VDP ") + 10] = 0x40; }), "the video chip's address");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "VDP ") + 1] ^= 0x10; }), "the video chip's mode");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "VDP ") + 11] = 2; }), "a truth value (neither 0 nor 1) in the section VDP");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "FRAM") + 5] = 16; }), "a pixel");
    // The timing: frames and the count within one follow from the hook calls, which no run
    // takes anywhere near 2^48 (counts of cycles are made from them).
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "TIME")] = 65; }), "the frame count");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "TIME") + 12] ^= 1; }), "the frame count");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "TIME") + 11] = 1; }), "the hook calls");
    // Values the machine never gives: both interrupt mode bits, a Caps Lock state with
    // other bits than locked and held, more of the tape left than it holds.
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "CPU ") + 24] |= 0x06; }), "the interrupt mode");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "KEYS") + 20] = 2; }), "the Caps Lock state");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "TAPE") + 1] = 1; }), "the tape's length");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "SND ") + 8] = 3; }), "a volume");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "CPU ") + 24] = 0xFF; }), "the interrupt state");
    // The sound output's next half: on a half boundary (the flag says which), begun by the
    // last frame end and ending after it. Its start is after the 3 wave states and the flag.
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "SOUT") + 6] ^= 1; }), "the sound output's position");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "SOUT") + 7] += 1; }), "the sound output's position");
    // A pair of halves later: on a boundary, but not the one the time gives.
    expectRefused(repacked(file,
                           [](auto& p) {
                               uint64_t start;
                               std::memcpy(&start, &p[sectionOffset(p, "SOUT") + 7], 8);
                               start += 3125;
                               std::memcpy(&p[sectionOffset(p, "SOUT") + 7], &start, 8);
                           }),
                  "the sound output's position");
    expectRefused(repacked(file, [](auto& p) { p[sectionOffset(p, "SOUT") + 6] = 2; }), "a truth value (neither 0 nor 1) in the section SOUT");
}

// A file of format version 1 (no sound output section) is loaded: the machine is the saved
// one, its sound output starting afresh with the half under way at the last frame end.
TEST_F(StateFile, AFileOfFormatVersion1IsLoaded)
{
    std::vector<uint8_t> payload = unpackedState(file);
    const size_t sout = sectionOffset(payload, "SOUT") - 8;
    ASSERT_EQ(sout + 8 + 27, payload.size()) << "the sound output is the last section";
    payload.resize(sout);
    std::vector<uint8_t> header(file.begin(), file.begin() + stateHeaderSize);
    header[8] = 1;
    auto loaded = graphics_page::builtinMachine();
    const StateResult result = decodeState(packedState(header, payload), *loaded, *loaded);
    ASSERT_TRUE(result.ok) << result.error;
    const SoundOutput& output = loaded->soundOutput;
    EXPECT_EQ(output.halfStart, saved->soundOutput.halfStart);
    EXPECT_EQ(output.secondHalfNext, saved->soundOutput.secondHalfNext);
    loaded->soundOutput = saved->soundOutput; // only the waves and the tones heard may differ
    expectSameMachine(*saved, *loaded, "loaded from format version 1");
    expectRefused(packedState(header, unpackedState(file)), "sizes of format version 1");
}

TEST_F(StateFile, FilesThatCannotBeReadOrWrittenSaySoAndLeaveTheOldOne)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("ollendor-state-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = folder / "slot.state";
    ASSERT_TRUE(saveStateFile(*saved, target).ok);
    StateResult loaded = loadStateFile(target, *running, *running);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    expectSameMachine(*saved, *running, "loaded from the file");

    StateResult missing = loadStateFile(folder / "none", *running, *running);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("cannot load the state file '" + (folder / "none").string() + "'"),
              std::string::npos) << missing.error;
    EXPECT_FALSE(loadStateFile(folder, *running, *running).ok);
    const std::filesystem::path fifo = folder / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    StateResult fromFifo = loadStateFile(fifo, *running, *running); // must not wait for a writer
    EXPECT_FALSE(fromFifo.ok);
    EXPECT_NE(fromFifo.error.find("FIFO"), std::string::npos) << fromFifo.error;

    StateResult full = saveStateFile(*saved, "/dev/full");
    EXPECT_FALSE(full.ok);
    EXPECT_NE(full.error.find("cannot write the state file '/dev/full'"), std::string::npos) << full.error;
    std::filesystem::remove_all(folder);
}

TEST_F(StateFile, AFullDiskLeavesTheOldStateIntact)
{
    programtest::TinyDisk disk(64);
    OLLENDOR_NEED_TINY_DISK(disk);
    const std::filesystem::path target = disk.path() / "slot.state";
    ASSERT_TRUE(saveStateFile(*saved, target).ok);
    disk.fill();
    graphics_page::runFrames(*saved, 30); // a different machine to save over the old one
    const StateResult full = saveStateFile(*saved, target);
    EXPECT_FALSE(full.ok);
    EXPECT_NE(full.error.find("No space left on device"), std::string::npos) << full.error;
    auto reloaded = graphics_page::builtinMachine();
    const StateResult old = loadStateFile(target, *reloaded, *reloaded);
    ASSERT_TRUE(old.ok) << old.error;
    EXPECT_EQ(encodeState(*reloaded), file) << "the file saved first is still there, whole";
    EXPECT_EQ(disk.leftovers(), std::vector<std::string>{"slot.state"}) << "no temporary file left behind";
}

// A state near the longest emulated time a file holds loads and runs on; once the run has
// passed that time, saving is refused (with nothing written) instead of writing a file
// that loading would refuse.
TEST_F(StateFile, AMachinePastTheLongestTimeAFileHoldsIsNotSaved)
{
    Mtx& near = *saved;
    near.timing.hookCalls = mostStateHookCalls - 700;
    near.timing.frames = near.timing.hookCalls / hooksPerFrame;
    near.timing.hookCount = uint32_t(near.timing.hookCalls % hooksPerFrame);
    // The sound's halves stand where that time puts them.
    soundOutputStartAt(near.soundOutput, (near.timing.hookCalls - near.timing.hookCount) * uint64_t(mtxCyclesPerHook),
                       near.sound.published);
    auto loaded = graphics_page::builtinMachine();
    ASSERT_TRUE(decodeState(encodeState(near), *loaded, *loaded).ok);
    ScratchFolder folder;
    const auto path = folder.path() / "near.state";
    ASSERT_TRUE(saveStateFile(*loaded, path).ok);
    graphics_page::runFrames(*loaded, 20);
    ASSERT_GE(loaded->timing.hookCalls, mostStateHookCalls);
    const auto later = folder.path() / "later.state";
    const StateResult result = saveStateFile(*loaded, later);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("longer than a state file can hold"), std::string::npos) << result.error;
    EXPECT_FALSE(std::filesystem::exists(later));
    EXPECT_NE(unsavableState(*loaded), "");
    EXPECT_EQ(unsavableState(*saved), "");
}
