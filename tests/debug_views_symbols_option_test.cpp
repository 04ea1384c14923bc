// --symbols on the command line: repeated for several files, an empty name refused with
// exit code 2, and a run whose label file cannot be used stops before anything runs
// (exit code 1, the file named) while bad lines in a usable one are listed and skipped.
#include "frontend/options.h"

#include "tests/program_run_support.h"

namespace {

CommandLine parseArguments(std::vector<const char*> args)
{
    args.insert(args.begin(), "ollendor");
    return parseCommandLine(int(args.size()), args.data());
}

} // namespace

TEST(SymbolsOption, EachFileInTheOrderGiven)
{
    const CommandLine none = parseArguments({});
    ASSERT_TRUE(none.run);
    EXPECT_TRUE(none.options.symbols.empty());
    const CommandLine two = parseArguments({"--symbols", "a.lbl", "--symbols", "b.equ"});
    ASSERT_TRUE(two.run);
    EXPECT_EQ(two.options.symbols, (std::vector<std::filesystem::path>{"a.lbl", "b.equ"}));
    // One file for each --symbols: a name after it is the tape to mount (two are too many).
    const CommandLine tape = parseArguments({"--symbols", "a.lbl", "game.mtx"});
    ASSERT_TRUE(tape.run);
    EXPECT_EQ(tape.options.symbols, (std::vector<std::filesystem::path>{"a.lbl"}));
    EXPECT_EQ(tape.options.tape, std::filesystem::path("game.mtx"));
    for (const auto& bad : std::vector<std::vector<const char*>>{{"--symbols"}, {"--symbols", ""}, {"--symbols", "a", "b", "c"}}) {
        const CommandLine c = parseArguments(bad);
        EXPECT_FALSE(c.run) << bad.size();
        EXPECT_EQ(c.exitCode, exitBadCommandLine) << bad.size();
    }
}

TEST(SymbolsOption, AnUnusableFileStopsTheRunAndBadLinesAreListed)
{
    programtest::ScratchDir dir;
    const auto good = dir.path() / "game.lbl";
    programtest::writeText(good, "player:\tequ $C100\nnot a label line\n");
    const programtest::RunResult listed = programtest::runOllendor(programtest::RunSetup({"--headless", "--frames", "2", "--symbols", good.string()}));
    EXPECT_EQ(listed.exitCode, 0) << programtest::describe(listed);
    EXPECT_NE(listed.errors.find("game.lbl:2"), std::string::npos) << listed.errors;

    const auto missing = dir.path() / "missing.lbl";
    const programtest::RunResult failed = programtest::runOllendor(programtest::RunSetup({"--headless", "--frames", "2", "--symbols", missing.string()}));
    EXPECT_EQ(failed.exitCode, 1) << programtest::describe(failed);
    EXPECT_NE(failed.errors.find("missing.lbl"), std::string::npos) << failed.errors;

    const programtest::RunResult folder = programtest::runOllendor(programtest::RunSetup({"--headless", "--frames", "2", "--symbols", dir.path().string()}));
    EXPECT_EQ(folder.exitCode, 1) << programtest::describe(folder);
    EXPECT_NE(folder.errors.find("folder"), std::string::npos) << folder.errors;
}
