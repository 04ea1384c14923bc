// --load FILE@ADDRESS and --start ADDRESS through the program, headless on the built-in
// ROM: the bytes are in memory and the CPU ran them (read back from a saved state), at once
// or after --start-frame frames; bad files and addresses stop the program with a message.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "files/state_files.h"
#include "tests/program_run_support.h"
#include "tests/support/graphics_page.h"

using namespace programtest;

namespace {

// DI; LD A,$5A; LD ($9000),A; LD A,(marker); INC A; LD ($9001),A; JR $
const char codeText[] = "\xF3\x3E\x5A\x32\x00\x90\x3A\x00\xA0\x3C\x32\x01\x90\x18\xFE";
const std::string codeBytes(codeText, sizeof codeText - 1); // with its zero bytes

RunResult run(const ScratchDir& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"--headless", "--rom-dir", folder.path().string()});
    return runOllendor(RunSetup(std::move(arguments)));
}

// The machine a run saved.
std::unique_ptr<Mtx> savedMachine(const std::filesystem::path& state)
{
    auto machine = graphics_page::builtinMachine();
    const StateResult loaded = loadStateFile(state, *machine, *machine);
    EXPECT_TRUE(loaded.ok) << loaded.error;
    return machine;
}

} // namespace

TEST(ProgramLoad, LoadedCodeRunsAtOnceOrAfterTheFramesAsked)
{
    ScratchDir folder;
    const auto code = folder.path() / "code.bin", marker = folder.path() / "marker.bin";
    writeText(code, codeBytes);
    writeText(marker, "\x41");
    for (const char* startFrame : {"", "5"}) {
        SCOPED_TRACE(startFrame);
        const auto state = folder.path() / "end.state";
        std::vector<std::string> arguments{"--load", code.string() + "@$8000", "--load", marker.string() + "@0xA000",
                                           "--start", "8000h", "--frames", "8", "--save-state", state.string()};
        if (*startFrame)
            arguments.insert(arguments.end(), {"--start-frame", startFrame});
        const RunResult result = run(folder, arguments);
        ASSERT_EQ(result.exitCode, 0) << describe(result);
        const auto machine = savedMachine(state);
        for (size_t i = 0; i < codeBytes.size(); ++i)
            EXPECT_EQ(memRead(machine->memory, uint16_t(0x8000 + i)), uint8_t(codeBytes[i])) << i;
        EXPECT_EQ(memRead(machine->memory, 0x9000), 0x5A) << "the code ran";
        EXPECT_EQ(memRead(machine->memory, 0x9001), 0x42) << "after both files were loaded";
        EXPECT_EQ(machine->cpu.PC, 0x800D) << "it waits in its JR $";
    }
    // Before the frame asked for, nothing is loaded yet.
    const auto early = folder.path() / "early.state";
    const RunResult result = run(folder, {"--load", code.string() + "@$8000", "--start", "$8000", "--start-frame", "5",
                                          "--frames", "4", "--save-state", early.string()});
    ASSERT_EQ(result.exitCode, 0) << describe(result);
    const auto machine = savedMachine(early);
    EXPECT_NE(memRead(machine->memory, 0x8001), 0x3E);
    EXPECT_NE(machine->cpu.PC, 0x800D);
}

TEST(ProgramLoad, BadFilesAndAddressesStopTheProgramWithAMessage)
{
    ScratchDir folder;
    const auto code = folder.path() / "code.bin", fifo = folder.path() / "fifo";
    writeText(code, codeBytes);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big(0x10001, '\0');
    writeText(folder.path() / "big.bin", big);
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        const char* said;
    } cases[] = {
        {{"--load", folder.path().string() + "@0x8000"}, 1, "it is a folder"},
        {{"--load", fifo.string() + "@0x8000"}, 1, "FIFO"},
        {{"--load", (folder.path() / "none.bin").string() + "@0x8000"}, 1, "no such file"},
        {{"--load", (folder.path() / "big.bin").string() + "@0"}, 1, "too long: 65537 bytes"},
        {{"--load", code.string() + "@$FFF8"}, 1, "only 8 fit"},
        {{"--load", code.string() + "@nosuchlabel"}, 1, "nosuchlabel"},
        {{"--load", code.string() + "@0x10000"}, 2, "past the end of memory"},
        {{"--load", code.string()}, 2, "is not FILE@ADDRESS"},
        {{"--load", code.string() + "@"}, 2, "the address is empty"},
        {{"--start", "$12G4"}, 1, "is neither a number"},
        {{"--start", "0x1FFFF"}, 2, "past the end of memory"},
        {{"--start-frame", "3"}, 2, "needs --load or --start"},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.arguments.front() + " " + bad.arguments.back());
        std::vector<std::string> arguments = bad.arguments;
        arguments.insert(arguments.end(), {"--frames", "2"});
        const RunResult result = run(folder, arguments);
        EXPECT_EQ(result.exitCode, bad.exitCode) << describe(result);
        EXPECT_NE(result.errors.find(bad.said), std::string::npos) << result.errors;
    }
}
