// The Machine and Help menus driven as a user does, in a bare ImGui context over a headless
// loop: each item is found by its text and clicked; files are chosen in the in-window
// chooser by typing a name and pressing Enter; what an item asks is done by the loop's
// actions, and a notice says so.
#include "tests/debug_views_support.h"

#include <memory>

#include "frontend/hotkey_actions.h"
#include "frontend/loop.h"
#include "frontend/machine_menu.h"
#include "frontend/notices.h"
#include "frontend/window_drawing.h"
#include "host/headless_host.h"
#include "tests/support/environment_guard.h"
#include "tests/support/menu_clicks.h"
#include "tests/support/scratch_files.h"

using namespace ollendor;

namespace {

class BoxDesktop : public HeadlessDesktop {
public:
    void showMessage(const char* caption, const char* text) override { boxes.push_back(std::string(caption) + ": " + text); }
    std::vector<std::string> boxes;
};

class MenuPlatform : public Platform {
public:
    Toolkit& toolkit() override { return kit; }
    Desktop& desktop() override { return desktop_; }
    AudioDevice* audioDevice() override { return nullptr; }
    bool keyDown(uint8_t) override { return false; }
    int16_t capsLockState() override { return 0; }

    MemoryToolkit kit{[] { return 0.0; }};
    BoxDesktop desktop_;
};

LoopSettings quietLoop()
{
    LoopSettings settings;
    settings.present = false;
    settings.paced = false;
    return settings;
}

class MachineMenuTest : public BareImGui {
protected:
    MachineMenuTest()
        : BareImGui(ImVec2(1366, 768)), loop(platform, rig.control, quietLoop()), actions(rig.control, loop),
          tapes(rig.control, settings), machine(rig.control, actions, tapes, settings, keys, notices),
          help(keys)
    {
        drawing.addPart(machine);
        drawing.addPart(help);
        drawing.addPart(notices);
        actions.setNotify([this](const std::string& text, bool error) { notices.show(text, error); });
        tapes.setNotify([this](const std::string& text, bool error) { notices.show(text, error); });
    }

    std::function<void()> drawn()
    {
        return [this] { drawing.drawMenuBar("Stuff", {}); };
    }
    void oneFrame() { frame(drawn()); }
    bool choose(const char* menu, const char* item)
    {
        MenuClicks menus([this] { oneFrame(); });
        return menus.choose(menu, item);
    }
    // Types into the chooser's name field and presses Enter.
    void answer(const std::filesystem::path& path)
    {
        ASSERT_TRUE(machine.chooser().active());
        oneFrame();
        type(path.c_str(), drawn());
        press(enterKey, drawn());
        oneFrame();
        EXPECT_FALSE(machine.chooser().active());
    }

    EnvironmentGuard window{"OLLENDOR_FILE_DIALOG", "window"};
    ScratchFolder scratch;
    ControlRig rig;
    MenuPlatform platform;
    Loop loop;
    HotkeyActions actions;
    Settings settings;
    HotkeyMap keys;
    TapesWindow tapes;
    Notices notices;
    MachineMenu machine;
    HelpMenu help;
    FrontendDrawing drawing;
};

} // namespace

TEST_F(MachineMenuTest, SaveStateAndLoadStateGoThroughAFileChosenInTheWindow)
{
    for (int i = 0; i < 30; ++i)
        rig.control.runFrame();
    const Z80State saved = rig.machine().cpu;
    const uint64_t savedFrames = rig.machine().timing.frames;
    const std::filesystem::path file = scratch.path() / "mine.state";
    oneFrame();
    ASSERT_TRUE(choose("Machine", "Save state..."));
    answer(file);
    actions.carryOut();
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(notices.text(), "State saved to mine.state");

    for (int i = 0; i < 30; ++i)
        rig.control.runFrame();
    ASSERT_TRUE(choose("Machine", "Load state..."));
    answer(file);
    actions.carryOut();
    EXPECT_EQ(rig.machine().timing.frames, savedFrames);
    EXPECT_EQ(rig.machine().cpu.PC, saved.PC);
    EXPECT_EQ(notices.text(), "State loaded from mine.state");

    // A file that is not a state: said in a box and a red notice; the machine is kept.
    const std::filesystem::path junk = scratch.path() / "junk";
    writeFile(junk, {1, 2, 3});
    ASSERT_TRUE(choose("Machine", "Load state..."));
    answer(junk);
    actions.carryOut();
    EXPECT_EQ(rig.machine().timing.frames, savedFrames);
    EXPECT_TRUE(notices.isError());
    ASSERT_EQ(platform.desktop_.boxes.size(), 1u);
}

TEST_F(MachineMenuTest, ResetPauseAndContinue)
{
    for (int i = 0; i < 30; ++i)
        rig.control.runFrame();
    oneFrame();
    ASSERT_TRUE(choose("Machine", "Reset"));
    actions.carryOut();
    EXPECT_EQ(rig.machine().timing.frames, 0u);
    EXPECT_EQ(rig.machine().cpu.PC, 0);
    EXPECT_EQ(notices.text(), "Reset");

    ASSERT_TRUE(choose("Machine", "Pause"));
    EXPECT_TRUE(rig.control.paused());
    // The notice asks for frames to be presented while it shows, paused or not.
    EXPECT_EQ(notices.text(), "Paused");
    ImGui::NewFrame();
    EXPECT_TRUE(drawing.drawMenuBar("Stuff", {}).redraw) << "a frame is presented after the command while paused";
    ImGui::Render();
    ASSERT_TRUE(choose("Machine", "Continue"));
    EXPECT_FALSE(rig.control.paused());
}

TEST_F(MachineMenuTest, OpenTapeMountsTheFileAndRecentTapesMountsItAgain)
{
    const std::filesystem::path tape = scratch.path() / "GAME";
    writeFile(tape, std::vector<uint8_t>(64, 0x55));
    oneFrame();
    ASSERT_TRUE(choose("Machine", "Open tape..."));
    answer(tape);
    EXPECT_EQ(rig.control.session().mountedTape(), std::filesystem::absolute(tape));
    EXPECT_EQ(notices.text(), "Tape mounted: GAME");
    tapes.unmount();
    ASSERT_EQ(settings.recentTapes.size(), 1u);
    MenuClicks menus([this] { oneFrame(); });
    ASSERT_TRUE(menus.open("Machine"));
    ASSERT_TRUE(menus.clickItem("Recent tapes")); // opens the submenu
    ASSERT_TRUE(menus.clickItem("GAME"));
    EXPECT_EQ(rig.control.session().mountedTape(), std::filesystem::absolute(tape));
}

TEST_F(MachineMenuTest, EscapeCancelsTheChooser)
{
    oneFrame();
    ASSERT_TRUE(choose("Machine", "Open tape..."));
    oneFrame();
    ASSERT_TRUE(machine.chooser().active());
    press(escapeKey, drawn());
    oneFrame();
    EXPECT_FALSE(machine.chooser().active());
    EXPECT_FALSE(rig.control.session().mountedTape().has_value());
}

TEST_F(MachineMenuTest, ARomFolderWithTheImagesIsUsedFromAReset)
{
    const std::filesystem::path empty = scratch.path() / "nothing";
    std::filesystem::create_directories(empty);
    oneFrame();
    ASSERT_TRUE(choose("Machine", "ROM folder..."));
    ASSERT_TRUE(machine.chooser().active());
    machine.chooser().cancel();
    EXPECT_FALSE(machine.useRomFolder(empty));
    EXPECT_TRUE(notices.isError());
    EXPECT_TRUE(rig.control.session().roms().builtin);

    const std::filesystem::path roms = scratch.path() / "roms";
    std::filesystem::create_directories(roms);
    for (const char* name : {"osrom", "basicrom", "assemrom"})
        writeFile(roms / name, std::vector<uint8_t>(8192, 0));
    for (int i = 0; i < 5; ++i)
        rig.control.runFrame();
    // Through the chooser, which starts in the folder last used: "Use this folder".
    settings.romFolder = roms;
    ASSERT_TRUE(choose("Machine", "ROM folder..."));
    oneFrame();
    EXPECT_EQ(machine.chooser().folder(), roms);
    MenuClicks buttons([this] { oneFrame(); });
    ASSERT_TRUE(buttons.clickItem("Use this folder"));
    actions.carryOut();
    EXPECT_FALSE(rig.control.session().roms().builtin);
    EXPECT_EQ(settings.romFolder, roms);
    EXPECT_EQ(rig.machine().timing.frames, 0u) << "reset with the new ROMs";
}

TEST_F(MachineMenuTest, HelpShowsTheKeysAndAsksForAbout)
{
    oneFrame();
    ASSERT_TRUE(choose("Help", "Keys"));
    EXPECT_TRUE(help.keysShown());
    oneFrame();
    EXPECT_NE(ImGui::FindWindowByName("Keys"), nullptr);
    ASSERT_TRUE(choose("Help", "About"));
    EXPECT_TRUE(help.takeAbout());
    EXPECT_FALSE(help.takeAbout());
}

TEST_F(MachineMenuTest, ANoticeFadesAndGoesAndAnErrorStaysLonger)
{
    ImGuiIO& io = ImGui::GetIO();
    for (const bool error : {false, true}) {
        notices.show("Sound off", error);
        oneFrame();
        EXPECT_EQ(notices.opacity(), 1.0f);
        EXPECT_NE(ImGui::FindWindowByName("##notice"), nullptr);
        io.DeltaTime = float(Notices::seconds) - 0.25f;
        oneFrame();
        EXPECT_EQ(notices.text().empty(), false);
        if (error)
            EXPECT_EQ(notices.opacity(), 1.0f) << "an error is not fading yet";
        else
            EXPECT_LT(notices.opacity(), 0.6f) << "fading";
        io.DeltaTime = float(Notices::errorSeconds - Notices::seconds) + 0.5f;
        oneFrame();
        EXPECT_TRUE(notices.text().empty());
        EXPECT_FALSE(notices.wantsRedraw());
        io.DeltaTime = 1.0f / 60;
    }
}

TEST_F(MachineMenuTest, LoadBinaryPutsTheChosenFileWhereTheDialogSays)
{
    for (int i = 0; i < 30; ++i)
        rig.control.runFrame();
    const std::filesystem::path file = scratch.path() / "code.bin";
    const std::vector<uint8_t> bytes{0x3E, 0x2A, 0x76, 0x01, 0x02};
    writeFile(file, bytes);
    auto at = [this](uint16_t address) { return memRead(rig.machine().memory, address); };
    auto typeAnswer = [this](const char* text) {
        oneFrame();
        // The address field has the keyboard: its text replaced by what is typed.
        for (int i = 0; i < 8; ++i)
            press(backspaceKey, drawn());
        type(text, drawn());
        press(enterKey, drawn());
        oneFrame();
    };

    // An address that is no address, then one the file does not fit after: said in the
    // dialog, which stays open, and memory is left alone.
    const uint16_t pc = rig.machine().cpu.PC;
    oneFrame();
    ASSERT_TRUE(choose("Machine", "Load binary..."));
    answer(file);
    oneFrame();
    ASSERT_TRUE(machine.binaryDialogOpen());
    typeAnswer("nowhere");
    EXPECT_TRUE(machine.binaryDialogOpen());
    EXPECT_NE(machine.binaryError().find("nowhere"), std::string::npos) << machine.binaryError();
    typeAnswer("0xFFFE");
    EXPECT_TRUE(machine.binaryDialogOpen());
    EXPECT_NE(machine.binaryError().find("code.bin"), std::string::npos) << "[" << machine.binaryError() << "]";

    // At 0x9000: the bytes are there, the CPU goes on where it was, a notice says so.
    typeAnswer("0x9000");
    EXPECT_FALSE(machine.binaryDialogOpen());
    for (size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(at(uint16_t(0x9000 + i)), bytes[i]) << i;
    EXPECT_EQ(rig.machine().cpu.PC, pc);
    EXPECT_EQ(notices.text(), "5 bytes of code.bin loaded at 9000");

    // With a start, the CPU goes on from there.
    EXPECT_TRUE(machine.loadBinary("$A000", "0xA000")) << machine.binaryError();
    EXPECT_EQ(at(0xA000), 0x3E);
    EXPECT_EQ(rig.machine().cpu.PC, 0xA000);
}
