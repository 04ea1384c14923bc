// The console's open, close and full-screen toggle, the menu's commands and the About box,
// on a recording in-memory console and a recording desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/main_window.h"
#include "host/toolkit_memory.h"
#include "tests/support/recording_console.h"

using namespace ollendor;


namespace {
class RecordingDesktop : public Desktop {
public:
    AppWindow& createMainWindow(const char*, std::span<const MenuEntry> items,
                                std::function<void(int)> handler) override
    {
        menu.assign(items.begin(), items.end());
        onCommand = std::move(handler);
        return window;
    }
    bool infoWindowOpen(InfoWindow kind) override { return open[int(kind)]; }
    void openInfoWindow(InfoWindow kind) override
    {
        open[int(kind)] = true;
        opened.push_back(kind);
    }
    void showMessage(const char* caption, const char* text) override
    {
        messages.push_back({caption, text});
    }
    void postQuit() override { ++quits; }
    bool pump() override { return quits == 0; }
    void setInfoSource(InfoSource&) override {}
    void destroyMainWindow() override {}

    MemoryWindow window{"Ollendor"};
    std::vector<MenuEntry> menu;
    std::function<void(int)> onCommand;
    bool open[infoWindowCount] = {};
    std::vector<InfoWindow> opened;
    std::vector<std::pair<std::string, std::string>> messages;
    int quits = 0;
};

class ConsoleAndMenu : public ::testing::Test {
protected:
    void SetUp() override { installToolkit(kit); }
    RecordingConsole& console() { return kit.recordingConsole; }

    RecordingToolkit kit;
    RecordingDesktop desktop;
};

TEST_F(ConsoleAndMenu, OpenSetsTheOptionsAroundTheOpenInOrder)
{
    AppWindow& window = createMainWindow(desktop);
    openConsole(window, 1);
    EXPECT_EQ(console().optionLog,
              (std::vector<std::string>{"windowed output", "unsynchronized update", "disable key buffering"}));
    EXPECT_FALSE(console().openedWith.fullscreen);
    EXPECT_TRUE(console().openedWith.unsynchronized);
    EXPECT_FALSE(console().options.keyBuffering);
    EXPECT_EQ(&console().window(), &window);
    EXPECT_EQ(windowedOutput, 1);
}

TEST_F(ConsoleAndMenu, FallsBackToAWindowOfItsOwnOnlyWhenTheWindowRefuses)
{
    console().refuseNextOpenInWindow = true;
    openConsole(desktop.window, 1);
    auto* own = dynamic_cast<MemoryWindow*>(&console().window());
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, &desktop.window);
    EXPECT_EQ(own->title, "Vostrel");
    EXPECT_EQ(console().optionLog.back(), "disable key buffering"); // set after either open
}

TEST_F(ConsoleAndMenu, AFailureOfBothOpensReachesTheCaller)
{
    openConsole(desktop.window, 1);
    // Already open: the open in the window and the titled open both fail.
    EXPECT_THROW(openConsole(desktop.window, 1), DynamicError);
}

TEST_F(ConsoleAndMenu, AltFTogglesFullScreenAndBackOnTheSameWindow)
{
    createMainWindow(desktop);
    openConsole(desktop.window, 1);
    desktop.onCommand(menuCommand::fullscreen);
    EXPECT_EQ(windowedOutput, 0);
    EXPECT_TRUE(console().openedWith.fullscreen);
    EXPECT_EQ(&console().window(), &desktop.window);
    EXPECT_EQ(console().opens, 2u);

    desktop.onCommand(menuCommand::fullscreen);
    EXPECT_EQ(windowedOutput, 1);
    EXPECT_FALSE(console().openedWith.fullscreen);
    EXPECT_EQ(console().opens, 3u);
}

TEST_F(ConsoleAndMenu, MenuHoldsTheSixItemsInOrder)
{
    createMainWindow(desktop);
    const char* texts[] = {"Sound", "Video chip", "Timings", "Fullscreen (alt-f)", "About", "Quit"};
    ASSERT_EQ(desktop.menu.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_STREQ(desktop.menu[i].text, texts[i]);
}

TEST_F(ConsoleAndMenu, InformationWindowsOpenOnceAndAgainAfterClosing)
{
    onMenuCommand(menuCommand::timings, desktop);
    onMenuCommand(menuCommand::timings, desktop); // already open: nothing
    onMenuCommand(menuCommand::sound, desktop);
    onMenuCommand(menuCommand::videoChip, desktop);
    EXPECT_EQ(desktop.opened, (std::vector<InfoWindow>{InfoWindow::timings, InfoWindow::sound,
                                                       InfoWindow::videoChip}));
    desktop.open[int(InfoWindow::timings)] = false; // the user closed it
    onMenuCommand(menuCommand::timings, desktop);
    EXPECT_EQ(desktop.opened.size(), 4u);
}

TEST_F(ConsoleAndMenu, QuitPostsQuitAndUnknownCommandsDoNothing)
{
    onMenuCommand(menuCommand::quit, desktop);
    EXPECT_EQ(desktop.quits, 1);
    onMenuCommand(6, desktop);
    onMenuCommand(-1, desktop);
    EXPECT_EQ(desktop.quits, 1);
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ConsoleAndMenu, AboutBoxShowsNameReleaseCreditsAndThanks)
{
    onMenuCommand(menuCommand::about, desktop);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].first, "About Ollendor...");
    const std::string body = desktop.messages[0].second;
    EXPECT_EQ(body.rfind("Ollendor - Release 1\r\n\r\nCredits:\r\n", 0), 0u);
    const auto thanksAt = body.find("\r\n\r\nThanks to:\r\n");
    ASSERT_NE(thanksAt, std::string::npos);
    EXPECT_LT(body.size(), aboutTextSize); // fits with its terminating zero

    // Credits and thanks: two lines each of "name - role"; the testers on the last line.
    const std::string credits = body.substr(std::strlen("Ollendor - Release 1\r\n\r\nCredits:\r\n"),
                                            thanksAt - std::strlen("Ollendor - Release 1\r\n\r\nCredits:\r\n"));
    const std::string thanks = body.substr(thanksAt + std::strlen("\r\n\r\nThanks to:\r\n"));
    for (const std::string& text : {credits, thanks}) {
        const auto split = text.find("\r\n");
        ASSERT_NE(split, std::string::npos);
        EXPECT_NE(text.substr(0, split).find(" - "), std::string::npos) << text;
        EXPECT_NE(text.substr(split + 2).find(" - "), std::string::npos) << text;
        EXPECT_EQ(text.find("\r\n", split + 2), std::string::npos) << text;
    }
    const std::string testers = thanks.substr(thanks.find("\r\n") + 2);
    EXPECT_EQ(testers.substr(testers.size() - std::strlen(" - testing")), " - testing");
    EXPECT_EQ(std::count(testers.begin(), testers.end(), ','), 2);
}

TEST(MemoryToolkit, MisuseOfTheConsoleIsADynamicError)
{
    MemoryToolkit kit{[] { return 0.0; }};
    MemoryConsole& console = kit.memoryConsole;
    MemoryWindow window{"w"};
    EXPECT_THROW(console.lock(), DynamicError);
    EXPECT_THROW(console.update(), DynamicError);
    EXPECT_THROW(console.window(), DynamicError);
    EXPECT_THROW(console.setOption("triple buffering"), DynamicError);
    EXPECT_THROW(console.open(window, 640, 400, consoleFormat), DynamicError);
    EXPECT_THROW(console.open(window, 320, 200, PixelFormat{16, 0xF800, 0x7E0, 0x1F, 0}), DynamicError);
    console.open(window, 320, 200, consoleFormat);
    console.lock();
    EXPECT_THROW(console.lock(), DynamicError);
    EXPECT_THROW(console.update(), DynamicError);
    console.unlock();
    EXPECT_THROW(console.unlock(), DynamicError);
    console.clear(Colour{0.0f, 0.0f, 1.0f, 1.0f});
    console.update();
    EXPECT_EQ(console.shown(319, 199), 0x0000FFu);
}

TEST(MemoryToolkit, TimersCountFromStartAndFromASetTime)
{
    double now = 5.0;
    MemoryToolkit kit{[&now] { return now; }};
    auto timer = kit.createTimer();
    timer->start();
    now = 5.25;
    EXPECT_DOUBLE_EQ(timer->time(), 0.25);
    timer->setTime(0.0);
    now = 5.5;
    EXPECT_DOUBLE_EQ(timer->time(), 0.25);
}

TEST(Colours, PackIntoConsolePixelsClamped)
{
    EXPECT_EQ(packColour(Colour{0.0f, 1.0f, 0.0f, 1.0f}), 0x00FF00u);
    EXPECT_EQ(packColour(Colour{1.0f, 0.5f, 0.2f, 0.0f}), 0xFF8033u);
    EXPECT_EQ(packColour(Colour{-1.0f, 2.0f, 0.0f, 1.0f}), 0x00FF00u);
}
} // namespace
