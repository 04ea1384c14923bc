// Loading symbols: the label files of z80asm and pasmo as they write them, bad lines
// reported and skipped, files that cannot be read, the built-in ROMs' embedded labels, and
// (when it is installed) pasmo's own output.
#include <gtest/gtest.h>
#include "tests/support/scratch_files.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "debug/builtin_symbols.h"
#include "debug/symbol_file.h"
#include "roms/builtin_rom.h"

using namespace ollendor;
namespace fs = std::filesystem;

namespace {

// As z80asm --label writes it.
constexpr std::string_view z80asmLabels =
    "Loop:\tequ $8002\n"
    "_x:\tequ $800a\n"
    "a.b:\tequ $8009\n"
    "big:\tequ $12345\n"
    "neg:\tequ $ffffffff\n"
    "print_char:\tequ $8007\n"
    "zero:\tequ $0000\n";

// As pasmo writes its symbol file (the same lines with --public): tabs to column 16, a
// single space after longer names, and made-up names for LOCAL labels.
constexpr std::string_view pasmoSymbols =
    "00000000\tEQU 00100H\n"
    ".dot\t\tEQU 0800BH\n"
    "LongLabelNameOverSixteen EQU 00003H\n"
    "a?b\t\tEQU 00101H\n"
    "big\t\tEQU 0FFFFH\n"
    "f@g\t\tEQU 00104H\n";

// A folder of its own under the temporary folder, removed with its contents.
class Scratch {
public:
    Scratch() : path_(fs::temp_directory_path() / ("ollendor-symbols-" + std::to_string(getpid())))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() { fs::remove_all(path_); }
    fs::path file(const std::string& name, std::string_view text) const
    {
        std::ofstream(path_ / name, std::ios::binary) << text;
        return path_ / name;
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

} // namespace

TEST(SymbolFile, LoadsWhatZ80asmAndPasmoWrite)
{
    Symbols symbols;
    const SymbolFileResult z80asm = loadSymbolText(symbols, z80asmLabels, "game.labels");
    EXPECT_TRUE(z80asm.ok()) << z80asm.error;
    EXPECT_EQ(z80asm.added, 5u);
    EXPECT_EQ(symbols.addressOf("Loop"), 0x8002);
    EXPECT_EQ(symbols.addressOf("a.b"), 0x8009);
    EXPECT_EQ(symbols.addressOf("zero"), 0x0000);
    // Values beyond 16 bits (z80asm writes -1 as $ffffffff) are no addresses.
    ASSERT_EQ(z80asm.problems.size(), 2u);
    EXPECT_EQ(z80asm.problems[0].message(), "game.labels:4: value $12345 of 'big' is not a 16-bit address");
    EXPECT_EQ(z80asm.problems[1].line, 5u);

    const SymbolFileResult pasmo = loadSymbolText(symbols, pasmoSymbols, "game.sym");
    EXPECT_TRUE(pasmo.ok()) << pasmo.error;
    EXPECT_EQ(pasmo.problemCount, 0u) << "the made-up local name is skipped, not reported";
    EXPECT_EQ(pasmo.added, 5u);
    EXPECT_EQ(symbols.addressOf(".dot"), 0x800B);
    EXPECT_EQ(symbols.addressOf("LongLabelNameOverSixteen"), 0x0003);
    EXPECT_EQ(symbols.addressOf("big"), 0xFFFF);
    EXPECT_EQ(symbols.addressOf("f@g"), 0x0104);
    EXPECT_FALSE(symbols.addressOf("00000000"));
}

TEST(SymbolFile, BadLinesAreReportedWithTheirNumbersAndTheRestLoads)
{
    Symbols symbols;
    const std::string text = "; symbols for the game\r\n"   // 1 comment, CRLF
                             "start: equ $8000 ; entry\r\n" // 2
                             "\r\n"                          // 3 blank
                             "garbage here\n"                // 4
                             "1st: equ $10\n"                // 5 starts with a digit
                             "x: equ $zz\n"                  // 6
                             "y equ 5 extra\n"               // 7
                             "start equ 0x9000\n"            // 8 another address
                             "start: EQU 32768\n"            // 9 the same one again
                             "plain = 0x4000\n"              // 10
                             "tail equ #C000";               // 11, no line end
    const SymbolFileResult result = loadSymbolText(symbols, text, "game.sym");
    EXPECT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.added, 3u);
    EXPECT_EQ(result.symbolLines, 5u);
    EXPECT_EQ(symbols.addressOf("start"), 0x8000);
    EXPECT_EQ(symbols.addressOf("plain"), 0x4000);
    EXPECT_EQ(symbols.addressOf("tail"), 0xC000);

    const struct {
        std::size_t line;
        const char* reasonStart;
    } expected[] = {
        {4, "expected 'NAME EQU VALUE'"},
        {5, "not a valid symbol name: '1st'"},
        {6, "not a number: '$zz'"},
        {7, "unexpected 'extra' after the value"},
        {8, "'start' is already $8000; $9000 ignored"},
    };
    ASSERT_EQ(result.problems.size(), std::size(expected));
    EXPECT_EQ(result.problemCount, std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(result.problems[i].file, "game.sym");
        EXPECT_EQ(result.problems[i].line, expected[i].line);
        const std::string& reason = result.problems[i].reason;
        EXPECT_EQ(reason.rfind(expected[i].reasonStart, 0), 0u) << reason;
    }
}

TEST(SymbolFile, ManyBadLinesAreCountedButOnlyTheFirstListed)
{
    std::string text = "good equ 1\n";
    for (int i = 0; i < 500; ++i)
        text += "not a symbol line\n";
    text += std::string(5000, 'x') + " equ 1\n";
    Symbols symbols;
    const SymbolFileResult result = loadSymbolText(symbols, text, "big.sym");
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.problemCount, 501u);
    EXPECT_EQ(result.problems.size(), SymbolFileResult::maxListedProblems);
    EXPECT_EQ(symbols.addressOf("good"), 1);
}

TEST(SymbolFile, TextWithNoSymbolLineOrBinaryDataIsAnError)
{
    Symbols symbols;
    const SymbolFileResult source = loadSymbolText(symbols, "\torg 0\nstart:\tld a,1\n", "game.asm");
    EXPECT_FALSE(source.ok());
    EXPECT_NE(source.error.find("game.asm holds no symbol lines"), std::string::npos) << source.error;
    EXPECT_EQ(source.problemCount, 2u);

    const std::string_view withNul("ab: equ 1\n\0\x01", 12);
    const SymbolFileResult binary = loadSymbolText(symbols, withNul, "game.bin");
    EXPECT_FALSE(binary.ok());
    EXPECT_TRUE(symbols.empty()) << "nothing loads from a file that is not text";

    const SymbolFileResult empty = loadSymbolText(symbols, "", "empty.sym");
    EXPECT_TRUE(empty.ok()) << "an empty file has no symbols and nothing wrong";
    EXPECT_EQ(empty.added, 0u);
}

TEST(SymbolFile, AFileThatCannotBeReadIsOneClearErrorAndNeverBlocks)
{
    Scratch scratch;
    Symbols symbols;
    const auto missing = loadSymbolFile(symbols, scratch.path() / "missing.sym");
    EXPECT_NE(missing.error.find("No such file"), std::string::npos) << missing.error;

    const auto folder = loadSymbolFile(symbols, scratch.path());
    EXPECT_NE(folder.error.find("is a folder"), std::string::npos) << folder.error;

    // A FIFO with no writer: opening it to read would wait for one forever.
    const fs::path fifo = scratch.path() / "fifo.sym";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto pipe = loadSymbolFile(symbols, fifo);
    EXPECT_NE(pipe.error.find("not a regular file"), std::string::npos) << pipe.error;

    const auto device = loadSymbolFile(symbols, "/dev/zero");
    EXPECT_NE(device.error.find("not a regular file"), std::string::npos) << device.error;

    const fs::path huge = scratch.file("huge.sym", "");
    fs::resize_file(huge, maxSymbolFileSize + 1); // sparse: nothing is written
    const auto tooLarge = loadSymbolFile(symbols, huge);
    EXPECT_NE(tooLarge.error.find("too large"), std::string::npos) << tooLarge.error;

    for (const auto* result : {&missing, &folder, &pipe, &device, &tooLarge}) {
        EXPECT_FALSE(result->ok());
        EXPECT_EQ(result->problemCount, 0u);
    }
    EXPECT_TRUE(symbols.empty());

    const fs::path good = scratch.file("game.labels", z80asmLabels);
    const auto loaded = loadSymbolFile(symbols, good);
    EXPECT_TRUE(loaded.ok()) << loaded.error;
    EXPECT_EQ(loaded.added, 5u);
    ASSERT_FALSE(loaded.problems.empty());
    EXPECT_EQ(loaded.problems[0].file, good.string());
}

TEST(SymbolFile, TheBuiltInRomSymbolsAreTheLabelFilesTheBuildWrote)
{
    // Each image's table holds exactly the lines of its label file in build/roms/.
    for (std::string_view image : romFileNames) {
        Symbols fromDisk;
        const fs::path file = fs::path(OLLENDOR_BINARY_DIR) / "roms" / (std::string(image) + ".labels");
        const auto result = loadSymbolFile(fromDisk, file);
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(result.problemCount, 0u) << image;
        EXPECT_GT(fromDisk.size(), 50u) << image;

        const Symbols embedded = builtinRomSymbols(image);
        EXPECT_EQ(embedded.size(), fromDisk.size()) << image;
        fromDisk.forEach([&](uint16_t address, std::string_view name) {
            EXPECT_EQ(embedded.addressOf(name), address) << image << " " << name;
            EXPECT_EQ(builtinRomSymbols().addressOf(name), address) << name;
        });
    }
    EXPECT_TRUE(builtinRomSymbols("no such rom").empty());

    // The names the sources give numbers with equ (ports, colours, variables) are values:
    // the reset entry is the best name of 0, and the code after it is not named by them.
    const Symbols& all = builtinRomSymbols();
    EXPECT_EQ(all.nameAt(0x0000), "reset");
    EXPECT_EQ(all.labelAt(*all.addressOf("portVdpCtrl")), "");
    EXPECT_EQ(all.nearest(0x0007), "reset+$7");
    const uint16_t variable = *all.addressOf("clockShown");
    EXPECT_EQ(all.nearest(uint16_t(variable + 1)), "clockShown+$1") << "a variable in RAM";
}

TEST(SymbolFile, LoadsPasmosOwnOutput)
{
    // Only where pasmo is installed; the samples above check its format everywhere.
    if (std::system("command -v pasmo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pasmo is not installed (Debian package pasmo): its live output is not checked";
    Scratch scratch;
    const fs::path source = scratch.file("game.asm", "\torg 08000h\n"
                                                     "start:\tld a,1\n"
                                                     "loop:\tdjnz loop\n"
                                                     "\tpublic loop\n"
                                                     "value\tequ 1234h\n"
                                                     "outer:\tproc\n"
                                                     "\tlocal inner\n"
                                                     "inner:\tret\n"
                                                     "\tendp\n"
                                                     "AVeryLongLabelName:\tnop\n");
    const fs::path dir = scratch.path();
    const std::string command = "cd '" + dir.string() + "' && pasmo game.asm game.bin game.sym game.pub 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "pasmo failed";

    Symbols all;
    const auto result = loadSymbolFile(all, dir / "game.sym");
    EXPECT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.problemCount, 0u) << readText(dir / "game.sym");
    EXPECT_EQ(all.addressOf("start"), 0x8000);
    EXPECT_EQ(all.addressOf("loop"), 0x8002);
    EXPECT_EQ(all.addressOf("value"), 0x1234);
    EXPECT_EQ(all.addressOf("outer"), 0x8004);
    EXPECT_EQ(all.addressOf("AVeryLongLabelName"), 0x8005);
    EXPECT_EQ(all.size(), 5u) << "the LOCAL label is skipped";

    Symbols publics;
    EXPECT_TRUE(loadSymbolFile(publics, dir / "game.pub").ok());
    EXPECT_EQ(publics.size(), 1u);
    EXPECT_EQ(publics.addressOf("loop"), 0x8002);
}

// Many names at one address (a million fit in a file the size limit allows) load in about
// linear time, best names first, whatever order they come in: half look local and are
// added first, so every later name goes in front of them.
TEST(SymbolFile, ManyNamesAtOneAddressLoadQuickly)
{
    constexpr int count = 50000;
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i < count / 2 ? "_local" : "name") + std::to_string(i) + ": equ $1000\n";
    const auto start = std::chrono::steady_clock::now();
    Symbols symbols;
    const ParsedSymbols parsed = parseSymbolText(text, "many.labels");
    const SymbolFileResult result = addParsedSymbols(symbols, parsed);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(20)); // well under a second in a release build
    EXPECT_EQ(result.added, size_t(count));
    const std::vector<std::string_view> names = symbols.namesAt(0x1000);
    ASSERT_EQ(names.size(), size_t(count));
    EXPECT_EQ(names.front(), "name" + std::to_string(count / 2));
    EXPECT_EQ(names[count / 2 - 1], "name" + std::to_string(count - 1));
    EXPECT_EQ(names[count / 2], "_local0");
    EXPECT_EQ(names.back(), "_local" + std::to_string(count / 2 - 1));
}

// Parsing apart from adding gives what loading gives: the problems of both kinds in line
// order, the counts the same.
TEST(SymbolFile, ParsedThenAddedIsTheSameAsLoaded)
{
    const std::string text = "a: equ $1000\nbad line here\na: equ $2000\nb equ 0x10\n9xyz = 1\n";
    Symbols first;
    first.add("b", 0x20);
    Symbols second = first;
    const SymbolFileResult loaded = loadSymbolText(first, text, "f");
    const SymbolFileResult added = addParsedSymbols(second, parseSymbolText(text, "f"));
    EXPECT_EQ(loaded.added, 1u);
    EXPECT_EQ(added.added, loaded.added);
    EXPECT_EQ(added.symbolLines, 3u);
    ASSERT_EQ(added.problemCount, 4u);
    ASSERT_EQ(added.problems.size(), 4u);
    const std::size_t lines[] = {2, 3, 4, 5};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(added.problems[i].line, lines[i]) << added.problems[i].message();
}
