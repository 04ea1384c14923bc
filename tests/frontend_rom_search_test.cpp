// Where the ROM images are looked for: the current folder, then --rom-dir, then the XDG
// data folder; the first folder holding any image is the one used; with none, the built-in
// ROM runs, the warning names every folder searched and so does its welcome page.
#include "tests/support/scratch_files.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include "frontend/rom_search.h"
#include "machine/memory.h"
#include "tests/support/session_driver.h"

using namespace ollendor;
namespace fs = std::filesystem;

namespace {

// Runs the test in a folder of its own with XDG_DATA_HOME set; puts both back after.
class RomSearch : public testing::Test {
protected:
    void SetUp() override
    {
        before = fs::current_path();
        const char* data = std::getenv("XDG_DATA_HOME");
        hadData = data != nullptr;
        if (data)
            savedData = data;
        fs::create_directories(start);
        fs::create_directories(given);
        fs::create_directories(xdg / "ollendor" / "roms");
        fs::current_path(start);
        setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    }
    void TearDown() override
    {
        fs::current_path(before);
        if (hadData)
            setenv("XDG_DATA_HOME", savedData.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    // A whole set of images in the folder, each filled with the byte.
    static void putImages(const fs::path& folder, uint8_t fill)
    {
        for (std::string_view name : {"osrom", "basicrom", "assemrom"})
            writeFile(folder / name, std::vector<uint8_t>(8192, fill));
    }

    ScratchFolder scratch;
    fs::path start = scratch.path() / "start";
    fs::path given = scratch.path() / "given";
    fs::path xdg = scratch.path() / "data";
    fs::path xdgRoms = xdg / "ollendor" / "roms";
    fs::path before;
    bool hadData = false;
    std::string savedData;
};

} // namespace

TEST_F(RomSearch, FoldersAreTheCurrentOneThenRomDirThenTheDataFolderEachOnce)
{
    EXPECT_EQ(romSearchFolders(given), (std::vector<fs::path>{start, given, xdgRoms}));
    EXPECT_EQ(romSearchFolders(std::nullopt), (std::vector<fs::path>{start, xdgRoms}));
    // The same folder named twice (and written differently) is searched once.
    EXPECT_EQ(romSearchFolders(start / "." / ""), (std::vector<fs::path>{start, xdgRoms}));
    // Without XDG_DATA_HOME (or with a relative one): below the home folder.
    setenv("XDG_DATA_HOME", "relative", 1);
    const char* home = std::getenv("HOME");
    if (home && *home && fs::path(home).is_absolute()) {
        EXPECT_EQ(romSearchFolders(std::nullopt).back(), fs::path(home) / ".local/share/ollendor/roms");
    }
}

TEST_F(RomSearch, TheFirstFolderWithImagesWins)
{
    putImages(xdgRoms, 0x33);
    RomSetResult result = searchRomSet(romSearchFolders(given));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_FALSE(result.roms.builtin);
    EXPECT_EQ(result.roms.os.at(0), 0x33);

    putImages(given, 0x22);
    result = searchRomSet(romSearchFolders(given));
    EXPECT_EQ(result.roms.os.at(0), 0x22);

    putImages(start, 0x11);
    result = searchRomSet(romSearchFolders(given));
    EXPECT_EQ(result.roms.os.at(0), 0x11);
    EXPECT_TRUE(result.warnings.empty());
}

TEST_F(RomSearch, AnIncompleteOrBadSetStopsTheSearchWhereItIs)
{
    putImages(xdgRoms, 0x33);
    writeFile(given / "osrom", std::vector<uint8_t>(8192, 0x22)); // only one image
    RomSetResult result = searchRomSet(romSearchFolders(given));
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.roms.builtin);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("incomplete MTX ROM set in \"" + given.string() + "\""), std::string::npos)
        << result.warnings[0];

    fs::create_directory(start / "basicrom"); // a folder where an image should be
    result = searchRomSet(romSearchFolders(given));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("'basicrom'"), std::string::npos) << result.error;
}

TEST_F(RomSearch, WithNoImagesTheMessageAndTheWelcomePageNameEveryFolder)
{
    const RomSetResult result = searchRomSet(romSearchFolders(given));
    ASSERT_TRUE(result.ok);
    ASSERT_TRUE(result.roms.builtin);
    ASSERT_EQ(result.warnings.size(), 1u);
    const std::string& warning = result.warnings[0];
    const size_t first = warning.find("\"" + start.string() + "\"");
    const size_t second = warning.find("\"" + given.string() + "\"");
    const size_t third = warning.find("\"" + xdgRoms.string() + "\"");
    EXPECT_TRUE(first < second && second < third && third != std::string::npos) << warning;
    EXPECT_NE(warning.find("running the built-in ROM"), std::string::npos) << warning;

    // The welcome page lists them (shortened to their ends where a line is too short).
    SessionDriver driver(result.roms);
    driver.run(10);
    const VdpState& vdp = driver.machine().vdp;
    auto row = [&](unsigned r) {
        std::string text;
        for (unsigned c = 1; c < 40; ++c)
            text += char(vdp.vram[r * 40 + c] & 0x7F);
        return text.substr(0, text.find_last_not_of(' ') + 1);
    };
    std::vector<std::string> shown;
    for (unsigned r = 2; r < 23; ++r)
        shown.push_back(row(r));
    auto expected = [](const fs::path& folder) {
        const std::string name = folder.string();
        return name.size() <= 38 ? name : "..." + name.substr(name.size() - 35);
    };
    const auto at = std::find(shown.begin(), shown.end(), expected(start));
    ASSERT_NE(at, shown.end()) << "the start folder is not on the page";
    ASSERT_LT(at + 2, shown.end());
    EXPECT_EQ(*(at + 1), expected(given));
    EXPECT_EQ(*(at + 2), expected(xdgRoms));
}

TEST(RomSearchText, FolderLinesFitTheScreenAndOnlyTheBuiltinSetGetsThem)
{
    RomSet roms = builtinRomSet();
    roms.searchedFolders = {"/short", "/" + std::string(60, 'a') + "/end", "/odd\n\x01\xC3\xA9"};
    auto memory = std::make_unique<MemoryPages>();
    layOutSearchedFolders(*memory, roms);
    std::string text;
    for (uint16_t a = searchedFoldersAddress; memRead(*memory, a) != 0; ++a)
        text += char(memRead(*memory, a));
    EXPECT_EQ(text, "/short\n..." + std::string(31, 'a') + "/end\n/odd????\n");

    // Many long names: what fits, never past the area, always ended.
    roms.searchedFolders.assign(20, std::string(50, 'b'));
    auto full = std::make_unique<MemoryPages>();
    layOutSearchedFolders(*full, roms);
    unsigned length = 0;
    while (length < searchedFoldersSize && memRead(*full, uint16_t(searchedFoldersAddress + length)) != 0)
        ++length;
    EXPECT_LT(length, searchedFoldersSize);
    EXPECT_EQ(length % 39, 0u);

    // The hint after the folders, whole however many folders there are.
    roms.folderHint = {"or choose it: Machine > ROM folder..."};
    auto hinted = std::make_unique<MemoryPages>();
    layOutSearchedFolders(*hinted, roms);
    std::string withHint;
    for (uint16_t a = searchedFoldersAddress; memRead(*hinted, a) != 0; ++a)
        withHint += char(memRead(*hinted, a));
    EXPECT_LT(withHint.size(), searchedFoldersSize);
    EXPECT_TRUE(withHint.ends_with("b\nor choose it: Machine > ROM folder...\n")) << withHint;

    // A real set's RAM stays as at power-on.
    RomSet files = roms;
    files.builtin = false;
    auto untouched = std::make_unique<MemoryPages>();
    layOutSearchedFolders(*untouched, files);
    EXPECT_EQ(memRead(*untouched, searchedFoldersAddress), 0);
}
