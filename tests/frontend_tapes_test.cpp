// Tapes by file: `ollendor FILE` mounts a tape that the built-in ROM's tape page loads
// although it asks for another name; the Tapes window's folder listing, mounting and
// unmounting with what it reports; a dropped file reaching the window through SDL's event
// pump on the offscreen driver.
#include "tests/support/scratch_files.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <SDL.h>
#include <stb/stb_image.h>

#include "control/session.h"
#include "frontend/settings.h"
#include "frontend/tapes_window.h"
#include "frontend/window_drawing.h"
#include "host/sdl/sdl_desktop.h"
#include "machine/rom_set.h"
#include "tests/support/sdl_leaks.h"

using namespace ollendor;
namespace fs = std::filesystem;

namespace {

const fs::path program = fs::path(OLLENDOR_BINARY_DIR) / "ollendor";
const fs::path demoTape = fs::path(OLLENDOR_BINARY_DIR) / "tapes" / "OLLENDEMO";
const fs::path tapeGolden = fs::path(OLLENDOR_SOURCE_DIR) / "tests/golden/tape.png";

std::vector<uint8_t> pixels(const fs::path& png)
{
    int width = 0, height = 0, channels = 0;
    unsigned char* image = stbi_load(png.c_str(), &width, &height, &channels, 3);
    std::vector<uint8_t> rgb;
    if (image)
        rgb.assign(image, image + size_t(width) * size_t(height) * 3);
    stbi_image_free(image);
    return rgb;
}

// The path in single quotes for the shell (built by appending: GCC 12 warns wrongly of
// "'" + string).
std::string quoted(const fs::path& path)
{
    std::string text(1, '\'');
    text += path.string();
    text += '\'';
    return text;
}

// The tape page after pressing 5, headless, with an empty tape folder and the arguments.
int runTapePage(const ScratchFolder& folder, const std::string& arguments, const fs::path& shot)
{
    fs::create_directories(folder.path() / "no tapes");
    const std::string command = "cd '" + folder.path().string() + "' && '" + program.string() +
                                "' --headless --frames 40 --type 5 --tape-dir 'no tapes' --screenshot '" +
                                shot.string() + "' " + arguments + " 2> '" + (folder.path() / "errors").string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(TapeByFile, TheTapePageLoadsTheMountedFileWhateverItsName)
{
    if (!fs::exists(program) || !fs::exists(demoTape))
        GTEST_SKIP() << "no program or demo tape in this build";
    ScratchFolder folder;
    const fs::path renamed = folder.path() / "any name at all.bin";
    fs::copy_file(demoTape, renamed);
    const fs::path shot = folder.path() / "mounted.png";
    ASSERT_EQ(runTapePage(folder, quoted(renamed), shot), 0) << readText(folder.path() / "errors");
    const std::vector<uint8_t> expected = pixels(tapeGolden);
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(pixels(shot) == expected) << "the tape page did not load the mounted file as the demo tape";

    // Without the file the same run finds no tape: the picture is not the loaded one.
    const fs::path without = folder.path() / "without.png";
    ASSERT_EQ(runTapePage(folder, "", without), 0);
    EXPECT_FALSE(pixels(without) == expected);

    // A file that cannot be read is said once, and the run goes on (to the same picture).
    const fs::path missing = folder.path() / "missing.png";
    ASSERT_EQ(runTapePage(folder, quoted(folder.path() / "nope.mtx"), missing), 0);
    const std::string errors = readText(folder.path() / "errors");
    EXPECT_NE(errors.find("nope.mtx could not be opened"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("nope.mtx"), errors.rfind("nope.mtx")) << errors;
    EXPECT_TRUE(pixels(missing) == pixels(without));
}

TEST(TapesWindow, ListsTheFolderAndMountsAndUnmounts)
{
    ScratchFolder folder;
    writeFile(folder.path() / "b.mtx", {1, 2, 3});
    writeFile(folder.path() / "a.mtx", {1});
    fs::create_directory(folder.path() / "c-folder");
    fs::create_symlink(folder.path() / "b.mtx", folder.path() / "d-link");
    fs::create_symlink(folder.path() / "gone", folder.path() / "e-dangling");
    EXPECT_EQ(listTapeFolder(folder.path()),
              (std::vector<fs::path>{folder.path() / "a.mtx", folder.path() / "b.mtx", folder.path() / "d-link"}));
    EXPECT_TRUE(listTapeFolder(folder.path() / "not there").empty());

    Session session(builtinRomSet());
    session.setTapeFolder(folder.path());
    RewindBuffer rewind(4);
    Control control(session, rewind);
    Settings settings;
    TapesWindow tapes(control, settings);
    EXPECT_FALSE(tapes.isOpen());
    tapes.setOpen(true);
    EXPECT_EQ(tapes.files().size(), 3u);

    ASSERT_TRUE(tapes.mount(folder.path() / "b.mtx"));
    EXPECT_EQ(session.mountedTape(), folder.path() / "b.mtx");
    EXPECT_EQ(settings.recentTapes, std::vector<fs::path>{folder.path() / "b.mtx"});
    EXPECT_TRUE(tapes.error().empty());

    // A file that cannot be read: said (once, here), and what was mounted stays.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(tapes.mount(folder.path() / "c-folder"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(tapes.error().find("c-folder"), std::string::npos) << tapes.error();
    EXPECT_NE(said.find("c-folder"), std::string::npos);
    EXPECT_EQ(session.mountedTape(), folder.path() / "b.mtx");
    EXPECT_EQ(settings.recentTapes.size(), 1u);

    tapes.unmount();
    EXPECT_FALSE(session.mountedTape());

    // The window's name in the settings.
    std::vector<std::string> open;
    tapes.listOpenWindows(open);
    EXPECT_EQ(open, std::vector<std::string>{"tapes"});
    tapes.setOpen(false);
    open.clear();
    tapes.listOpenWindows(open);
    EXPECT_TRUE(open.empty());
    EXPECT_TRUE(tapes.openWindowNamed("tapes"));
    EXPECT_FALSE(tapes.openWindowNamed("timings"));
    EXPECT_TRUE(tapes.isOpen());
}

TEST(TapesWindow, AFileDroppedOnTheMainWindowIsMounted)
{
    SdlAllocationsIgnored sdlAllocations;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ScratchFolder folder;
    writeFile(folder.path() / "dropped.mtx", {1, 2, 3});
    Session session(builtinRomSet());
    RewindBuffer rewind(4);
    Control control(session, rewind);
    Settings settings;
    TapesWindow tapes(control, settings);
    {
        FrontendDrawing drawing;
        SdlDesktop desktop(1, drawing);
        const MenuEntry items[] = {{"Quit", 5}};
        desktop.createMainWindow("Stuff", items, [](int) {});
        desktop.setDropHandler([&](const std::string& path) { tapes.dropped(path); });
        auto drop = [&](const fs::path& path, Uint32 window) {
            SDL_Event event{};
            event.type = SDL_DROPFILE;
            event.drop.file = SDL_strdup(path.c_str());
            event.drop.windowID = window;
            ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
            desktop.pump();
        };
        // The main window is the only one: its id is the one SDL gave first.
        Uint32 id = 0;
        for (Uint32 candidate = 1; candidate < 16 && id == 0; ++candidate)
            if (SDL_GetWindowFromID(candidate))
                id = candidate;
        ASSERT_NE(id, 0u);
        drop(folder.path() / "dropped.mtx", id);
        EXPECT_EQ(session.mountedTape(), folder.path() / "dropped.mtx");
        // A drop that cannot be mounted opens the window with the reason.
        testing::internal::CaptureStderr();
        drop(folder.path() / "nothing.mtx", id);
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(tapes.isOpen());
        EXPECT_NE(tapes.error().find("nothing.mtx"), std::string::npos);
        EXPECT_EQ(session.mountedTape(), folder.path() / "dropped.mtx");
        // Dropped on no window of ours: nothing.
        tapes.unmount();
        drop(folder.path() / "dropped.mtx", id + 100);
        EXPECT_FALSE(session.mountedTape());
    }
    unsetenv("SDL_VIDEODRIVER");
}
