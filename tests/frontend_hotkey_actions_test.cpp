// The program's own keys for states, time and the picture, through the key map and the
// loop as the desktop drives them: F2 and F3 save and load the current slot (a failure is
// a message and the run goes on), F4 held goes back a frame per presented frame and
// releasing it goes on live from there, F10 held lifts the speed limit, Shift+F11 mutes, F12
// writes a PNG under a name of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <stb/stb_image.h>

#include "control/control.h"
#include "control/state_slots.h"
#include "frontend/hotkey_actions.h"
#include "frontend/hotkeys.h"
#include "frontend/loop.h"
#include "frontend/screenshot_name.h"
#include "host/headless_host.h"
#include "machine/rom_set.h"
#include "video/display.h"
#include "tests/program_run_support.h"
#include "tests/support/environment_guard.h"
#include "tests/support/machine_compare.h"
#include "tests/support/scratch_files.h"

using namespace ollendor;

namespace {

constexpr int f2 = 59, f3 = 60, f4 = 61, f10 = 67, f11 = 68, f12 = 69; // USB usage ids

// The headless desktop, with the message boxes kept instead of printed.
class MessageDesktop : public HeadlessDesktop {
public:
    void showMessage(const char* caption, const char* text) override { messages.push_back({caption, text}); }
    bool pump() override
    {
        ++pumps;
        return HeadlessDesktop::pump();
    }
    unsigned pumps = 0;
    struct Message {
        std::string caption, text;
    };
    std::vector<Message> messages;
};

class QuietPlatform : public Platform {
public:
    Toolkit& toolkit() override { return kit; }
    Desktop& desktop() override { return messages; }
    AudioDevice* audioDevice() override { return nullptr; }
    bool keyDown(uint8_t) override { return false; }
    int16_t capsLockState() override { return 0; }

    MemoryToolkit kit{[] { return 0.0; }};
    MessageDesktop messages;
};

// A session on the built-in ROM, its control, a headless loop (neither shown nor paced
// unless asked) and the actions behind the key map, with slots and pictures in scratch
// folders.
class HotkeyActionsTest : public testing::Test {
protected:
    explicit HotkeyActionsTest(bool paced = false, size_t rewindCapacity = rewindDefaultCapacity)
        : rewind(rewindCapacity)
    {
        LoopSettings settings;
        settings.present = false;
        settings.paced = paced;
        settings.limited = true;
        loop = std::make_unique<Loop>(platform, control, settings);
        actions = std::make_unique<HotkeyActions>(control, *loop);
        actions->registerKeys(hotkeys);
        loop->setActions([this] { actions->carryOut(); });
    }

    // A key going down or up in the main window.
    void key(int scancode, bool down)
    {
        KeyPress press;
        press.scancode = scancode;
        press.down = down;
        EXPECT_TRUE(hotkeys.handle(press));
    }
    void tap(int scancode)
    {
        key(scancode, true);
        key(scancode, false);
    }
    void runFrames(unsigned frames)
    {
        for (unsigned i = 0; i < frames; ++i)
            control.runFrame();
    }
    // Runs the loop, calling step at every pass (after the actions); it returns false to end.
    void runLoop(std::function<bool()> step)
    {
        loop->setService(std::move(step));
        loop->run();
    }
    const std::vector<MessageDesktop::Message>& messages() { return platform.messages.messages; }

    ScratchFolder scratch;
    EnvironmentGuard dataHome{"XDG_DATA_HOME", (scratch.path() / "data").string()};
    EnvironmentGuard pictures{"XDG_PICTURES_DIR", (scratch.path() / "pictures").string()};
    QuietPlatform platform;
    Session session{builtinRomSet()};
    RewindBuffer rewind;
    Control control{session, rewind};
    HotkeyMap map;
    HotkeyDispatch hotkeys{map};
    std::unique_ptr<Loop> loop;
    std::unique_ptr<HotkeyActions> actions;
};

TEST_F(HotkeyActionsTest, F2SavesTheCurrentSlotAndF3LoadsItBack)
{
    runFrames(20);
    tap(f2);
    EXPECT_FALSE(std::filesystem::exists(*stateSlotPath(1))) << "keys only ask; the loop's pass does it";
    actions->carryOut();
    ASSERT_TRUE(std::filesystem::exists(*stateSlotPath(1)));
    const auto saved = std::make_unique<Mtx>(session.machine());

    runFrames(15);
    tap(f3);
    actions->carryOut();
    expectSameMachine(*saved, session.machine(), "loaded back with F3");
    EXPECT_EQ(control.rewindDepth(), 0u) << "the history starts afresh at a loaded state";

    // Another current slot: F2 and F3 follow it.
    actions->chooseSlot(3);
    runFrames(5);
    tap(f2);
    actions->carryOut();
    EXPECT_TRUE(std::filesystem::exists(*stateSlotPath(3)));
    EXPECT_EQ(actions->currentSlot(), 3);
    actions->chooseSlot(9); // not a slot: nothing changes
    EXPECT_EQ(actions->currentSlot(), 3);
    EXPECT_TRUE(messages().empty());
}

TEST_F(HotkeyActionsTest, FailedSavesAndLoadsAreShownAndTheRunGoesOn)
{
    // A file where the slots' folder should be.
    writeFile(scratch.path() / "data", {1, 2, 3});
    runFrames(10);
    tap(f2);
    actions->carryOut();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].caption, "Save state");
    EXPECT_NE(messages()[0].text.find("cannot save to slot 1"), std::string::npos) << messages()[0].text;

    std::filesystem::remove(scratch.path() / "data");
    const auto before = std::make_unique<Mtx>(session.machine());
    actions->askLoad(2); // nothing saved there
    actions->carryOut();
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].caption, "Load state");
    EXPECT_NE(messages()[1].text.find("Slot 2 is empty"), std::string::npos) << messages()[1].text;

    // A damaged file: refused with its name and the reason; the machine is as it was.
    std::filesystem::create_directories(stateSlotPath(2)->parent_path());
    writeFile(*stateSlotPath(2), {'O', 'L', 'L', 'S', 'T', 'A', 'T', 'E', 1, 0});
    tap(f3);
    actions->carryOut();
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_NE(messages()[2].text.find(stateSlotPath(2)->string()), std::string::npos) << messages()[2].text;
    EXPECT_NE(messages()[2].text.find("cut short"), std::string::npos) << messages()[2].text;
    expectSameMachine(*before, session.machine(), "after the refused loads");

    // And the machine runs on.
    const uint64_t frames = session.frames();
    runLoop([&] { return session.frames() < frames + 3; });
    EXPECT_EQ(session.frames(), frames + 3);
}

// Holding F4 from frame 40 for ten passes ends at frame 30, exactly the machine that was
// there; let go, the machine goes on live and is the one an uninterrupted run gives.
TEST_F(HotkeyActionsTest, RewindGoesBackAFramePerPassAndGoesOnLiveFromThere)
{
    std::unique_ptr<Mtx> at30;
    unsigned stepsBack = 0;
    bool released = false;
    runLoop([&] {
        const uint64_t frame = session.frames();
        if (!loop->rewinding() && !released && frame == 30)
            at30 = std::make_unique<Mtx>(session.machine());
        if (!loop->rewinding() && !released && frame == 40) {
            key(f4, true);
            actions->carryOut(); // held from this very pass on
            EXPECT_TRUE(loop->sound().muted()) << "silent while going back";
        }
        if (loop->rewinding()) {
            if (stepsBack == 10) {
                EXPECT_EQ(frame, 30u);
                key(f4, false);
                actions->carryOut();
                released = true;
                EXPECT_FALSE(loop->sound().muted());
            } else {
                ++stepsBack;
            }
        }
        return frame < 35 || !released;
    });
    ASSERT_TRUE(released);
    ASSERT_TRUE(at30);
    EXPECT_EQ(session.frames(), 35u);

    Session straight(builtinRomSet());
    for (int i = 0; i < 35; ++i)
        straight.runFrame();
    expectSameMachine(straight.machine(), session.machine(), "35 frames with a rewind to 30 on the way");
}

class ShortHistoryTest : public HotkeyActionsTest {
protected:
    ShortHistoryTest() : HotkeyActionsTest(false, 8) {}
};

TEST_F(ShortHistoryTest, RewindStaysAtTheOldestFrameHeld)
{
    unsigned passes = 0;
    runLoop([&] {
        if (session.frames() == 40 && !loop->rewinding() && passes == 0) {
            key(f4, true);
            actions->carryOut();
        }
        if (loop->rewinding() && ++passes == 20)
            return false;
        return true;
    });
    EXPECT_EQ(session.frames(), 40u - 7) << "eight captures: seven frames back, and no further";
    EXPECT_EQ(control.rewindDepth(), 0u);
}

class PacedShortHistoryTest : public HotkeyActionsTest {
protected:
    PacedShortHistoryTest() : HotkeyActionsTest(true, 8) {}
    // Desktop pumps over 10 passes of the loop from the next one on.
    unsigned pumpsOver10Passes()
    {
        const unsigned before = platform.messages.pumps;
        unsigned passes = 0;
        runLoop([&] { return ++passes <= 10; });
        return platform.messages.pumps - before;
    }
};

// Held at the oldest frame, nothing moves: each pass is the paused one (a pump and a rest),
// not a frame paced out in short waits that serve the desktop over and over.
TEST_F(PacedShortHistoryTest, RewindHeldAtTheOldestFrameCostsWhatAPauseDoes)
{
    runFrames(20);
    key(f4, true);
    actions->carryOut();
    unsigned passes = 0;
    runLoop([&] { return control.rewindDepth() > 0 && ++passes < 100; });
    ASSERT_EQ(control.rewindDepth(), 0u);
    const uint64_t frame = session.frames();
    const unsigned rewinding = pumpsOver10Passes();
    EXPECT_EQ(session.frames(), frame) << "held at the oldest frame, the machine stays there";
    key(f4, false);
    actions->carryOut();
    control.pause();
    EXPECT_EQ(rewinding, pumpsOver10Passes()) << "the pass at the oldest frame is the paused one";
}

class PacedTest : public HotkeyActionsTest {
protected:
    PacedTest() : HotkeyActionsTest(true) {}
    // Host time the loop takes for 15 frames (half a second at the machine's speed).
    double secondsFor15Frames(bool fastForward)
    {
        const uint64_t start = session.frames();
        key(f10, fastForward);
        const auto began = std::chrono::steady_clock::now();
        runLoop([&] { return session.frames() < start + 15; });
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    }
};

TEST_F(PacedTest, FastForwardLiftsTheSpeedLimitOnlyWhileHeld)
{
    EXPECT_LT(secondsFor15Frames(true), 0.35);
    EXPECT_TRUE(loop->fastForward());
    EXPECT_TRUE(loop->speedLimited()) << "the Timings window's setting is the user's";
    EXPECT_GE(secondsFor15Frames(false), 0.45);
    EXPECT_FALSE(loop->fastForward());
}

TEST_F(HotkeyActionsTest, ShiftF11MutesAndUnmutesAndRewindingKeepsItMuted)
{
    KeyPress mute;
    mute.scancode = f11;
    mute.shift = true;
    mute.down = true;
    KeyPress plain = mute;
    plain.shift = false;
    EXPECT_FALSE(hotkeys.handle(plain)) << "F11 alone is the full-screen key";
    EXPECT_TRUE(hotkeys.handle(mute));
    actions->carryOut();
    EXPECT_TRUE(loop->muted());
    EXPECT_TRUE(loop->sound().muted());
    runFrames(10);
    key(f4, true);
    actions->carryOut();
    key(f4, false);
    actions->carryOut();
    EXPECT_TRUE(loop->sound().muted()) << "let go of rewinding, the user's mute holds";
    EXPECT_TRUE(hotkeys.handle(mute));
    actions->carryOut();
    EXPECT_FALSE(loop->muted());
    EXPECT_FALSE(loop->sound().muted());
}

TEST_F(HotkeyActionsTest, F12WritesThePictureUnderANameOfItsOwn)
{
    runFrames(20);
    tap(f12);
    tap(f12);
    actions->carryOut();
    EXPECT_TRUE(messages().empty()) << messages()[0].text;
    const std::filesystem::path folder = scratch.path() / "pictures" / "ollendor";
    std::vector<std::filesystem::path> written;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        written.push_back(file.path());
    ASSERT_EQ(written.size(), 2u) << "two screenshots, two files";
    EXPECT_EQ(actions->lastScreenshot().parent_path(), folder);
    const std::regex name(R"(ollendor-\d{4}-\d\d-\d\d-\d\d-\d\d-\d\d(-\d+)?\.png)");
    for (const auto& file : written) {
        EXPECT_TRUE(std::regex_match(file.filename().string(), name)) << file;
        int width = 0, height = 0, channels = 0;
        unsigned char* pixels = stbi_load(file.c_str(), &width, &height, &channels, 3);
        ASSERT_NE(pixels, nullptr) << file;
        EXPECT_EQ(width, consoleWidth);
        EXPECT_EQ(height, consoleHeight);
        const uint32_t border = displayPalette[backdropColour(session.machine().vdp)];
        EXPECT_EQ(uint32_t(pixels[0] << 16 | pixels[1] << 8 | pixels[2]), border) << "the border's colour";
        stbi_image_free(pixels);
    }
}

TEST_F(HotkeyActionsTest, AScreenshotThatCannotBeWrittenIsShown)
{
    writeFile(scratch.path() / "pictures", {0}); // a file where the folder should be
    tap(f12);
    actions->carryOut();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].caption, "Screenshot");
    EXPECT_NE(messages()[0].text.find((scratch.path() / "pictures" / "ollendor").string()), std::string::npos)
        << messages()[0].text;
    EXPECT_TRUE(actions->lastScreenshot().empty());
}

// A full disk: the picture cannot be written, which is shown, and nothing is left behind
// (neither the name that was held nor a temporary file).
TEST_F(HotkeyActionsTest, AScreenshotOnAFullDiskLeavesNothingBehind)
{
    programtest::TinyDisk disk(64);
    OLLENDOR_NEED_TINY_DISK(disk);
    EnvironmentGuard onDisk("XDG_PICTURES_DIR", disk.path().string());
    std::filesystem::create_directories(disk.path() / "ollendor");
    disk.fill();
    runFrames(30);
    tap(f12);
    actions->carryOut();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].text.find("No space left on device"), std::string::npos) << messages()[0].text;
    EXPECT_TRUE(std::filesystem::is_empty(disk.path() / "ollendor"));
}

TEST(ScreenshotName, DateAndTimeThenANumberWhenTaken)
{
    ScratchFolder folder;
    std::tm when{};
    when.tm_year = 126, when.tm_mon = 11, when.tm_mday = 7, when.tm_hour = 11, when.tm_min = 42, when.tm_sec = 5;
    std::string why;
    auto take = [&] { return takeScreenshotName(folder.path(), when, why).value_or("none").filename().string(); };
    EXPECT_EQ(take(), "ollendor-2026-12-07-11-42-05.png");
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "ollendor-2026-12-07-11-42-05.png")) << "the name is held";
    EXPECT_EQ(take(), "ollendor-2026-12-07-11-42-05-2.png");
    std::filesystem::create_symlink(folder.path() / "gone", folder.path() / "ollendor-2026-12-07-11-42-05-3.png");
    EXPECT_EQ(take(), "ollendor-2026-12-07-11-42-05-4.png") << "a dangling link is a name taken";
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "gone")) << "nothing written through the link";

    EXPECT_FALSE(takeScreenshotName(folder.path() / "missing", when, why));
    EXPECT_NE(why.find("No such file"), std::string::npos) << why;
}

TEST(ScreenshotName, PicturesFolderFromTheUserDirsFile)
{
    const std::filesystem::path home = "/home/ann";
    const struct {
        const char* text;
        const char* folder; // null: none
    } cases[] = {
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/ann/Pictures"},
        {"# XDG_PICTURES_DIR=\"/nope\"\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_PICTURES_DIR=\"/srv/Bilder\"", "/srv/Bilder"},
        {"XDG_PICTURES_DIR=\"$HOME\"\n", "/home/ann"},
        {"XDG_PICTURES_DIR=\"$HOME/My \\\"Pics\\\"\"\n", "/home/ann/My \"Pics\""},
        {"XDG_PICTURES_DIR=\"Pictures\"\n", nullptr},       // relative: ignored
        {"XDG_PICTURES_DIR=$HOME/Pictures\n", nullptr},     // not quoted
        {"XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n", nullptr},    // another variable
        {"XDG_PICTURES_DIR=\"/open\n", nullptr},            // no closing quote
        {"XDG_MUSIC_DIR=\"$HOME/Music\"\n", nullptr},
    };
    for (const auto& [text, folder] : cases) {
        const auto found = picturesFolderFromUserDirs(text, home);
        if (folder) {
            ASSERT_TRUE(found) << text;
            EXPECT_EQ(*found, folder) << text;
        } else {
            EXPECT_FALSE(found) << text << " gave " << *found;
        }
    }
}

TEST(ScreenshotName, TheEnvironmentThenUserDirsThenTheCurrentFolder)
{
    ScratchFolder config;
    writeFile(config.path() / "user-dirs.dirs",
              {'X', 'D', 'G', '_', 'P', 'I', 'C', 'T', 'U', 'R', 'E', 'S', '_', 'D', 'I', 'R', '=', '"', '/',
               'p', '"', '\n'});
    EnvironmentGuard configHome("XDG_CONFIG_HOME", config.path().string());
    {
        EnvironmentGuard pictures("XDG_PICTURES_DIR", std::string("/srv/shots"));
        EXPECT_EQ(screenshotFolder(), "/srv/shots/ollendor");
    }
    {
        EnvironmentGuard pictures("XDG_PICTURES_DIR", std::string("relative"));
        EXPECT_EQ(screenshotFolder(), "/p/ollendor");
    }
    EnvironmentGuard pictures("XDG_PICTURES_DIR", std::nullopt);
    EXPECT_EQ(screenshotFolder(), "/p/ollendor");
    std::filesystem::remove(config.path() / "user-dirs.dirs");
    EXPECT_EQ(screenshotFolder(), ".");
}

} // namespace
