// The settings file: a round trip keeps every setting; a file that cannot be parsed, or
// holds values of the wrong type or out of range, warns with the file and the line, falls
// back to the defaults, and is kept as settings.toml.bad before anything is written over
// it; keys for the program's actions; the command line winning over the file for the run.
#include "tests/support/scratch_files.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "frontend/run_settings.h"
#include "frontend/settings.h"

using namespace ollendor;
namespace fs = std::filesystem;

namespace {

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

Settings everythingChanged()
{
    Settings settings;
    settings.window = WindowSettings{2, 1000, 700, -20, 40, true};
    settings.speedLimited = false;
    settings.volume = 35;
    settings.muted = true;
    settings.romFolder = "/home/me/mtx roms";
    settings.tapeFolder = "/home/me/t\"apes";
    settings.recentTapes = {"/a/one.mtx", "/b/two \\ three.mtx"};
    settings.openWindows = {"timings", "tapes", "debug.cpu"};
    settings.uiScale = 1.5;
    // Save and load state swapped, step out on a key of its own.
    settings.keys[size_t(Hotkey::saveState)] = *parseKeyBinding("F3");
    settings.keys[size_t(Hotkey::loadState)] = *parseKeyBinding("F2");
    settings.keys[size_t(Hotkey::stepOut)] = *parseKeyBinding("Shift+PageDown");
    return settings;
}

} // namespace

TEST(Settings, RoundTripKeepsEverySetting)
{
    ScratchFolder folder;
    const fs::path file = folder.path() / "deeper" / "ollendor" / "settings.toml";
    const Settings written = everythingChanged();
    ASSERT_EQ(saveSettings(file, written), "");
    const SettingsLoad load = loadSettings(file);
    EXPECT_TRUE(load.warnings.empty()) << joined(load.warnings) << readText(file);
    EXPECT_TRUE(load.writable);
    EXPECT_TRUE(load.settings == written) << readText(file);
    EXPECT_FALSE(fs::exists(folder.path() / "deeper" / "ollendor" / "settings.toml.bad"));
    // Nothing of the temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);

    // The defaults go through as well, and a missing file is the defaults without a word.
    ASSERT_EQ(saveSettings(file, Settings{}), "");
    EXPECT_TRUE(loadSettings(file).settings == Settings{});
    const SettingsLoad none = loadSettings(folder.path() / "absent.toml");
    EXPECT_TRUE(none.warnings.empty());
    EXPECT_TRUE(none.writable);
    EXPECT_TRUE(none.settings == Settings{});
}

TEST(Settings, UnparsableFileWarnsWithTheLineStartsWithDefaultsAndIsKept)
{
    ScratchFolder folder;
    const fs::path file = folder.path() / "settings.toml";
    const std::string bad = "[window]\nscale = 2\n\n[sound\nvolume = 10\n";
    writeText(file, bad);
    const SettingsLoad load = loadSettings(file);
    EXPECT_TRUE(load.settings == Settings{}); // not even the scale before the fault
    ASSERT_GE(load.warnings.size(), 1u);
    EXPECT_NE(load.warnings[0].find(file.string()), std::string::npos) << load.warnings[0];
    EXPECT_NE(load.warnings[0].find("line 4"), std::string::npos) << load.warnings[0];
    EXPECT_EQ(readText(folder.path() / "settings.toml.bad"), bad);
    EXPECT_TRUE(load.writable);

    // A second bad file does not replace the first one kept.
    writeText(file, "scale = = 3\n");
    const SettingsLoad again = loadSettings(file);
    EXPECT_NE(joined(again.warnings).find("line 1"), std::string::npos) << joined(again.warnings);
    EXPECT_EQ(readText(folder.path() / "settings.toml.bad"), bad);
    EXPECT_EQ(readText(folder.path() / "settings.toml.bad.1"), "scale = = 3\n");
}

TEST(Settings, WrongTypesAndOutOfRangeValuesWarnAndKeepTheirDefaults)
{
    ScratchFolder folder;
    const fs::path file = folder.path() / "settings.toml";
    const std::string text = "[window]\n"
                             "scale = 99\n"            // line 2: out of range
                             "fullscreen = \"yes\"\n"  // line 3: not a boolean
                             "width = 1200\n"          // line 4: good
                             "[sound]\n"
                             "volume = 3.5\n"          // line 6: not a whole number
                             "muted = true\n"          // line 7: good
                             "loudness = 4\n"          // line 8: unknown
                             "[tapes]\n"
                             "recent = [\"/t/a.mtx\", 7]\n" // line 10: one bad entry
                             "[keys]\n"
                             "pause = \"Q\"\n"         // line 12: not a key that can be given
                             "continue = \"F6\"\n"     // line 13: F6 stays with pause
                             "bogus = \"F1\"\n"        // line 14: no such action
                             "[ui]\n"
                             "scale = 9\n";             // line 16: out of range
    writeText(file, text);
    const SettingsLoad load = loadSettings(file);
    const std::string warnings = joined(load.warnings);
    const Settings defaults;
    EXPECT_EQ(load.settings.window.scale, defaults.window.scale);
    EXPECT_EQ(load.settings.window.fullscreen, defaults.window.fullscreen);
    EXPECT_EQ(load.settings.window.width, 1200);
    EXPECT_EQ(load.settings.volume, defaults.volume);
    EXPECT_TRUE(load.settings.muted);
    EXPECT_EQ(load.settings.recentTapes, std::vector<fs::path>{"/t/a.mtx"});
    EXPECT_TRUE(load.settings.keys == defaults.keys);
    EXPECT_EQ(load.settings.uiScale, 0.0) << "auto";
    for (const char* expected : {"line 2: window.scale: 99 is out of range (1 to 16)", "line 3: window.fullscreen",
                                 "line 6: sound.volume", "line 8: sound.loudness", "line 10: tapes.recent",
                                 "line 12: keys.pause", "line 13: keys.continue: F6 is already the key of pause",
                                 "line 14: keys.bogus", "line 16: ui.scale"})
        EXPECT_NE(warnings.find(expected), std::string::npos) << "missing '" << expected << "' in\n" << warnings;
    EXPECT_NE(warnings.find(file.string()), std::string::npos);
    EXPECT_EQ(warnings.find("line 4"), std::string::npos) << warnings;
    // What the user wrote survives the save at quit.
    EXPECT_EQ(readText(folder.path() / "settings.toml.bad"), text);
}

// Table names and keys of very many dotted parts (which the TOML library reads by recursion
// without a bound) are refused before parsing, and the file is kept aside like any bad one;
// dots in strings, comments and values do not count, and a sound file with a few loads.
TEST(Settings, KeysOfVeryManyDottedPartsAreRefusedAndTheFileKept)
{
    ScratchFolder folder;
    const fs::path file = folder.path() / "settings.toml";
    std::string deep = "[window]\nscale = 2\n\n[a";
    for (int i = 0; i < 50000; ++i)
        deep += ".a";
    deep += "]\n";
    for (const std::string& bad : {deep, "# " + std::string(100, '.') + "\nx" + std::string(65, '.') + " = 1\n"}) {
        writeText(file, bad);
        const SettingsLoad load = loadSettings(file);
        EXPECT_TRUE(load.settings == Settings{});
        ASSERT_EQ(load.warnings.size(), 2u) << joined(load.warnings);
        EXPECT_NE(load.warnings[0].find(bad == deep ? "line 4: a key or table name of more than 64 dotted parts"
                                                    : "line 2: a key"),
                  std::string::npos)
            << load.warnings[0];
        EXPECT_EQ(readText(folder.path() / (bad == deep ? "settings.toml.bad" : "settings.toml.bad.1")), bad);
    }
    // Deep nesting of arrays and inline tables is the library's to refuse (it bounds that).
    for (const auto& [open, close] : {std::pair<std::string, std::string>{"[", "]"}, {"{a=", "}"}}) {
        std::string nested = "x = ";
        for (int i = 0; i < 50000; ++i)
            nested += open;
        nested += "1";
        for (int i = 0; i < 50000; ++i)
            nested += close;
        writeText(file, nested + "\n");
        EXPECT_FALSE(loadSettings(file).warnings.empty());
    }
    // Dots in comments, strings and values, and a few dotted parts, are no reason to refuse.
    const std::string dots(200, '.');
    writeText(file, "# " + dots + "\n[folders]\nroms = \"" + dots + "\"\ntapes = '''" + dots + "\n" + dots +
                        "'''\n[window]\nscale = 2\nwindow.a.b.c = 1\n");
    const SettingsLoad fine = loadSettings(file);
    EXPECT_EQ(fine.settings.window.scale, 2);
    EXPECT_EQ(joined(fine.warnings).find("dotted"), std::string::npos) << joined(fine.warnings);
}

// A bad window size falls back on the size that follows from the scale, and says so.
TEST(Settings, BadWindowSizeNamesTheSizeUsedInstead)
{
    ScratchFolder folder;
    const fs::path file = folder.path() / "settings.toml";
    writeText(file, "[window]\nwidth = 5\nheight = \"big\"\n");
    const std::string warnings = joined(loadSettings(file).warnings);
    EXPECT_EQ(warnings.find("default 0"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("window.width: 5 is out of range (64 to 16384); the width that follows from the scale "
                            "(960 at the default scale of 3) is used"),
              std::string::npos)
        << warnings;
    EXPECT_NE(warnings.find("(619 at the default scale of 3)"), std::string::npos) << warnings;
}

TEST(Settings, KeysNamedTwiceGoToTheFirstAndSwappedKeysWork)
{
    ScratchFolder folder;
    const fs::path file = folder.path() / "settings.toml";
    writeText(file, "[keys]\nsave-state = \"F3\"\nload-state = \"F2\"\nscreenshot = \"Home\"\nmute = \"home\"\n");
    const SettingsLoad load = loadSettings(file);
    EXPECT_EQ(keyBindingName(load.settings.keys[size_t(Hotkey::saveState)]), "F3");
    EXPECT_EQ(keyBindingName(load.settings.keys[size_t(Hotkey::loadState)]), "F2");
    EXPECT_EQ(keyBindingName(load.settings.keys[size_t(Hotkey::screenshot)]), "Home");
    EXPECT_EQ(keyBindingName(load.settings.keys[size_t(Hotkey::mute)]), "Shift+F11");
    ASSERT_EQ(load.warnings.size(), 2u) << joined(load.warnings); // the refusal, and where the file is kept
    EXPECT_NE(load.warnings[0].find("line 5: keys.mute: Home is already the key of screenshot"), std::string::npos)
        << load.warnings[0];

    // The map takes the swapped keys although each is the other's at the start.
    HotkeyMap map;
    applyKeys(map, load.settings.keys);
    EXPECT_TRUE(map.keys() == load.settings.keys);
    KeyPress f2;
    f2.scancode = 59;
    f2.down = true;
    EXPECT_EQ(map.match(f2), Hotkey::loadState);
}

TEST(Settings, UnreadableFileIsLeftAloneAndNotWrittenOver)
{
    ScratchFolder folder;
    const fs::path file = folder.path() / "settings.toml";
    fs::create_directory(file); // a folder where the file should be
    const SettingsLoad load = loadSettings(file);
    EXPECT_FALSE(load.writable);
    ASSERT_EQ(load.warnings.size(), 1u);
    EXPECT_NE(load.warnings[0].find(file.string()), std::string::npos);
    EXPECT_TRUE(load.settings == Settings{});
    EXPECT_NE(saveSettings(file, Settings{}), ""); // a folder is never replaced
    EXPECT_TRUE(fs::is_directory(file));
}

TEST(Settings, FileIsFoundThroughXdgConfigHome)
{
    const char* before = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    setenv("XDG_CONFIG_HOME", "/cfg/here", 1);
    EXPECT_EQ(settingsFilePath(), fs::path("/cfg/here/ollendor/settings.toml"));
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(settingsFilePath(), fs::path("/home/someone/.config/ollendor/settings.toml"));
    // Without an absolute home: no settings file, never one in the current folder.
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "", 1);
    EXPECT_TRUE(settingsFilePath().empty());
    EXPECT_FALSE(openRunSettings(Options{}, settingsFilePath()).save);
    if (home)
        setenv("HOME", savedHome.c_str(), 1);
    else
        unsetenv("HOME");
    if (before)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(Settings, RecentTapesAreNewestFirstOnceAndLimited)
{
    Settings settings;
    for (int i = 0; i < 12; ++i)
        rememberTape(settings, "/t/" + std::to_string(i));
    rememberTape(settings, "/t/5");
    ASSERT_EQ(settings.recentTapes.size(), recentTapesKept);
    EXPECT_EQ(settings.recentTapes[0], "/t/5");
    EXPECT_EQ(settings.recentTapes[1], "/t/11");
    EXPECT_EQ(std::count(settings.recentTapes.begin(), settings.recentTapes.end(), fs::path("/t/5")), 1);
}

TEST(Settings, CommandLineWinsForTheRunAndTheFileKeepsWhatItOverrode)
{
    ScratchFolder folder;
    Settings file;
    file.window.scale = 4;
    file.window.width = 1400;
    file.window.height = 900;
    file.window.fullscreen = false;
    file.speedLimited = true;
    file.tapeFolder = folder.path();
    file.romFolder = folder.path() / "gone";

    Options given;
    given.scale = 2;
    given.scaleGiven = true;
    given.fullscreen = true;
    given.unconstrained = true;
    Options merged = mergedOptions(given, file);
    EXPECT_EQ(merged.scale, 2);
    EXPECT_TRUE(merged.fullscreen);
    EXPECT_TRUE(merged.unconstrained);
    EXPECT_EQ(merged.tapeDir, folder.path());
    EXPECT_FALSE(merged.romDir); // a remembered folder that is gone is passed over
    const PlatformSettings platform = platformSettings(merged, given, file);
    EXPECT_EQ(platform.scale, 2);
    EXPECT_EQ(platform.mainWindow.width, 0); // --scale sizes the window

    // Without the options, the file decides.
    merged = mergedOptions(Options{}, file);
    EXPECT_EQ(merged.scale, 4);
    EXPECT_FALSE(merged.fullscreen);
    EXPECT_FALSE(merged.unconstrained);
    EXPECT_EQ(platformSettings(merged, Options{}, file).mainWindow.width, 1400);

    // At quit the overridden settings are written as the file had them; the rest as left.
    RunSettings run;
    run.loaded = file;
    run.current = file;
    run.given = given;
    run.current.window.scale = 2;
    run.current.window.fullscreen = true;
    run.current.speedLimited = false;
    run.current.volume = 20;
    const Settings saved = settingsToSave(run);
    EXPECT_EQ(saved.window.scale, 4);
    EXPECT_EQ(saved.window.width, 1400);
    EXPECT_FALSE(saved.window.fullscreen);
    EXPECT_TRUE(saved.speedLimited);
    EXPECT_EQ(saved.volume, 20);
}

TEST(Settings, HeadlessRunsReadNoFile)
{
    ScratchFolder folder;
    const fs::path file = folder.path() / "settings.toml";
    writeText(file, "[window]\nscale = 5\n");
    Options options;
    options.headless = true;
    const RunSettings run = openRunSettings(options, file);
    EXPECT_FALSE(run.save);
    EXPECT_EQ(run.current.window.scale, 3);
    options.headless = false;
    const RunSettings windowed = openRunSettings(options, file);
    EXPECT_TRUE(windowed.save);
    EXPECT_EQ(windowed.current.window.scale, 5);
}

TEST(Settings, AFileThatBoundF11MovesThatActionToItsDefaultWithoutAWord)
{
    // Written when F11 muted: every such file names it. F11 now toggles full screen.
    ScratchFolder folder;
    const fs::path file = folder.path() / "settings.toml";
    writeText(file, "[keys]\nmute = \"F11\"\nscreenshot = \"f11\"\n");
    const SettingsLoad load = loadSettings(file);
    EXPECT_TRUE(load.warnings.empty()) << joined(load.warnings);
    EXPECT_EQ(keyBindingName(load.settings.keys[size_t(Hotkey::screenshot)]), "F12");
    EXPECT_EQ(keyBindingName(load.settings.keys[size_t(Hotkey::mute)]), "Shift+F11");
    for (size_t i = 0; i < hotkeyCount; ++i)
        EXPECT_FALSE(load.settings.keys[i] == fullscreenKey) << hotkeyName(Hotkey(i));
    HotkeyMap map;
    std::string error;
    EXPECT_FALSE(map.bind(Hotkey::pause, fullscreenKey, error));
    EXPECT_EQ(error, "F11 is the full-screen key");
}
