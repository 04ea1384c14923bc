// The list of save state slots the menus show, from real files: when each was saved, its
// picture, empty slots, files that changed, and files that cannot be used (damaged, of
// another ROM set, a folder in the way), which loading refuses with the same reason while
// the machine stays exactly as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>
#include <functional>
#include <memory>

#include "control/control.h"
#include "control/state_slots.h"
#include "frontend/slot_list.h"
#include "machine/rom_set.h"
#include "files/state_files.h"
#include "state/state_picture.h"
#include "video/display.h"
#include "tests/support/state_repack.h"
#include "tests/support/environment_guard.h"
#include "tests/support/machine_compare.h"
#include "tests/support/scratch_files.h"

using namespace ollendor;

namespace {

constexpr uint8_t key4 = 0x34;

// A session on the built-in ROM with its control, saving into a scratch folder's slots.
class SlotListTest : public testing::Test {
protected:
    void runFrames(unsigned frames)
    {
        for (unsigned i = 0; i < frames; ++i)
            control.runFrame();
    }
    // The picture the list should show for the machine as it stands.
    std::vector<uint8_t> expectedPicture()
    {
        const Mtx& m = session.machine();
        auto console = std::make_unique<uint32_t[]>(size_t(consoleWidth) * consoleHeight);
        composeConsole(console.get(), consoleWidth * 4, m.frame, displayBlanked(m.vdp), backdropColour(m.vdp));
        return halfSizePicture(console.get());
    }
    std::filesystem::path slotFile(int slot) { return *stateSlotPath(slot); }

    ScratchFolder scratch;
    EnvironmentGuard dataHome{"XDG_DATA_HOME", scratch.path().string()};
    EnvironmentGuard zone{"TZ", std::string("UTC")};
    const int zoneRead = (tzset(), 0); // localtime_r reads TZ only when told to
    Session session{builtinRomSet()};
    RewindBuffer rewind{64};
    Control control{session, rewind};
    SlotList list{session.machine().romBuiltin, session.machine().romIdentity};
};

TEST_F(SlotListTest, SavedSlotsShowTheirTimeAndPictureAndEmptyOnesSaySo)
{
    list.refresh();
    for (int slot = 1; slot <= stateSlotCount; ++slot) {
        EXPECT_TRUE(list.entry(slot).empty) << slot;
        EXPECT_TRUE(list.entry(slot).picture.empty()) << slot;
        EXPECT_TRUE(list.entry(slot).problem.empty()) << list.entry(slot).problem;
    }

    runFrames(30);
    ASSERT_TRUE(control.saveSlot(2).ok);
    const std::vector<uint8_t> welcome = expectedPicture();
    // 2026-12-07 11:42:05 UTC as the file's modification time.
    std::tm when{};
    when.tm_year = 126, when.tm_mon = 11, when.tm_mday = 7, when.tm_hour = 11, when.tm_min = 42, when.tm_sec = 5;
    const timespec times[2] = {{timegm(&when), 0}, {timegm(&when), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, slotFile(2).c_str(), times, 0), 0);

    list.refresh();
    const SlotEntry& saved = list.entry(2);
    EXPECT_FALSE(saved.empty);
    EXPECT_EQ(saved.savedAt, "2026-12-07 11:42:05");
    EXPECT_TRUE(saved.problem.empty()) << saved.problem;
    ASSERT_EQ(saved.picture.size(), size_t(slotPictureWidth) * slotPictureHeight * 4);
    EXPECT_EQ(saved.picture, welcome) << "the frame and border of the saved machine, at half size";
    EXPECT_TRUE(list.entry(1).empty);

    // The graphics page in slot 3: another picture, and slot 2 keeps its own.
    session.holdKeys({key4}, 3);
    runFrames(30);
    ASSERT_TRUE(control.saveSlot(3).ok);
    list.refresh();
    EXPECT_EQ(list.entry(3).picture, expectedPicture());
    EXPECT_NE(list.entry(3).picture, welcome);
    EXPECT_EQ(list.entry(2).picture, welcome);
}

TEST_F(SlotListTest, AFileIsReadAgainOnlyWhenItChanged)
{
    ASSERT_TRUE(control.saveSlot(1).ok);
    list.refresh();
    const uint64_t first = list.entry(1).generation;
    const std::vector<uint8_t> before = list.entry(1).picture;
    list.refresh();
    EXPECT_EQ(list.entry(1).generation, first) << "nothing changed: nothing read";

    session.holdKeys({key4}, 3);
    runFrames(40);
    ASSERT_TRUE(control.saveSlot(1).ok); // a new file renamed into place
    list.refresh();
    EXPECT_NE(list.entry(1).generation, first);
    EXPECT_NE(list.entry(1).picture, before);

    std::filesystem::remove(slotFile(1));
    list.refresh();
    EXPECT_TRUE(list.entry(1).empty);
    EXPECT_TRUE(list.entry(1).picture.empty());
}

TEST_F(SlotListTest, ADamagedSlotSaysWhyAndLoadingItLeavesTheMachineAlone)
{
    runFrames(20);
    ASSERT_TRUE(control.saveSlot(1).ok);
    std::vector<uint8_t> bytes = readFile(slotFile(1));
    bytes[bytes.size() / 2] ^= 0x40;
    writeFile(slotFile(1), bytes);

    list.refresh();
    EXPECT_FALSE(list.entry(1).empty);
    EXPECT_TRUE(list.entry(1).picture.empty());
    EXPECT_NE(list.entry(1).problem.find("checksum does not match"), std::string::npos) << list.entry(1).problem;

    runFrames(10);
    const auto before = std::make_unique<Mtx>(session.machine());
    const Control::Result loaded = control.loadSlot(1);
    EXPECT_FALSE(loaded.ok);
    EXPECT_NE(loaded.error.find(slotFile(1).string()), std::string::npos) << loaded.error;
    EXPECT_NE(loaded.error.find("checksum does not match"), std::string::npos) << loaded.error;
    expectSameMachine(*before, session.machine(), "after refusing the damaged slot");

    // Cut short, and a folder where the file should be.
    bytes.resize(100);
    writeFile(slotFile(1), bytes);
    std::filesystem::create_directories(slotFile(2));
    list.refresh();
    EXPECT_NE(list.entry(1).problem.find("cut short"), std::string::npos) << list.entry(1).problem;
    EXPECT_FALSE(list.entry(2).empty);
    EXPECT_TRUE(list.entry(2).savedAt.empty()) << "a folder has no time of saving";
    EXPECT_NE(list.entry(2).problem.find("folder"), std::string::npos) << list.entry(2).problem;
    EXPECT_FALSE(control.loadSlot(2).ok);
    expectSameMachine(*before, session.machine(), "after refusing the folder");
}

TEST_F(SlotListTest, AStateOfAnotherRomSetShowsItsPictureButIsMarked)
{
    RomSet other = builtinRomSet();
    other.os[100] ^= 0xFF;
    other.builtin = false;
    other.identity = romSetIdentity(other);
    Session foreign(other);
    for (int i = 0; i < 5; ++i)
        foreign.runFrame();
    std::filesystem::create_directories(slotFile(4).parent_path());
    ASSERT_TRUE(saveStateFile(foreign.machine(), slotFile(4)).ok);

    list.refresh();
    EXPECT_FALSE(list.entry(4).picture.empty());
    EXPECT_NE(list.entry(4).problem.find("another ROM set"), std::string::npos) << list.entry(4).problem;
    EXPECT_FALSE(control.loadSlot(4).ok);
}


TEST_F(SlotListTest, ThePictureReaderRefusesWhatTheLoaderRefuses)
{
    runFrames(10);
    const std::vector<uint8_t> file = encodeState(session.machine());
    auto picture = std::make_unique<StatePicture>();
    ASSERT_TRUE(readStatePicture(file, *picture).ok);
    EXPECT_EQ(std::memcmp(picture->frame.pixels, session.machine().frame.pixels, sizeof picture->frame.pixels), 0);
    EXPECT_EQ(picture->backdrop, backdropColour(session.machine().vdp));

    // Each edit, and the loader's reason for refusing it, which the reader must give too.
    const struct {
        std::function<void(std::vector<uint8_t>&)> edit;
        const char* reason;
    } edits[] = {
        {[](auto& p) { p.push_back(0); }, "sizes of format version 2"},
        {[](auto& p) { p[8 + 42 + 1] = 'X'; }, "section MEMP is missing"}, // the second tag
        {[](auto& p) { p[p.size() - 20 - 8 - 49152 + 7] = 16; }, "a pixel"}, // in FRAM, before TIME
    };
    for (const auto& [edit, reason] : edits) {
        const std::vector<uint8_t> bad = repacked(file, edit);
        const StateResult read = readStatePicture(bad, *picture);
        EXPECT_FALSE(read.ok) << reason;
        EXPECT_NE(read.error.find(reason), std::string::npos) << read.error;
        auto into = std::make_unique<Mtx>(session.machine());
        const StateResult loaded = decodeState(bad, session.machine(), *into);
        EXPECT_FALSE(loaded.ok) << reason;
        EXPECT_NE(loaded.error.find(reason), std::string::npos) << loaded.error;
    }
}

} // namespace

namespace {

// The small picture: bytes R, G, B, A, each pixel the mean of a 2 x 2 block of the console.
TEST(SlotPicture, HalfSizeIsTheMeanOfFourInRgbaOrder)
{
    std::vector<uint32_t> console(size_t(consoleWidth) * consoleHeight, 0x00102030);
    console[0] = 0x00FF0000, console[1] = 0x0000FF00, console[consoleWidth] = 0x000000FF, console[consoleWidth + 1] = 0;
    const std::vector<uint8_t> picture = halfSizePicture(console.data());
    ASSERT_EQ(picture.size(), size_t(slotPictureWidth) * slotPictureHeight * 4);
    EXPECT_EQ(std::vector<uint8_t>(picture.begin(), picture.begin() + 4), (std::vector<uint8_t>{64, 64, 64, 255}));
    const size_t last = picture.size() - 4;
    EXPECT_EQ(std::vector<uint8_t>(picture.begin() + last, picture.end()),
              (std::vector<uint8_t>{0x10, 0x20, 0x30, 255}));
}

} // namespace
