// The built-in ROM on the whole machine: a session started on the set an empty ROM folder
// gives, run frame by frame with a recording host; scripted steps press keys at chosen
// frames and look at the video chip, the sound chip and memory as the pages change.
//
// Emulated time only: a frame is 65 hook calls of 2048 cycles, so frame n is rendered
// after 65 n × 2048 cycles.
#include "machine_support.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "files/rom_files.h"
#include "machine/rom_set.h"
#include "machine/tape.h"
#include "roms/builtin_rom.h"
#include "sound/soundchip.h"
#include "tests/support/session_driver.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

constexpr double cpuHz = 4000000;

// Virtual-key codes.
constexpr uint8_t key1 = 0x31, key2 = 0x32, key3 = 0x33, key4 = 0x34, key5 = 0x35;
constexpr uint8_t keyH = 0x48, keyL = 0x4C, keyQ = 0x51, keyCtrl = 0x11;

// The set an empty ROM folder gives: the built-in one, said in a warning.
RomSet romsOfAnEmptyFolder()
{
    const ScratchFolder noRoms;
    const RomSetResult loaded = loadRomSet(noRoms.path());
    EXPECT_TRUE(loaded.ok) << loaded.error;
    EXPECT_TRUE(loaded.roms.builtin);
    EXPECT_EQ(loaded.warnings.size(), 1u);
    return loaded.roms;
}

class BuiltinRomRun : public testing::Test {
protected:
    BuiltinRomRun() : driver(romsOfAnEmptyFolder()) { driver.session.setTapeFolder(emptyTapes.path()); }

    // Runs from the start up to frame `frames`, calling each scripted step when its frame
    // has been rendered (before the next frame's keys are read).
    void run(uint64_t frames)
    {
        driver.run(frames);
        EXPECT_EQ(driver.session.frames(), frames);
        EXPECT_EQ(driver.host.framesElapsed, frames);
    }
    void tap(uint64_t from, uint8_t key, uint64_t frames = 3) { driver.tap(from, key, frames); }
    void then(uint64_t frame, std::function<void()> step) { driver.then(frame, std::move(step)); }
    void press(uint8_t key) { driver.keys.press(key); }
    void release(uint8_t key) { driver.keys.release(key); }
    const std::vector<RecordingHost::Message>& messages() const { return driver.host.messages; }

    ScratchFolder emptyTapes;
    SessionDriver driver;
    const Mtx& m = driver.machine();
    const VdpState& vdp = m.vdp;
    const ToneSettings& tones = m.sound.published;

    // Text mode screen: the 40 names of a row, as characters (bit 7, inverse, taken off).
    std::string textRow(unsigned row, unsigned column = 0, unsigned length = 40) const
    {
        std::string text;
        for (unsigned c = column; c < column + length; ++c)
            text += char(vdp.vram[row * 40 + c] & 0x7F);
        return text;
    }
    bool inverse(unsigned row, unsigned column) const { return (vdp.vram[row * 40 + column] & 0x80) != 0; }
    std::string clockText() const { return textRow(0, 34, 5); }
};

bool startsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

TEST_F(BuiltinRomRun, WelcomePageInTextModeWithTheKeysAndTheClock)
{
    run(10);
    EXPECT_EQ(vdp.mode, modeText);
    EXPECT_EQ(vdp.registers[7], 0xF4) << "white on dark blue";
    EXPECT_NE(vdp.registers[1] & 0x40, 0) << "display on";
    EXPECT_EQ(textRow(0, 1, 8), "OLLENDOR");
    EXPECT_TRUE(inverse(0, 1)) << "the header bar is inverse";
    EXPECT_EQ(textRow(2, 1, 34), "Ollendor emulates the Memotech MTX");
    bool saysNotFound = false, namesFiles = false, namesFolder = false;
    for (unsigned row = 2; row < 23; ++row) {
        saysNotFound |= textRow(row).find("No MTX ROM images were found") != std::string::npos;
        namesFiles |= textRow(row).find("osrom, basicrom and assemrom") != std::string::npos;
        // Told no folders (a set loaded from one folder by itself): the general words.
        namesFolder |= textRow(row).find("the folder Ollendor starts in") != std::string::npos;
    }
    EXPECT_TRUE(saysNotFound);
    EXPECT_TRUE(namesFiles);
    EXPECT_TRUE(namesFolder);
    // The page keys as key caps (characters 16-25: the digits in boxes), each apart from
    // its word.
    EXPECT_TRUE(startsWith(textRow(23, 1), "\x11 Home \x12 Keys \x13 Sound \x14 Graphics \x15 Tape"));
    EXPECT_EQ(vdp.vram[23 * 40 + 1], 0x11);
    EXPECT_EQ(clockText(), "00:00");
    EXPECT_TRUE(messages().empty());
}

// The clock counts counter/timer interrupts: one each 8192 cycles, a second each 15625/32
// of them, which is exactly 4,000,000 cycles. The frames looked at lie mid-second, so the
// few cycles the ROM takes to start its clock cannot move the figure.
TEST_F(BuiltinRomRun, ClockShowsTheEmulatedSeconds)
{
    std::map<unsigned long, std::string> shown;
    for (unsigned long frame : {16ul, 46ul, 106ul, 316ul}) {
        const double seconds = frame * cyclesPerFrame / cpuHz;
        const double fraction = seconds - std::floor(seconds);
        ASSERT_TRUE(fraction > 0.25 && fraction < 0.75) << frame << " is too near a second";
        then(frame, [this, &shown, frame] { shown[frame] = clockText(); });
    }
    run(316);
    EXPECT_EQ(shown[16], "00:00");  // 0.53 s
    EXPECT_EQ(shown[46], "00:01");  // 1.53 s
    EXPECT_EQ(shown[106], "00:03"); // 3.53 s
    EXPECT_EQ(shown[316], "00:10"); // 10.52 s
    // Seconds and minutes as the interrupt counted them, in common RAM.
    EXPECT_EQ(m.memory.page[0][0xD006], 10);
    EXPECT_EQ(m.memory.page[0][0xD007], 0);
}

TEST_F(BuiltinRomRun, DigitKeysSwitchPagesAndTheKeyboardPageNeedsCtrl)
{
    struct Seen {
        uint8_t mode;
        std::string title;
    };
    std::map<unsigned long, Seen> seen;
    auto look = [&](unsigned long frame) {
        then(frame, [this, &seen, frame] { seen[frame] = {vdp.mode, textRow(0, 1, 16)}; });
    };
    tap(5, key3);
    look(12);
    tap(14, key2);
    look(20);
    tap(22, key1);           // a plain digit is a key like any other on the keyboard page
    look(28);
    then(30, [this] { press(keyCtrl); });
    tap(30, key1);
    then(34, [this] { release(keyCtrl); });
    look(40);
    tap(42, key4);           // the graphics page draws its picture for about a second
    look(80);
    tap(82, key1);
    look(90);
    run(90);
    EXPECT_EQ(seen[12].title, "SOUND           ");
    EXPECT_EQ(seen[20].title, "KEYBOARD MATRIX ");
    EXPECT_EQ(seen[28].title, "KEYBOARD MATRIX ");
    EXPECT_EQ(seen[40].title, "OLLENDOR        ");
    EXPECT_EQ(seen[80].mode, modeGraphics2);
    EXPECT_EQ(seen[90].mode, modeText);
    EXPECT_EQ(seen[90].title, "OLLENDOR        ");
    for (unsigned long frame : {12ul, 20ul, 28ul, 40ul})
        EXPECT_EQ(seen[frame].mode, modeText) << frame;
}

// The grid: matrix row r on screen row 4 + 2r, column c at screen column 4c; the raw
// bytes of row r at column 7 + 3r of screen rows 21 (IN 5) and 22 (IN 6).
TEST_F(BuiltinRomRun, KeyboardPageHighlightsHeldKeys)
{
    std::string heldH, heldRow4In5, releasedRow4In5, heldRow7In6;
    bool hInverse = false, hAfter = true, qInverse = true, spaceInverse = false;
    tap(5, key2);
    then(16, [this] {
        press(keyH);     // row 4, column 3
        press(0x20);     // Space: row 7, column 8 (read through IN 6)
    });
    then(20, [&] {
        heldH = textRow(12, 12, 3);
        hInverse = inverse(12, 12);
        qInverse = inverse(10, 0); // Q, row 3 column 0: not held
        spaceInverse = inverse(18, 32);
        heldRow4In5 = textRow(21, 19, 2);
        heldRow7In6 = textRow(22, 28, 2);
        release(keyH);
        release(0x20);
    });
    then(24, [&] {
        hAfter = inverse(12, 12);
        releasedRow4In5 = textRow(21, 19, 2);
    });
    run(24);
    EXPECT_EQ(textRow(0, 1, 15), "KEYBOARD MATRIX");
    EXPECT_EQ(heldH, "H  ");
    EXPECT_TRUE(hInverse);
    EXPECT_TRUE(spaceInverse);
    EXPECT_FALSE(qInverse);
    EXPECT_EQ(heldRow4In5, "F7");
    EXPECT_FALSE(hAfter);
    EXPECT_EQ(releasedRow4In5, "FF");
    EXPECT_EQ(heldRow7In6, "FE");
    EXPECT_EQ(textRow(22, 28, 2), "FF");
}

TEST_F(BuiltinRomRun, SoundPagePlaysAFourHundredFortyHertzAOnH)
{
    uint16_t heldFrequency = 0, heldAmplitude = 0, otherAmplitude = 1;
    uint16_t twoFrequency = 0, releasedAmplitude = 1;
    tap(5, key3);
    then(12, [this] { press(keyH); });
    then(16, [&] {
        heldFrequency = tones.frequency[0];
        heldAmplitude = tones.amplitude[0];
        otherAmplitude = tones.amplitude[1];
        press(keyQ);     // C5 takes the next free channel
    });
    then(20, [&] {
        twoFrequency = tones.frequency[1];
        release(keyH);
        release(keyQ);
    });
    then(24, [&] { releasedAmplitude = tones.amplitude[0]; });
    run(24);
    EXPECT_EQ(heldFrequency, 440);
    EXPECT_EQ(heldAmplitude, 25600);
    EXPECT_EQ(otherAmplitude, 0);
    EXPECT_EQ(twoFrequency, 523);
    EXPECT_EQ(releasedAmplitude, 0);
    EXPECT_EQ(tones.amplitude[1], 0);
    // Every change went to the host, which plays it: the last publication is the silence.
    ASSERT_FALSE(driver.host.tones.empty());
    EXPECT_EQ(driver.host.tones.back(), tones);
    const bool heardA = std::any_of(driver.host.tones.begin(), driver.host.tones.end(),
                                    [](const ToneSettings& t) { return t.frequency[0] == 440 && t.amplitude[0] == 25600; });
    EXPECT_TRUE(heardA) << "the note was never published";
}

TEST_F(BuiltinRomRun, GraphicsPageMovesSpritesFromTheInterrupt)
{
    std::vector<uint8_t> before, after;
    auto attributes = [this] { return std::vector<uint8_t>(vdp.vram + 0x1B00, vdp.vram + 0x1B00 + 33); };
    tap(5, key4);
    then(50, [&] { before = attributes(); }); // the picture is drawn by frame 40
    then(51, [&] { after = attributes(); });
    run(51);
    EXPECT_EQ(vdp.mode, modeGraphics2);
    EXPECT_NE(vdp.registers[1] & 0x40, 0) << "display on";
    EXPECT_NE(vdp.registers[1] & 0x02, 0) << "16 x 16 sprites";
    ASSERT_EQ(before.size(), 33u);
    EXPECT_EQ(before[32], 0xD0) << "eight sprites, then the end of the list";
    unsigned moved = 0;
    for (unsigned s = 0; s < 8; ++s) {
        const int dx = std::abs(int(after[4 * s + 1]) - int(before[4 * s + 1]));
        const int dy = std::abs(int(after[4 * s]) - int(before[4 * s]));
        moved += dx != 0 || dy != 0;
        EXPECT_LT(dx + dy, 40) << "sprite " << s << " jumped";
        EXPECT_LT(before[4 * s], 192 - 16) << "sprite " << s << " below the picture";
    }
    EXPECT_EQ(moved, 8u) << "every sprite moves between two frames";
    // The picture fills all three thirds: every third's name table has non-blank cells.
    for (unsigned third = 0; third < 3; ++third) {
        unsigned cells = 0;
        for (unsigned i = 0; i < 256; ++i)
            for (unsigned b = 0; b < 8; ++b)
                cells += vdp.vram[third * 0x800 + i * 8 + b] != 0;
        EXPECT_GT(cells, 100u) << "third " << third;
    }
}

TEST_F(BuiltinRomRun, TapePageLoadsTheDemoTape)
{
    driver.session.setTapeFolder(std::filesystem::path(OLLENDOR_BINARY_DIR) / "tapes");
    tap(5, key5);
    run(15);
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(m.tape.opened);
    EXPECT_EQ(textRow(0, 1, 4), "TAPE");
    EXPECT_EQ(textRow(5, 1, 20), "Title:  Hello, tape!");
    EXPECT_TRUE(startsWith(textRow(6, 1), "Data:   ")) << textRow(6);
    EXPECT_NE(textRow(6).find(" bytes to 4000, RAM page 1"), std::string::npos) << textRow(6);
    EXPECT_TRUE(startsWith(textRow(8, 1), "This text came from the demo tape, a")) << textRow(8);
    const std::string loaded(reinterpret_cast<const char*>(&m.memory.page[1][0x4000]), 36);
    EXPECT_EQ(loaded, "This text came from the demo tape, a");
    EXPECT_EQ(m.memory.page[0][0x4000], 0) << "the data belongs in RAM page 1 only";
    EXPECT_EQ(m.memory.ramPage, 0) << "the page puts RAM page 0 back";
}

TEST_F(BuiltinRomRun, TapePageWithoutATapeSaysSoAndKeepsRunning)
{
    std::string clockThen, said, againShown;
    uint8_t againCap = 0;
    tap(5, key5);
    then(20, [&] {
        clockThen = clockText();
        said = textRow(5, 1, 35);
        againShown = textRow(21, 1, 21);
        againCap = m.vdp.vram[21 * 40 + 1];
    });
    tap(22, key1);
    run(75);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].caption, "File not found");
    EXPECT_NE(messages()[0].text.find("OLLENDEMO"), std::string::npos);
    EXPECT_FALSE(m.tape.opened);
    EXPECT_EQ(said, "Nothing was loaded: the header came");
    EXPECT_EQ(clockThen, "00:00");
    EXPECT_EQ(againShown, "\x1A load the tape again");
    EXPECT_EQ(againCap, 0x1A) << "the L is a key cap, as the page keys are";
    EXPECT_EQ(textRow(0, 1, 8), "OLLENDOR") << "the page keys still work";
    EXPECT_EQ(clockText(), "00:02") << "the clock still runs (2.5 s)";
}

// The demo tape as built, with another title (the header's last 12 bytes).
std::vector<uint8_t> demoTapeTitled(const std::string& title)
{
    std::ifstream in(std::filesystem::path(OLLENDOR_BINARY_DIR) / "tapes" / "OLLENDEMO", std::ios::binary);
    std::vector<uint8_t> tape(std::istreambuf_iterator<char>(in), {});
    EXPECT_GT(tape.size(), 18u);
    EXPECT_EQ(title.size(), 12u);
    std::copy(title.begin(), title.end(), tape.begin() + 6);
    return tape;
}

// The README's promise on our own ROM: a tape missing at the first load is put in place,
// and L on the tape page loads it.
TEST_F(BuiltinRomRun, TapePageLoadsAgainOnLOnceTheTapeIsInPlace)
{
    std::string before;
    tap(5, key5);
    then(15, [&] {
        before = textRow(5, 1, 18);
        writeFile(emptyTapes.path() / "OLLENDEMO", demoTapeTitled("Hello, tape!"));
    });
    tap(18, keyL);
    run(30);
    EXPECT_EQ(before, "Nothing was loaded");
    ASSERT_EQ(messages().size(), 1u) << "the missing tape, said once";
    EXPECT_TRUE(m.tape.opened);
    EXPECT_EQ(textRow(5, 1, 20), "Title:  Hello, tape!");
    EXPECT_TRUE(startsWith(textRow(8, 1), "This text came from the demo tape, a")) << textRow(8);
}

// After a load, L reads the file afresh (it was changed meanwhile) — once per press, not
// again and again while the key is held.
TEST_F(BuiltinRomRun, TapePageLoadsAChangedTapeOncePerPress)
{
    writeFile(emptyTapes.path() / "OLLENDEMO", demoTapeTitled("First title "));
    std::string first, whileHeld;
    tap(5, key5);
    then(15, [&] {
        first = textRow(5, 9, 12);
        writeFile(emptyTapes.path() / "OLLENDEMO", demoTapeTitled("Second title"));
    });
    tap(18, keyL, 12);
    then(24, [&] { writeFile(emptyTapes.path() / "OLLENDEMO", demoTapeTitled("Third title ")); });
    then(29, [&] { whileHeld = textRow(5, 9, 12); });
    tap(34, keyL);
    run(45);
    EXPECT_EQ(first, "First title ");
    EXPECT_EQ(whileHeld, "Second title") << "held L must not load again";
    EXPECT_EQ(textRow(5, 9, 12), "Third title ");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(m.memory.ramPage, 0) << "the page puts RAM page 0 back";
}

} // namespace
