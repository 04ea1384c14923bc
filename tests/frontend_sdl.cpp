// The SDL side against SDL's offscreen video driver: the console texture and its options,
// the picture's placement, the accelerator, the key map and the desktop's event pump with
// the front end's drawing in its windows.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>

#include <SDL.h>
#include <imgui.h>

#include "frontend/window_drawing.h"
#include "debug/info_text.h"
#include "host/quit_signal.h"
#include "host/sdl/sdl_desktop.h"
#include "host/sdl/sdl_keys.h"
#include "host/sdl/sdl_platform.h"
#include "host/sdl/sdl_toolkit.h"
#include "machine/keyboard.h"
#include "video/vdp.h"
#include "tests/support/sdl_leaks.h"

using namespace ollendor;

namespace {

class SdlOffscreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ignoreSdlAllocations(true);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        installToolkit(*toolkitOwner);
    }
    void TearDown() override
    {
        toolkitOwner.reset(); // its windows go before SDL's video
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        ignoreSdlAllocations(false);
    }

    // A platform at scale 1 with the front end's drawing.
    std::unique_ptr<Platform> platform()
    {
        PlatformSettings settings;
        settings.scale = 1;
        return createSdlPlatform(settings, drawing);
    }

    FrontendDrawing drawing;
    std::unique_ptr<SdlToolkit> toolkitOwner = std::make_unique<SdlToolkit>(1);
    SdlToolkit& kit = *toolkitOwner;
};

// What the information windows show, with the speed setting on record.
class FixedInfoSource : public InfoSource {
public:
    FixedInfoSource() { vdpReset(vdp); }
    InfoSources infoSources() override
    {
        ++reads;
        return InfoSources{4000000, vdp, ToneSettings{}};
    }
    bool speedLimited() override { return limited; }
    void setSpeedLimited(bool value) override { limited = value; }

    VdpState vdp;
    bool limited = true; // the setting the Timings window shows
    int reads = 0;       // infoSources() calls: the windows' paints
};

TEST_F(SdlOffscreen, ConsolePresentsLockedPixelsAsRedGreenBlue)
{
    SdlWindow window("Ollendor", consoleWidth, consoleHeight);
    SdlConsole& console = kit.sdlConsole;
    console.setOption("windowed output");
    console.open(window, consoleWidth, consoleHeight, consoleFormat);
    EXPECT_EQ(&console.window(), &window);

    uint32_t* pixels = console.lock();
    const int pitch = console.pitch();
    ASSERT_GE(pitch, consoleWidth * 4);
    for (int y = 0; y < consoleHeight; ++y)
        for (int x = 0; x < consoleWidth; ++x)
            reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(pixels) + y * pitch)[x] =
                x < 160 ? 0xFF0000 : 0x0000CC;
    console.unlock();
    console.update();

    uint32_t shown[2] = {};
    const SDL_Rect left{10, 100, 1, 1}, right{300, 100, 1, 1};
    ASSERT_EQ(SDL_RenderReadPixels(window.renderer(), &left, SDL_PIXELFORMAT_ARGB8888, &shown[0], 4), 0);
    ASSERT_EQ(SDL_RenderReadPixels(window.renderer(), &right, SDL_PIXELFORMAT_ARGB8888, &shown[1], 4), 0);
    EXPECT_EQ(shown[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown[1] & 0xFFFFFF, 0x0000CCu);
    console.close(); // before its window goes
}

// Full screen and back reopens the console on a new, empty texture, and the window may be
// presented (by the pacing's wait) before the next frame is drawn. A still picture drawn
// again after that is the same as before the reopen, and still has to reach the texture.
TEST_F(SdlOffscreen, AReopenedConsoleShowsAnUnchangedPictureAgain)
{
    SdlWindow window("Ollendor", consoleWidth, consoleHeight);
    SdlConsole& console = kit.sdlConsole;
    auto drawGreen = [&console] {
        uint32_t* pixels = console.lock();
        for (int i = 0; i < consoleWidth * consoleHeight; ++i)
            pixels[i] = 0x00CC00;
        console.unlock();
        console.update();
    };
    auto shown = [&window] {
        uint32_t pixel = 0;
        const SDL_Rect at{160, 100, 1, 1};
        EXPECT_EQ(SDL_RenderReadPixels(window.renderer(), &at, SDL_PIXELFORMAT_ARGB8888, &pixel, 4), 0);
        return pixel & 0xFFFFFF;
    };
    console.open(window, consoleWidth, consoleHeight, consoleFormat);
    drawGreen();
    EXPECT_EQ(shown(), 0x00CC00u);

    console.close();
    console.open(window, consoleWidth, consoleHeight, consoleFormat);
    console.update(); // the empty texture, presented while waiting
    drawGreen();
    EXPECT_EQ(shown(), 0x00CC00u);
    console.close();
}

TEST_F(SdlOffscreen, OptionsTakeEffectAtTheOpen)
{
    SdlWindow window("Ollendor", consoleWidth, consoleHeight);
    SdlConsole& console = kit.sdlConsole;
    console.setOption("fullscreen output");
    console.open(window, consoleWidth, consoleHeight, consoleFormat);
    EXPECT_TRUE(SDL_GetWindowFlags(window.window()) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    console.setOption("disable key buffering");
    EXPECT_FALSE(SDL_IsTextInputActive());

    console.close();
    console.setOption("windowed output");
    console.open(window, consoleWidth, consoleHeight, consoleFormat);
    EXPECT_FALSE(SDL_GetWindowFlags(window.window()) & SDL_WINDOW_FULLSCREEN);
    EXPECT_FALSE(SDL_IsTextInputActive()); // the setting stays for later opens
    console.close();
}

TEST_F(SdlOffscreen, MisuseAndForeignWindowsAreDynamicErrors)
{
    SdlConsole& console = kit.sdlConsole;
    AppWindow foreign;
    EXPECT_THROW(console.open(foreign, consoleWidth, consoleHeight, consoleFormat), DynamicError);
    EXPECT_THROW(console.lock(), DynamicError);
    EXPECT_THROW(console.setOption("double buffering"), DynamicError);

    console.openTitled("Vostrel", consoleFormat);
    auto* own = dynamic_cast<SdlWindow*>(&console.window());
    ASSERT_NE(own, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(own->window()), "Vostrel");
    EXPECT_THROW(console.openTitled("Vostrel", consoleFormat), DynamicError);
    console.lock();
    EXPECT_THROW(console.update(), DynamicError);
    EXPECT_THROW(console.clear(Colour{0, 1, 0, 1}), DynamicError);
    console.unlock();
    console.clear(Colour{0, 1, 0, 1});
    console.update();
}

TEST_F(SdlOffscreen, DesktopServesInformationWindowsAndTheAccelerator)
{
    SdlDesktop desktop(1, drawing);
    FixedInfoSource source;
    desktop.setInfoSource(source);
    std::vector<int> commands;
    const MenuEntry items[] = {{"Quit", 5}};
    auto& window = dynamic_cast<MainWindow&>(
        desktop.createMainWindow("Stuff", items, [&commands](int command) { commands.push_back(command); }));
    EXPECT_STREQ(SDL_GetWindowTitle(window.window()), "Ollendor");

    desktop.openInfoWindow(InfoWindow::timings);
    ASSERT_TRUE(desktop.infoWindowOpen(InfoWindow::timings));
    EXPECT_FALSE(desktop.infoWindowOpen(InfoWindow::sound));
    EXPECT_GE(source.reads, 1); // painted from the source as it opened
    EXPECT_TRUE(desktop.pump());

    // Closing the Timings window clears its flag; the speed setting is left as it is.
    source.limited = false;
    SDL_Window* timings = nullptr;
    for (Uint32 id = 1; id < 16 && !timings; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id); w && w != window.window())
            timings = w;
    ASSERT_NE(timings, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(timings), "Ollendor");
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(timings);
    SDL_PushEvent(&close);
    EXPECT_TRUE(desktop.pump());
    EXPECT_FALSE(desktop.infoWindowOpen(InfoWindow::timings));
    EXPECT_FALSE(source.limited);

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = window.id();
    key.key.keysym.sym = SDLK_f;
    key.key.keysym.scancode = SDL_SCANCODE_F;
    key.key.keysym.mod = KMOD_LALT;
    SDL_PushEvent(&key);
    EXPECT_TRUE(desktop.pump());
    EXPECT_EQ(commands, std::vector<int>{MainWindow::acceleratorCommand});

    // Closing the main window ends the run.
    close.window.windowID = window.id();
    SDL_PushEvent(&close);
    EXPECT_FALSE(desktop.pump());
}

// A key pressed in the window (down only: ImGui sees a key that is down at a frame).
SDL_Event keyDown(Uint32 windowId, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod)
{
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = windowId;
    key.key.keysym.sym = sym;
    key.key.keysym.scancode = scancode;
    key.key.keysym.mod = mod;
    return key;
}

SDL_Event keyUp(Uint32 windowId, SDL_Keycode sym, SDL_Scancode scancode)
{
    SDL_Event key = keyDown(windowId, sym, scancode, KMOD_NONE);
    key.type = SDL_KEYUP;
    return key;
}

// A message box of the emulation (the tape trap's "File not found") holds nothing up:
// showMessage returns at once, the pump goes on drawing the window and handing over the
// program's keys (F2) and the accelerator while the box is up, and a quit request (the
// desktop's, closing the window, SIGTERM) ends the run with the box still open.
TEST_F(SdlOffscreen, AnOpenMessageBoxLeavesThePumpAndItsKeysAndQuitAtWork)
{
    enum class Quit { sdlQuit, windowClosed, signal };
    installQuitSignals();
    for (Quit quit : {Quit::sdlQuit, Quit::windowClosed, Quit::signal}) {
        SCOPED_TRACE(int(quit));
        auto platform = this->platform();
        Desktop& desktop = platform->desktop();
        std::vector<int> commands;
        std::vector<KeyPress> keys;
        const MenuEntry items[] = {{"Quit", 5}};
        auto& window = dynamic_cast<MainWindow&>(desktop.createMainWindow(
            "Stuff", items, [&commands](int command) { commands.push_back(command); }));
        desktop.setKeyHandler([&keys](const KeyPress& key) { keys.push_back(key); });
        const Uint32 id = window.id();
        EXPECT_TRUE(desktop.pump());
        EXPECT_FALSE(desktop.messageOpen());

        desktop.showMessage("File not found", "NOSUCH.MTX");
        EXPECT_TRUE(desktop.messageOpen());
        for (int pass = 0; pass < 5; ++pass)
            EXPECT_TRUE(desktop.pump());
        EXPECT_TRUE(window.boxOpen());

        SDL_Event f2 = keyDown(id, SDLK_F2, SDL_SCANCODE_F2, KMOD_NONE);
        SDL_Event accelerator = keyDown(id, SDLK_f, SDL_SCANCODE_F, KMOD_LALT);
        SDL_PushEvent(&f2);
        SDL_PushEvent(&accelerator);
        EXPECT_TRUE(desktop.pump());
        ASSERT_FALSE(keys.empty());
        EXPECT_EQ(keys[0].scancode, int(SDL_SCANCODE_F2));
        EXPECT_TRUE(keys[0].down);
        EXPECT_FALSE(keys[0].captured) << "the program's keys are its own with the box up";
        EXPECT_EQ(commands, std::vector<int>{MainWindow::acceleratorCommand});
        EXPECT_TRUE(desktop.messageOpen()) << "other keys leave the box";

        SDL_Event event{};
        switch (quit) {
        case Quit::sdlQuit: event.type = SDL_QUIT; SDL_PushEvent(&event); break;
        case Quit::windowClosed:
            event.type = SDL_WINDOWEVENT;
            event.window.event = SDL_WINDOWEVENT_CLOSE;
            event.window.windowID = id;
            SDL_PushEvent(&event);
            break;
        case Quit::signal: std::raise(SIGTERM); break;
        }
        EXPECT_FALSE(desktop.pump());
        clearQuitSignal();
    }
}

// Enter closes the box without ending the run, and is the window's until let go (the
// machine, going on, does not see it held); the menu answers again. Boxes asked for while
// one is open follow it in turn, the same message twice in a row once.
TEST_F(SdlOffscreen, EnterOrEscapeClosesTheMessageBoxAndTheNextOneFollows)
{
    auto platform = this->platform();
    Desktop& desktop = platform->desktop();
    std::vector<int> commands;
    const MenuEntry items[] = {{"Quit", 5}};
    auto& window = dynamic_cast<MainWindow&>(desktop.createMainWindow(
        "Stuff", items, [&commands](int command) { commands.push_back(command); }));
    const Uint32 id = window.id();
    // Pumps until the box shows text (or none when empty); a bounded number of passes, no
    // time: each pass runs a frame when input came or one is due.
    auto pumpUntilBox = [&](const std::string& text) {
        for (int pass = 0; pass < 100 && (window.boxOpen() ? window.boxText() : std::string()) != text; ++pass)
            EXPECT_TRUE(desktop.pump());
        return window.boxOpen() ? window.boxText() : std::string();
    };
    auto press = [&](SDL_Keycode sym, SDL_Scancode scancode) {
        SDL_Event down = keyDown(id, sym, scancode, KMOD_NONE);
        SDL_PushEvent(&down);
        EXPECT_TRUE(desktop.pump());
    };
    auto release = [&](SDL_Keycode sym, SDL_Scancode scancode) {
        SDL_Event up = keyUp(id, sym, scancode);
        SDL_PushEvent(&up);
        EXPECT_TRUE(desktop.pump());
    };

    desktop.showMessage("Unsupported mode", "Mode 3");
    desktop.showMessage("Unsupported mode", "Mode 3"); // the same again: shown once
    desktop.showMessage("Load state", "Slot 1 is empty");
    EXPECT_EQ(pumpUntilBox("Mode 3"), "Mode 3");
    for (int pass = 0; pass < 3; ++pass)
        EXPECT_TRUE(desktop.pump()); // laid out and shown

    press(SDLK_RETURN, SDL_SCANCODE_RETURN);
    EXPECT_EQ(pumpUntilBox("Slot 1 is empty"), "Slot 1 is empty");
    EXPECT_TRUE(window.wantsKeyboard()) << "Enter, still held, would reach the machine";
    release(SDLK_RETURN, SDL_SCANCODE_RETURN);
    EXPECT_FALSE(window.wantsKeyboard());

    for (int pass = 0; pass < 3; ++pass)
        EXPECT_TRUE(desktop.pump());
    press(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(pumpUntilBox(""), "");
    release(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(desktop.messageOpen());
    EXPECT_FALSE(window.wantsKeyboard());

    SDL_Event accelerator = keyDown(id, SDLK_f, SDL_SCANCODE_F, KMOD_LALT);
    SDL_PushEvent(&accelerator);
    EXPECT_TRUE(desktop.pump());
    EXPECT_EQ(commands, std::vector<int>{MainWindow::acceleratorCommand});
}

TEST(SdlAccelerator, OnlyAltWithALowerCaseFToggles)
{
    auto press = [](Uint16 mod, bool repeat = false) {
        SDL_KeyboardEvent key{};
        key.type = SDL_KEYDOWN;
        key.repeat = repeat;
        key.keysym.sym = SDLK_f;
        key.keysym.mod = mod;
        return MainWindow::isAccelerator(key);
    };
    EXPECT_TRUE(press(KMOD_LALT));
    EXPECT_TRUE(press(KMOD_RALT));
    EXPECT_FALSE(press(KMOD_NONE));
    EXPECT_FALSE(press(KMOD_LALT | KMOD_LSHIFT));          // capital F
    EXPECT_FALSE(press(KMOD_LALT | KMOD_CAPS));            // capital F
    EXPECT_TRUE(press(KMOD_LALT | KMOD_CAPS | KMOD_RSHIFT)); // Shift undoes Caps Lock
    EXPECT_FALSE(press(KMOD_LALT, true));                  // held down: one toggle only
    SDL_KeyboardEvent other{};
    other.keysym.sym = SDLK_g;
    other.keysym.mod = KMOD_LALT;
    EXPECT_FALSE(MainWindow::isAccelerator(other));
}

TEST(SdlAccelerator, F11AloneTogglesFullScreen)
{
    auto press = [](Uint16 mod, bool repeat = false) {
        SDL_KeyboardEvent key{};
        key.type = SDL_KEYDOWN;
        key.repeat = repeat;
        key.keysym.scancode = SDL_SCANCODE_F11;
        key.keysym.sym = SDLK_F11;
        key.keysym.mod = mod;
        return MainWindow::isAccelerator(key);
    };
    EXPECT_TRUE(press(KMOD_NONE));
    EXPECT_TRUE(press(KMOD_NUM)); // Num Lock is no modifier
    EXPECT_FALSE(press(KMOD_LSHIFT)) << "Shift+F11 is the mute key";
    EXPECT_FALSE(press(KMOD_LCTRL));
    EXPECT_FALSE(press(KMOD_NONE, true));
}

TEST(SdlPicture, WholeFactorCentredBelowTheMenu)
{
    struct Case {
        int width, height, menu;
        SDL_Rect expected;
    };
    const Case cases[] = {
        {960, 619, 19, {0, 19, 960, 600}},     // the window as made at scale 3
        {1000, 700, 19, {20, 59, 960, 600}},   // larger: same factor, centred
        {1920, 1080, 19, {160, 49, 1600, 1000}}, // full screen: factor 5
        {200, 100, 19, {-60, -40, 320, 200}},  // too small: never below 1
    };
    for (const Case& c : cases) {
        const SDL_Rect r = SdlWindow::pictureRect(c.width, c.height, c.menu);
        EXPECT_EQ(r.x, c.expected.x) << c.width << "x" << c.height;
        EXPECT_EQ(r.y, c.expected.y) << c.width << "x" << c.height;
        EXPECT_EQ(r.w, c.expected.w) << c.width << "x" << c.height;
        EXPECT_EQ(r.h, c.expected.h) << c.width << "x" << c.height;
    }
}

TEST(SdlKeys, EveryMatrixKeyHasAScancode)
{
    for (const auto& row : keyMatrixMap)
        for (uint8_t key : row)
            if (key != noKey) {
                EXPECT_NE(scancodesOf(key).first, SDL_SCANCODE_UNKNOWN) << std::hex << int(key);
            }
    EXPECT_EQ(scancodesOf(0x2B).first, SDL_SCANCODE_EXECUTE);
    EXPECT_EQ(scancodesOf(0xE2).first, SDL_SCANCODE_NONUSBACKSLASH);
    EXPECT_EQ(scancodesOf(0xBF).first, SDL_SCANCODE_SLASH);
    EXPECT_EQ(scancodesOf(0x10).second, SDL_SCANCODE_RSHIFT);
    EXPECT_EQ(scancodesOf(0x11).first, SDL_SCANCODE_LCTRL);
    EXPECT_EQ(scancodesOf(0x30).first, SDL_SCANCODE_0);
    EXPECT_EQ(scancodesOf(0x31).first, SDL_SCANCODE_1);
    EXPECT_EQ(scancodesOf(0x5A).first, SDL_SCANCODE_Z);
    EXPECT_EQ(scancodesOf(0x70).first, SDL_SCANCODE_UNKNOWN); // F1: not in the matrix
}
} // namespace

// Escape over an open menu closes it and is not the machine's while held; with no menu
// open it is left to the machine.
TEST_F(SdlOffscreen, EscapeClosesAnOpenMenuAndOtherwiseGoesToTheMachine)
{
    using namespace std::chrono_literals;
    // A part that opens a popup (as a menu does) when asked.
    struct PopupPart : MainWindowPart {
        bool openNow = false;
        void drawMenus() override
        {
            if (openNow)
                ImGui::OpenPopup("##test menu");
            openNow = false;
            if (ImGui::BeginPopup("##test menu")) {
                ImGui::TextUnformatted("an item");
                ImGui::EndPopup();
            }
        }
    } part;
    drawing.addPart(part);
    auto platform = this->platform();
    const MenuEntry items[] = {{"Quit", 5}};
    auto& window = dynamic_cast<MainWindow&>(
        platform->desktop().createMainWindow("Stuff", items, [](int) {}));
    const Uint32 id = window.id();
    auto pumpUntil = [&](auto&& done) {
        // Idle frames come ten a second: polled for up to 10 s.
        for (int i = 0; i < 1000 && !done(); ++i) {
            EXPECT_TRUE(platform->desktop().pump());
            std::this_thread::sleep_for(10ms);
        }
        return done();
    };
    part.openNow = true;
    ASSERT_TRUE(pumpUntil([&] { return window.menuOpen(); }));
    SDL_Event escape = keyDown(id, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE);
    SDL_PushEvent(&escape);
    EXPECT_TRUE(pumpUntil([&] { return !window.menuOpen(); }));
    EXPECT_TRUE(window.wantsKeyboard()) << "the Escape that closed the menu is not the machine's";
    SDL_Event up = escape;
    up.type = SDL_KEYUP;
    SDL_PushEvent(&up);
    EXPECT_TRUE(pumpUntil([&] { return !window.wantsKeyboard(); }));
    SDL_PushEvent(&escape);
    EXPECT_TRUE(platform->desktop().pump());
    EXPECT_FALSE(window.wantsKeyboard()) << "with no menu open Escape is the machine's ESC";
    SDL_PushEvent(&up);
    EXPECT_TRUE(platform->desktop().pump());
    drawing.removeParts();
}
