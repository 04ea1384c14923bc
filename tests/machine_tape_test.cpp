// The tape trap: blocks from tape images, and what happens with missing, unsafe or
// oversized tapes.
#include "machine_support.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "machine/tape.h"

using namespace ollendor;

namespace {

class TapeTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        tapes = scratch.path() / "tapes";
        std::filesystem::create_directories(tapes);
        setTapeFolder(tapes);
        memoryPages.page[0][tapeLoadFlagAddress] = 1;
        memoryPages.page[0][tapeVerifyFlagAddress] = 0;
    }
    void TearDown() override { setTapeFolder("tapes"); }

    // The OS's 15-byte name field; shorter names are padded with spaces.
    void setName(const std::string& name)
    {
        std::string field = name;
        field.resize(15, ' ');
        std::memcpy(&memoryPages.page[0][tapeNameAddress], field.data(), 15);
    }
    void setNameBytes(const char (&bytes)[10]) // exactly the 9 bytes that count
    {
        std::memcpy(&memoryPages.page[0][tapeNameAddress], bytes, 9);
    }
    void trap(uint16_t address, uint16_t length)
    {
        z80.setHL(address);
        z80.setDE(length);
        tapeTrap(z80);
    }
    void requestHeader() { trap(tapeHeaderAddress, tapeHeaderLength); }
    bool headerIs(const std::vector<uint8_t>& image, size_t from = 0)
    {
        return std::memcmp(&memoryPages.page[0][tapeHeaderAddress], image.data() + from,
                           tapeHeaderLength) == 0;
    }

    ScratchFolder scratch;
    std::filesystem::path tapes;
};

TEST_F(TapeTest, HeaderThenBlock)
{
    const auto image = countingBytes(1000, 7);
    writeFile(tapes / "HELLO    ", image);
    setName("HELLO");
    setPages(0x02);
    z80.setAF(0x1234);
    z80.setBC(0x5678);
    requestHeader();
    EXPECT_TRUE(tapeOpened);
    EXPECT_TRUE(headerIs(image));
    EXPECT_TRUE(testHost.messages.empty());

    trap(0x4000, 0x0100);
    EXPECT_EQ(std::memcmp(&memoryPages.page[2][0x4000], image.data() + 18, 0x100), 0);
    EXPECT_EQ(memoryPages.page[0][0x4000], 0);
    // Registers as they were: the RET after the trap returns them unchanged.
    EXPECT_EQ(z80.AF(), 0x1234);
    EXPECT_EQ(z80.BC(), 0x5678);
    EXPECT_EQ(z80.HL(), 0x4000);
    EXPECT_EQ(z80.DE(), 0x0100);
}

TEST_F(TapeTest, FlagsThatSayNoLoadChangeNothing)
{
    const auto image = countingBytes(100, 1);
    writeFile(tapes / "HELLO    ", image);
    setName("HELLO");
    requestHeader();
    uint8_t buffer[64];
    std::memcpy(buffer, tapeBuffer, sizeof buffer);

    memoryPages.page[0][tapeVerifyFlagAddress] = 1;
    trap(0x8000, 50);
    memoryPages.page[0][tapeVerifyFlagAddress] = 0;
    memoryPages.page[0][tapeLoadFlagAddress] = 0;
    trap(0x8000, 50);
    EXPECT_EQ(memoryPages.page[0][0x8000], 0);
    EXPECT_EQ(std::memcmp(buffer, tapeBuffer, sizeof buffer), 0);
}

TEST_F(TapeTest, NameIsTheFirstNineBytes)
{
    const auto image = countingBytes(18, 0x30);
    writeFile(tapes / "ABCDEFGHI", image);
    setName("ABCDEFGHIJKLMNO");
    requestHeader();
    EXPECT_TRUE(tapeOpened);
    EXPECT_TRUE(headerIs(image));
}

TEST_F(TapeTest, SecondHeaderContinuesTheSameTape)
{
    const auto first = countingBytes(36, 0x10);
    writeFile(tapes / "FIRST    ", first);
    writeFile(tapes / "SECOND   ", countingBytes(36, 0x90));
    setName("FIRST");
    requestHeader();
    setName("SECOND");
    requestHeader();
    EXPECT_TRUE(headerIs(first, 18));
}

TEST_F(TapeTest, BlocksBeforeAnyTapeComeFromTheBuffer)
{
    memoryPages.page[0][0xC100] = 0x55;
    trap(0xC100, 4);             // not a header: nothing is opened
    EXPECT_FALSE(tapeOpened);
    EXPECT_EQ(memoryPages.page[0][0xC100], 0);
    EXPECT_TRUE(testHost.messages.empty());
}

TEST_F(TapeTest, BlockFillsTheRamPagesRomSlot)
{
    writeFile(tapes / "LOW      ", countingBytes(18 + 16, 0xA0));
    setName("LOW");
    requestHeader();
    setPages(0x04);
    trap(0x1000, 16);
    EXPECT_EQ(memoryPages.page[4][0x1000], uint8_t(0xA0 + 18));
    EXPECT_EQ(memoryPages.page[0][0x1000], 0);
}

TEST_F(TapeTest, BlockWrapsPastTheTopOfMemory)
{
    const auto image = countingBytes(18 + 0x200, 0);
    writeFile(tapes / "WRAP     ", image);
    setName("WRAP");
    requestHeader();
    setPages(0x02);
    trap(0xFF00, 0x200);
    for (unsigned i = 0; i < 0x100; ++i) {
        ASSERT_EQ(memoryPages.page[0][0xFF00 + i], image[18 + i]) << i;
        ASSERT_EQ(memoryPages.page[2][i], image[18 + 0x100 + i]) << i;
        ASSERT_EQ(memoryPages.page[0][i], 0) << i;
    }
}

TEST_F(TapeTest, LongestBlockMovesTheWholeBuffer)
{
    const auto image = countingBytes(tapeBufferSize, 3);
    writeFile(tapes / "BIG      ", image);
    setName("BIG");
    requestHeader();
    trap(0x4000, 0xFFFF);        // HL + DE far past the top
    EXPECT_EQ(tapeBuffer[0], image[tapeBufferSize - 1]);
    EXPECT_EQ(memoryPages.page[0][0xC000], image[18 + 0x8000]);
    // The last byte handed out is one the header's move left in place; it wraps to 0x3FFE.
    EXPECT_EQ(memoryPages.page[0][0x3FFE], image[0xFFFE]);
}

TEST_F(TapeTest, OversizedImageKeepsTheFirst64KiB)
{
    const auto image = countingBytes(tapeBufferSize + 1000, 0);
    std::vector<uint8_t> marked = image;
    marked[tapeBufferSize] = 0xEE; // the first byte that does not fit
    writeFile(tapes / "HUGE     ", marked);
    setName("HUGE");
    testing::internal::CaptureStderr();
    requestHeader();
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("HUGE"), std::string::npos) << warning;
    EXPECT_NE(warning.find("65,536"), std::string::npos) << warning;
    EXPECT_TRUE(headerIs(marked));
    // After the move: the rest of the 64 KiB, then the old last 18 bytes again.
    EXPECT_EQ(tapeBuffer[0], marked[18]);
    EXPECT_EQ(tapeBuffer[tapeBufferSize - 19], marked[tapeBufferSize - 1]);
    EXPECT_EQ(tapeBuffer[tapeBufferSize - 18], marked[tapeBufferSize - 18]);
    EXPECT_EQ(tapeBuffer[tapeBufferSize - 1], marked[tapeBufferSize - 1]);
}

TEST_F(TapeTest, MissingTapeReportsOnceAndRetries)
{
    setName("GAME");
    tapeBuffer[0] = 0x42;
    requestHeader();
    ASSERT_EQ(testHost.messages.size(), 1u);
    EXPECT_EQ(testHost.messages[0].caption, "File not found");
    EXPECT_EQ(testHost.messages[0].text, "The file " + (tapes / "GAME     ").string() +
                                             " could not be opened. There is no such file (nor "
                                             "GAME, GAME.mtx, GAME.MTX).");
    EXPECT_FALSE(tapeOpened);
    EXPECT_EQ(memoryPages.page[0][tapeHeaderAddress], 0x42); // from the buffer as usual

    requestHeader();             // the same name again: no second box
    EXPECT_EQ(testHost.messages.size(), 1u);
    setName("OTHER");
    requestHeader();
    EXPECT_EQ(testHost.messages.size(), 2u);

    const auto image = countingBytes(18, 0x61);
    writeFile(tapes / "GAME     ", image);
    setName("GAME");
    requestHeader();             // the user put the tape in place: it loads now
    EXPECT_TRUE(tapeOpened);
    EXPECT_TRUE(headerIs(image));
    EXPECT_EQ(testHost.messages.size(), 2u);
}

TEST_F(TapeTest, NamesNeverLeaveTheTapeFolder)
{
    writeFile(scratch.path() / "secret", countingBytes(18, 0x70));
    writeFile(tapes / "..\\secret", countingBytes(18, 0x71));
    writeFile(tapes / "HELLO", countingBytes(18, 0x72));
    std::filesystem::create_directories(tapes / "FOLDER");

    setNameBytes("../secret");
    requestHeader();
    setNameBytes("..\\secret");
    requestHeader();
    setNameBytes("HELLO\0\0\0\0");     // would open "HELLO" if the NUL cut the name short
    requestHeader();
    setNameBytes("..       ");         // without its spaces: the parent folder
    requestHeader();
    setNameBytes("FOLDER   ");         // a folder is not a tape
    requestHeader();
    EXPECT_FALSE(tapeOpened);
    EXPECT_EQ(memoryPages.page[0][tapeHeaderAddress], 0);
    ASSERT_EQ(testHost.messages.size(), 5u);
    const std::string leaves = "Its name would lead out of the tape folder";
    EXPECT_EQ(testHost.messages[0].text,
              "The file " + (tapes / "../secret").string() + " could not be opened. " + leaves + ".");
    EXPECT_EQ(testHost.messages[2].text,
              "The file " + (tapes / "HELLO????").string() + " could not be opened. " + leaves + ".");
    EXPECT_EQ(testHost.messages[3].text, "The file " + (tapes / "..       ").string() +
                                             " could not be opened. " + leaves + " (tried as ..).");
    EXPECT_EQ(testHost.messages[4].text, "The file " + (tapes / "FOLDER   ").string() +
                                             " could not be opened. It is a folder, not a file "
                                             "(tried as FOLDER).");
}

// The message says why the tape cannot be used, and for which of the names tried when it
// is not the exact one. (A FIFO is covered by a whole run: before the mend it froze.)
TEST_F(TapeTest, UnusableTapeSaysWhy)
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
        machinePowerOn();
        memoryPages.page[0][tapeLoadFlagAddress] = 1;
        std::filesystem::remove_all(tapes);
        std::filesystem::create_directories(tapes);
        c.make(tapes);
        setName("GAME");
        requestHeader();
        EXPECT_FALSE(tapeOpened) << c.what;
        ASSERT_EQ(testHost.messages.size(), 1u) << c.what;
        EXPECT_EQ(testHost.messages[0].text,
                  "The file " + (tapes / "GAME     ").string() + " could not be opened. " + c.why)
            << c.what;
        testHost.messages.clear();
    }
}

TEST_F(TapeTest, UnreadableTapeSaysPermissionDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: file permissions do not keep root from reading";
    writeFile(tapes / "GAME     ", countingBytes(18));
    std::filesystem::permissions(tapes / "GAME     ", std::filesystem::perms::none);
    setName("GAME");
    requestHeader();
    EXPECT_FALSE(tapeOpened);
    ASSERT_EQ(testHost.messages.size(), 1u);
    EXPECT_NE(testHost.messages[0].text.find("could not be opened. Permission denied."), std::string::npos)
        << testHost.messages[0].text;
}

// A tape read to its end has run out: the next header request opens the file named then,
// so a load can be repeated (after the user changed the file, too) or another tape loaded.
TEST_F(TapeTest, TapeReadToItsEndIsOpenedAfreshByTheNextHeader)
{
    const auto first = countingBytes(18 + 10, 0x10);
    writeFile(tapes / "FIRST    ", first);
    setName("FIRST");
    requestHeader();
    trap(0x8000, 5);
    requestHeader();             // 5 bytes are left: the tape plays on, short of a header
    EXPECT_EQ(memoryPages.page[0][tapeHeaderAddress], first[23]);
    EXPECT_EQ(tapeLeft, 0u);

    const auto second = countingBytes(18, 0x90);
    writeFile(tapes / "SECOND   ", second);
    setName("SECOND");
    requestHeader();             // run out: the named tape is opened
    EXPECT_TRUE(headerIs(second));

    const auto changed = countingBytes(18 + 4, 0xC0);
    writeFile(tapes / "SECOND   ", changed);
    trap(0x8000, 4);             // past the end of the image: it stays run out
    requestHeader();             // the same name again, with the file changed meanwhile
    EXPECT_TRUE(headerIs(changed));
    EXPECT_EQ(tapeLeft, 4u);
    EXPECT_TRUE(testHost.messages.empty());

    // Read out, then gone: said once, and found again once it is back.
    trap(0x8000, 4);
    std::filesystem::remove(tapes / "SECOND   ");
    requestHeader();
    ASSERT_EQ(testHost.messages.size(), 1u);
    writeFile(tapes / "SECOND   ", second);
    requestHeader();
    EXPECT_TRUE(headerIs(second));
}

TEST_F(TapeTest, FriendlierNamesAreTriedInOrder)
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
        machinePowerOn();
        memoryPages.page[0][tapeLoadFlagAddress] = 1;
        std::filesystem::remove_all(tapes);
        std::filesystem::create_directories(tapes);
        for (size_t i = 0; i < c.files.size(); ++i)
            writeFile(tapes / c.files[i], countingBytes(18, uint8_t(0x20 * (i + 1))));
        setName(c.name);
        requestHeader();
        const size_t want = size_t(std::find(c.files.begin(), c.files.end(), c.expected) -
                                   c.files.begin());
        ASSERT_TRUE(tapeOpened) << c.expected;
        EXPECT_EQ(memoryPages.page[0][tapeHeaderAddress], uint8_t(0x20 * (want + 1)))
            << "expected " << c.expected;
    }
}

} // namespace
