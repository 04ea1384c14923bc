// The tape trap: blocks from tape images, the request a missing image raises and its answer,
// and the lookup of the file a name leads to (missing, unsafe or oversized tapes).
#include "machine_support.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include <sys/stat.h>

#include "machine/rom_set.h"
#include "machine/tape.h"
#include "files/tape_files.h"
#include "roms/builtin_rom.h"
#include "tests/support/machine_compare.h"
#include "tests/support/tape_rig.h"

using namespace ollendor;

namespace {

// ---- Requests through a session: the trap, the lookup and the answer together ----------

// The folder, made.
std::filesystem::path madeFolder(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path);
    return path;
}

class TapeTest : public testing::Test {
protected:
    TapeTest() : tapes(madeFolder(scratch.path() / "tapes")), rig(tapes) {}

    Mtx& m() { return rig.machine(); }
    uint8_t* page(unsigned p) { return m().memory.page[p]; }

    ScratchFolder scratch;
    std::filesystem::path tapes;
    TapeRig rig;
};

TEST_F(TapeTest, HeaderThenBlock)
{
    const auto image = countingBytes(1000, 7);
    writeFile(tapes / "HELLO    ", image);
    rig.setName("HELLO");
    m().memory.ramPage = 2;
    m().cpu.setAF(0x1234);
    m().cpu.setBC(0x5678);
    rig.requestHeader();
    EXPECT_TRUE(m().tape.opened);
    EXPECT_TRUE(rig.headerIs(image));
    EXPECT_TRUE(rig.messages().empty());

    rig.trap(0x4000, 0x0100);
    EXPECT_EQ(std::memcmp(&page(2)[0x4000], image.data() + 18, 0x100), 0);
    EXPECT_EQ(page(0)[0x4000], 0);
    // Registers as they were: the RET after the trap returns them unchanged.
    EXPECT_EQ(m().cpu.AF(), 0x1234);
    EXPECT_EQ(m().cpu.BC(), 0x5678);
    EXPECT_EQ(m().cpu.HL(), 0x4000);
    EXPECT_EQ(m().cpu.DE(), 0x0100);
    EXPECT_EQ(m().tape.blocksServed, 2u);
}

TEST_F(TapeTest, FlagsThatSayNoLoadChangeNothing)
{
    const auto image = countingBytes(100, 1);
    writeFile(tapes / "HELLO    ", image);
    rig.setName("HELLO");
    rig.requestHeader();
    uint8_t buffer[64];
    std::memcpy(buffer, m().tape.buffer, sizeof buffer);

    rig.common()[tapeVerifyFlagAddress] = 1;
    rig.trap(0x8000, 50);
    rig.common()[tapeVerifyFlagAddress] = 0;
    rig.common()[tapeLoadFlagAddress] = 0;
    rig.trap(0x8000, 50);
    EXPECT_EQ(page(0)[0x8000], 0);
    EXPECT_EQ(std::memcmp(buffer, m().tape.buffer, sizeof buffer), 0);
}

TEST_F(TapeTest, NameIsTheFirstNineBytes)
{
    const auto image = countingBytes(18, 0x30);
    writeFile(tapes / "ABCDEFGHI", image);
    rig.setName("ABCDEFGHIJKLMNO");
    rig.requestHeader();
    EXPECT_TRUE(m().tape.opened);
    EXPECT_TRUE(rig.headerIs(image));
    EXPECT_EQ(std::string(m().tape.requestName, tapeNameLength), "ABCDEFGHI");
}

TEST_F(TapeTest, SecondHeaderContinuesTheSameTape)
{
    const auto first = countingBytes(36, 0x10);
    writeFile(tapes / "FIRST    ", first);
    writeFile(tapes / "SECOND   ", countingBytes(36, 0x90));
    rig.setName("FIRST");
    rig.requestHeader();
    rig.setName("SECOND");
    rig.requestHeader();
    EXPECT_TRUE(rig.headerIs(first, 18));
}

TEST_F(TapeTest, BlocksBeforeAnyTapeComeFromTheBuffer)
{
    page(0)[0xC100] = 0x55;
    rig.trap(0xC100, 4);         // not a header: nothing is opened
    EXPECT_FALSE(m().tape.opened);
    EXPECT_EQ(page(0)[0xC100], 0);
    EXPECT_TRUE(rig.messages().empty());
}

TEST_F(TapeTest, BlockFillsTheRamPagesRomSlot)
{
    writeFile(tapes / "LOW      ", countingBytes(18 + 16, 0xA0));
    rig.setName("LOW");
    rig.requestHeader();
    m().memory.ramPage = 4;
    rig.trap(0x1000, 16);
    EXPECT_EQ(page(4)[0x1000], uint8_t(0xA0 + 18));
    EXPECT_EQ(page(0)[0x1000], 0);
}

TEST_F(TapeTest, BlockWrapsPastTheTopOfMemory)
{
    const auto image = countingBytes(18 + 0x200, 0);
    writeFile(tapes / "WRAP     ", image);
    rig.setName("WRAP");
    rig.requestHeader();
    m().memory.ramPage = 2;
    rig.trap(0xFF00, 0x200);
    for (unsigned i = 0; i < 0x100; ++i) {
        ASSERT_EQ(page(0)[0xFF00 + i], image[18 + i]) << i;
        ASSERT_EQ(page(2)[i], image[18 + 0x100 + i]) << i;
        ASSERT_EQ(page(0)[i], 0) << i;
    }
}

TEST_F(TapeTest, LongestBlockMovesTheWholeBuffer)
{
    const auto image = countingBytes(tapeBufferSize, 3);
    writeFile(tapes / "BIG      ", image);
    rig.setName("BIG");
    rig.requestHeader();
    rig.trap(0x4000, 0xFFFF);    // HL + DE far past the top
    EXPECT_EQ(m().tape.buffer[0], image[tapeBufferSize - 1]);
    EXPECT_EQ(page(0)[0xC000], image[18 + 0x8000]);
    // The last byte handed out is one the header's move left in place; it wraps to 0x3FFE.
    EXPECT_EQ(page(0)[0x3FFE], image[0xFFFE]);
}

TEST_F(TapeTest, OversizedImageKeepsTheFirst64KiB)
{
    const auto image = countingBytes(tapeBufferSize + 1000, 0);
    std::vector<uint8_t> marked = image;
    marked[tapeBufferSize] = 0xEE; // the first byte that does not fit
    writeFile(tapes / "HUGE     ", marked);
    rig.setName("HUGE");
    rig.requestHeader();
    ASSERT_EQ(rig.driver.host.warnings.size(), 1u);
    const std::string& warning = rig.driver.host.warnings[0];
    EXPECT_NE(warning.find("HUGE"), std::string::npos) << warning;
    EXPECT_NE(warning.find("65,536"), std::string::npos) << warning;
    EXPECT_TRUE(rig.messages().empty());
    EXPECT_TRUE(rig.headerIs(marked));
    // After the move: the rest of the 64 KiB, then the old last 18 bytes again.
    const uint8_t* buffer = m().tape.buffer;
    EXPECT_EQ(buffer[0], marked[18]);
    EXPECT_EQ(buffer[tapeBufferSize - 19], marked[tapeBufferSize - 1]);
    EXPECT_EQ(buffer[tapeBufferSize - 18], marked[tapeBufferSize - 18]);
    EXPECT_EQ(buffer[tapeBufferSize - 1], marked[tapeBufferSize - 1]);
}

TEST_F(TapeTest, MissingTapeReportsOnceAndRetries)
{
    rig.setName("GAME");
    m().tape.buffer[0] = 0x42;
    rig.requestHeader();
    ASSERT_EQ(rig.messages().size(), 1u);
    EXPECT_EQ(rig.messages()[0].caption, "File not found");
    EXPECT_EQ(rig.messages()[0].text, "The file " + (tapes / "GAME     ").string() +
                                          " could not be opened. There is no such file (nor "
                                          "GAME, GAME.mtx, GAME.MTX).");
    EXPECT_FALSE(m().tape.opened);
    EXPECT_EQ(page(0)[tapeHeaderAddress], 0x42); // from the buffer as usual

    rig.requestHeader();         // the same name again: no second box
    EXPECT_EQ(rig.messages().size(), 1u);
    rig.setName("OTHER");
    rig.requestHeader();
    EXPECT_EQ(rig.messages().size(), 2u);

    const auto image = countingBytes(18, 0x61);
    writeFile(tapes / "GAME     ", image);
    rig.setName("GAME");
    rig.requestHeader();         // the user put the tape in place: it loads now
    EXPECT_TRUE(m().tape.opened);
    EXPECT_TRUE(rig.headerIs(image));
    EXPECT_EQ(rig.messages().size(), 2u);
}

// A tape read to its end has run out: the next header request opens the file named then,
// so a load can be repeated (after the user changed the file, too) or another tape loaded.
TEST_F(TapeTest, TapeReadToItsEndIsOpenedAfreshByTheNextHeader)
{
    const auto first = countingBytes(18 + 10, 0x10);
    writeFile(tapes / "FIRST    ", first);
    rig.setName("FIRST");
    rig.requestHeader();
    rig.trap(0x8000, 5);
    rig.requestHeader();         // 5 bytes are left: the tape plays on, short of a header
    EXPECT_EQ(page(0)[tapeHeaderAddress], first[23]);
    EXPECT_EQ(m().tape.left, 0u);

    const auto second = countingBytes(18, 0x90);
    writeFile(tapes / "SECOND   ", second);
    rig.setName("SECOND");
    rig.requestHeader();         // run out: the named tape is opened
    EXPECT_TRUE(rig.headerIs(second));

    const auto changed = countingBytes(18 + 4, 0xC0);
    writeFile(tapes / "SECOND   ", changed);
    rig.trap(0x8000, 4);         // past the end of the image: it stays run out
    rig.requestHeader();         // the same name again, with the file changed meanwhile
    EXPECT_TRUE(rig.headerIs(changed));
    EXPECT_EQ(m().tape.left, 4u);
    EXPECT_TRUE(rig.messages().empty());

    // Read out, then gone: said once, and found again once it is back.
    rig.trap(0x8000, 4);
    std::filesystem::remove(tapes / "SECOND   ");
    rig.requestHeader();
    ASSERT_EQ(rig.messages().size(), 1u);
    writeFile(tapes / "SECOND   ", second);
    rig.requestHeader();
    EXPECT_TRUE(rig.headerIs(second));
}

// ---- The request and its answer on a bare machine -------------------------------------

class TapeRequestTest : public MachineTest {
protected:
    void SetUp() override
    {
        m.memory.page[0][tapeLoadFlagAddress] = 1;
        std::memcpy(&m.memory.page[0][tapeNameAddress], "GAME           ", 15);
    }
    void trap(uint16_t address, uint16_t length)
    {
        m.cpu.setHL(address);
        m.cpu.setDE(length);
        tapeTrap(m, m.cpu);
    }
};

TEST_F(TapeRequestTest, HeaderWithoutATapeWaitsForTheHost)
{
    m.tape.buffer[0] = 0x42;
    trap(tapeHeaderAddress, tapeHeaderLength);
    const MachineEvents events = takeEvents(m);
    EXPECT_EQ(events.raised, uint8_t(MachineEvent::tapeRequest));
    EXPECT_TRUE(m.cpu.stopRequested) << "the run must return to the host";
    EXPECT_TRUE(m.tape.requestPending);
    EXPECT_EQ(std::string(m.tape.requestName, tapeNameLength), "GAME     ");
    EXPECT_EQ(m.memory.page[0][tapeHeaderAddress], 0) << "nothing is handed out before the answer";

    const auto image = countingBytes(40, 0x20);
    tapeInsert(m, image);
    EXPECT_FALSE(m.tape.requestPending);
    EXPECT_EQ(std::memcmp(&m.memory.page[0][tapeHeaderAddress], image.data(), 18), 0);
    EXPECT_EQ(m.tape.left, 22u);
    // The rest of the tape is there: the next header plays on without asking.
    trap(tapeHeaderAddress, tapeHeaderLength);
    EXPECT_EQ(takeEvents(m).raised, 0);
    EXPECT_EQ(m.memory.page[0][tapeHeaderAddress], image[18]);
}

TEST_F(TapeRequestTest, MissingAnswerHandsOutTheBufferAndIsToldOncePerName)
{
    m.tape.buffer[0] = 0x42;
    trap(tapeHeaderAddress, tapeHeaderLength);
    EXPECT_TRUE(tapeMissing(m)) << "the first time: tell the user";
    EXPECT_FALSE(m.tape.requestPending);
    EXPECT_FALSE(m.tape.opened);
    EXPECT_EQ(m.memory.page[0][tapeHeaderAddress], 0x42);
    trap(tapeHeaderAddress, tapeHeaderLength);
    EXPECT_TRUE(takeEvents(m).has(MachineEvent::tapeRequest)) << "a missing tape is asked for again";
    EXPECT_FALSE(tapeMissing(m)) << "the same name: already said";
    std::memcpy(&m.memory.page[0][tapeNameAddress], "OTHER    ", 9);
    trap(tapeHeaderAddress, tapeHeaderLength);
    EXPECT_TRUE(tapeMissing(m));
}

// The host may leave a request unanswered (a host that has no tapes): the next run takes it
// as a missing tape, so the OS gets its block and goes on.
TEST_F(TapeRequestTest, RequestLeftUnansweredCountsAsMissingWhenTheRunGoesOn)
{
    m.tape.buffer[0] = 0x42;
    m.memory.page[0][0x3000] = 0x76; // HALT, for the run to go on with
    m.cpu.PC = 0x3000;
    trap(tapeHeaderAddress, tapeHeaderLength);
    takeEvents(m);
    machineStep(m);
    EXPECT_FALSE(m.tape.requestPending);
    EXPECT_EQ(m.memory.page[0][tapeHeaderAddress], 0x42);
    EXPECT_FALSE(m.tape.opened);
}

// A request answered after the run stopped gives the machine that the tape being in place
// all along gives (the trap then hands the header out inside the instruction, without
// stopping), as when the trap read the file itself: the OS cannot tell the two apart.
TEST(TapeAnswer, AnsweredLaterIsTheSameAsATapeInPlace)
{
    const std::vector<uint8_t> tape = readFile(std::filesystem::path(OLLENDOR_BINARY_DIR) / "tapes" / "OLLENDEMO");
    ASSERT_GT(tape.size(), 18u) << "the demo tape is built with the program";
    const RomSet roms = builtinRomSet();
    auto inPlace = std::make_unique<Mtx>();
    auto answered = std::make_unique<Mtx>();
    machinePowerOn(*inPlace);
    machinePowerOn(*answered);
    machineInit(*inPlace, roms);
    machineInit(*answered, roms);
    tapeInsert(*inPlace, tape); // no request yet: the tape waits in the buffer

    unsigned requests = 0;
    auto runFrames = [&](Mtx& m, uint64_t frames) {
        while (m.timing.frames < frames) {
            const uint64_t frame = m.timing.frames;
            // Key 5 opens the tape page, which loads the tape as it opens.
            m.keyboard.input = keyboardInputFrom([frame](uint8_t key) { return key == 0x35 && frame >= 5 && frame < 8; }, 0);
            machineRun(m);
            const MachineEvents events = takeEvents(m);
            if (events.has(MachineEvent::tapeRequest)) {
                ++requests;
                ASSERT_EQ(&m, answered.get()) << "a tape in place needs no answer";
                EXPECT_EQ(std::string(m.tape.requestName, tapeNameLength), builtinDemoTapeName);
                tapeInsert(m, tape);
            }
        }
    };
    runFrames(*inPlace, 20);
    runFrames(*answered, 20);
    EXPECT_EQ(requests, 1u);
    expectSameMachine(*inPlace, *answered, "20 frames, the tape's page loaded");
    const std::string loaded(reinterpret_cast<const char*>(&answered->memory.page[1][0x4000]), 36);
    EXPECT_EQ(loaded, "This text came from the demo tape, a") << "the load really happened";
    EXPECT_EQ(answered->tape.blocksServed, inPlace->tape.blocksServed);
    runFrames(*inPlace, 40);
    runFrames(*answered, 40);
    expectSameMachine(*inPlace, *answered, "20 frames on");
}

// ---- Which file a name leads to -------------------------------------------------------

class TapeLookupTest : public testing::Test {
protected:
    TapeLookupTest() : tapes(madeFolder(scratch.path() / "tapes")) {}

    // The lookup for a name as the OS's name field gives it, padded with spaces.
    TapeLookup find(const std::string& name)
    {
        std::string field = name;
        field.resize(tapeNameLength, ' ');
        char bytes[tapeNameLength];
        std::memcpy(bytes, field.data(), tapeNameLength);
        return findTapeImage(tapes, bytes);
    }
    TapeLookup findBytes(const char (&bytes)[10])
    {
        char name[tapeNameLength];
        std::memcpy(name, bytes, tapeNameLength);
        return findTapeImage(tapes, name);
    }
    std::string notOpened(const std::string& shownName, const std::string& why)
    {
        return "The file " + (tapes / shownName).string() + " could not be opened. " + why;
    }

    ScratchFolder scratch;
    std::filesystem::path tapes;
};

TEST_F(TapeLookupTest, FoundImageIsReadWhole)
{
    const auto image = countingBytes(1000, 7);
    writeFile(tapes / "HELLO    ", image);
    const TapeLookup lookup = find("HELLO");
    EXPECT_TRUE(lookup.found);
    EXPECT_EQ(lookup.image, image);
    EXPECT_TRUE(lookup.message.empty());
    EXPECT_TRUE(lookup.warning.empty());
}

TEST_F(TapeLookupTest, OversizedImageIsCutTo64KiBWithAWarning)
{
    std::vector<uint8_t> image = countingBytes(tapeBufferSize + 1000, 0);
    image[tapeBufferSize] = 0xEE;
    writeFile(tapes / "HUGE     ", image);
    const TapeLookup lookup = find("HUGE");
    ASSERT_TRUE(lookup.found);
    EXPECT_EQ(lookup.image.size(), tapeBufferSize);
    EXPECT_TRUE(std::equal(lookup.image.begin(), lookup.image.end(), image.begin()));
    EXPECT_NE(lookup.warning.find("HUGE"), std::string::npos) << lookup.warning;
    EXPECT_NE(lookup.warning.find("65,536"), std::string::npos) << lookup.warning;
    // Exactly 64 KiB is no reason for a warning.
    writeFile(tapes / "EXACT    ", countingBytes(tapeBufferSize));
    EXPECT_TRUE(find("EXACT").warning.empty());
}

TEST_F(TapeLookupTest, MissingTapeSaysWhichNamesWereTried)
{
    const TapeLookup lookup = find("GAME");
    EXPECT_FALSE(lookup.found);
    EXPECT_TRUE(lookup.image.empty());
    EXPECT_EQ(lookup.message, notOpened("GAME     ", "There is no such file (nor GAME, GAME.mtx, GAME.MTX)."));
}

TEST_F(TapeLookupTest, NamesNeverLeaveTheTapeFolder)
{
    writeFile(scratch.path() / "secret", countingBytes(18, 0x70));
    writeFile(tapes / "..\\secret", countingBytes(18, 0x71));
    writeFile(tapes / "HELLO", countingBytes(18, 0x72));
    std::filesystem::create_directories(tapes / "FOLDER");

    const TapeLookup lookups[] = {
        findBytes("../secret"),
        findBytes("..\\secret"),
        findBytes("HELLO\0\0\0\0"), // would open "HELLO" if the NUL cut the name short
        findBytes("..       "),     // without its spaces: the parent folder
        findBytes("FOLDER   "),     // a folder is not a tape
    };
    for (const TapeLookup& lookup : lookups) {
        EXPECT_FALSE(lookup.found) << lookup.message;
        EXPECT_TRUE(lookup.image.empty());
    }
    const std::string leaves = "Its name would lead out of the tape folder";
    EXPECT_EQ(lookups[0].message, notOpened("../secret", leaves + "."));
    EXPECT_EQ(lookups[1].message, notOpened("..\\secret", leaves + "."));
    EXPECT_EQ(lookups[2].message, notOpened("HELLO????", leaves + "."));
    EXPECT_EQ(lookups[3].message, notOpened("..       ", leaves + " (tried as ..)."));
    EXPECT_EQ(lookups[4].message, notOpened("FOLDER   ", "It is a folder, not a file (tried as FOLDER)."));
}

// The message says why the tape cannot be used, and for which of the names tried when it
// is not the exact one. A FIFO is refused without being opened: opening one waits for a
// writer, which would freeze the program (and this test).
TEST_F(TapeLookupTest, UnusableTapeSaysWhy)
{
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> make; // given the tape folder
        const char* why;                                         // after "could not be opened. "
    };
    const Case cases[] = {
        {"nothing there", [](const auto&) {}, "There is no such file (nor GAME, GAME.mtx, GAME.MTX)."},
        {"exact name a folder", [](const auto& t) { std::filesystem::create_directory(t / "GAME     "); },
         "It is a folder, not a file."},
        {"variant a folder", [](const auto& t) { std::filesystem::create_directory(t / "GAME.mtx"); },
         "It is a folder, not a file (tried as GAME.mtx)."},
        {"a device", [](const auto& t) { std::filesystem::create_symlink("/dev/zero", t / "GAME"); },
         "It is a character device, not a regular file (tried as GAME)."},
        {"a FIFO", [](const auto& t) { ASSERT_EQ(mkfifo((t / "GAME     ").c_str(), 0600), 0); },
         "It is a FIFO, not a regular file."},
        {"a link to nothing",
         [](const auto& t) { std::filesystem::create_symlink(t / "gone", t / "GAME     "); },
         "It is a link to a file that does not exist."},
        {"no tape folder", [](const auto& t) { std::filesystem::remove(t); }, "The tape folder does not exist."},
        {"tape folder a file",
         [](const auto& t) {
             std::filesystem::remove(t);
             writeFile(t, {1, 2, 3});
         },
         "The tape folder is not a folder."},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(tapes);
        std::filesystem::create_directories(tapes);
        c.make(tapes);
        const TapeLookup lookup = find("GAME");
        EXPECT_FALSE(lookup.found) << c.what;
        EXPECT_EQ(lookup.message, notOpened("GAME     ", c.why)) << c.what;
    }
}

TEST_F(TapeLookupTest, UnreadableTapeSaysPermissionDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: file permissions do not keep root from reading";
    writeFile(tapes / "GAME     ", countingBytes(18));
    std::filesystem::permissions(tapes / "GAME     ", std::filesystem::perms::none);
    const TapeLookup lookup = find("GAME");
    EXPECT_FALSE(lookup.found);
    EXPECT_NE(lookup.message.find("could not be opened. Permission denied."), std::string::npos) << lookup.message;
}

TEST_F(TapeLookupTest, FriendlierNamesAreTriedInOrder)
{
    struct Case {
        std::vector<std::string> files; // present in the tape folder
        std::string name;               // what the OS asks for
        std::string expected;           // the file that loads
    };
    const Case cases[] = {
        {{"HELLO    ", "HELLO", "HELLO.mtx"}, "HELLO", "HELLO    "}, // exact name first
        {{"HELLO", "HELLO.mtx"}, "HELLO", "HELLO"},                  // then without spaces
        {{"HELLO.mtx", "HELLO.MTX"}, "HELLO", "HELLO.mtx"},          // then .mtx
        {{"HELLO.MTX"}, "HELLO", "HELLO.MTX"},                       // then .MTX
        {{"ABCDEFGHI.mtx"}, "ABCDEFGHI", "ABCDEFGHI.mtx"},           // no spaces to remove
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(tapes);
        std::filesystem::create_directories(tapes);
        for (size_t i = 0; i < c.files.size(); ++i)
            writeFile(tapes / c.files[i], countingBytes(18, uint8_t(0x20 * (i + 1))));
        const TapeLookup lookup = find(c.name);
        const size_t want = size_t(std::find(c.files.begin(), c.files.end(), c.expected) - c.files.begin());
        ASSERT_TRUE(lookup.found) << c.expected;
        ASSERT_FALSE(lookup.image.empty());
        EXPECT_EQ(lookup.image[0], uint8_t(0x20 * (want + 1))) << "expected " << c.expected;
    }
}

} // namespace
