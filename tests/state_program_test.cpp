// Save states and recordings through the program, headless, on the built-in ROM's graphics
// page: a run cut in two by a state file, or replayed from a recording, ends on the same
// picture as one whole run; unusable files stop the program before anything is written.
#include <gtest/gtest.h>

#include "files/safe_file.h"
#include "tests/program_run_support.h"

using namespace programtest;

namespace {

// A headless run from an empty folder (the built-in ROM, no tapes) with these arguments.
RunResult run(const ScratchDir& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"--headless", "--rom-dir", folder.path().string()});
    return runOllendor(RunSetup(std::move(arguments)));
}

} // namespace

TEST(StateProgram, AStateFileCutsARunInTwoWithoutChangingIt)
{
    ScratchDir folder;
    const auto whole = folder.path() / "whole.png", split = folder.path() / "split.png";
    const auto state = folder.path() / "at120.state";
    ASSERT_EQ(run(folder, {"--frames", "300", "--type", "4", "--screenshot", whole.string()}).exitCode, 0);
    const RunResult first = run(folder, {"--frames", "120", "--type", "4", "--save-state", state.string()});
    ASSERT_EQ(first.exitCode, 0) << describe(first);
    const RunResult second = run(folder, {"--load-state", state.string(), "--frames", "180", "--screenshot", split.string()});
    ASSERT_EQ(second.exitCode, 0) << describe(second);
    EXPECT_EQ(readText(whole), readText(split)) << "300 frames, or 120 + a state + 180";
}

// Keys typed across the save point, carried over by a recording: the graphics page opens
// after frame 120 and its sprites move on from there.
TEST(StateProgram, ARecordingCarriesKeysAcrossTheSavePoint)
{
    ScratchDir folder;
    const auto whole = folder.path() / "whole.png", replayed = folder.path() / "replayed.png";
    const auto recording = folder.path() / "run.rec";
    // "3 ... 4": the sound page, then the graphics page well after frame 120.
    const std::string typed = "3                 4";
    ASSERT_EQ(run(folder, {"--frames", "300", "--type", typed, "--screenshot", whole.string()}).exitCode, 0);
    const RunResult recorded = run(folder, {"--frames", "300", "--type", typed, "--record", recording.string()});
    ASSERT_EQ(recorded.exitCode, 0) << describe(recorded);
    const RunResult replay = run(folder, {"--replay", recording.string(), "--screenshot", replayed.string()});
    ASSERT_EQ(replay.exitCode, 0) << describe(replay);
    EXPECT_EQ(readText(whole), readText(replayed)) << "the replay ends on the recorded run's last picture";

    // At the save point the replayed machine is the typed one, to the byte.
    const auto typedState = folder.path() / "typed.state", replayedState = folder.path() / "replayed.state";
    ASSERT_EQ(run(folder, {"--frames", "120", "--type", typed, "--save-state", typedState.string()}).exitCode, 0);
    ASSERT_EQ(run(folder, {"--replay", recording.string(), "--frames", "120", "--save-state", replayedState.string()}).exitCode, 0);
    EXPECT_EQ(readText(typedState), readText(replayedState));
}

// The sound samples of a WAV file (its header is the 44 bytes this program writes).
std::string wavSamples(const std::filesystem::path& file)
{
    const std::string bytes = readText(file);
    return bytes.size() < 44 ? std::string() : bytes.substr(44);
}

// The WAV of a replay is the recorded run's, sample for sample.
TEST(StateProgram, AReplaysWavIsTheRecordedRuns)
{
    ScratchDir folder;
    const auto recorded = folder.path() / "recorded.wav", replayed = folder.path() / "replayed.wav";
    const auto recording = folder.path() / "run.rec";
    // The sound page, notes on H, Q and M.
    const RunResult first = run(folder, {"--frames", "90", "--type", "3hqm", "--record", recording.string(),
                                         "--wav", recorded.string()});
    ASSERT_EQ(first.exitCode, 0) << describe(first);
    const RunResult replay = run(folder, {"--replay", recording.string(), "--wav", replayed.string()});
    ASSERT_EQ(replay.exitCode, 0) << describe(replay);
    const std::string samples = wavSamples(recorded);
    ASSERT_GT(samples.size(), 2u * 80000);
    ASSERT_NE(samples.find_first_not_of('\0'), std::string::npos) << "no note in the sound";
    EXPECT_TRUE(samples == wavSamples(replayed)) << "the replay's sound differs";
}

// A state saved while a tone plays (a program of our own that plays tones all the time, as
// the OS ROM) gives that tone at once when loaded with --wav, and the WAV is the whole run's
// from the half under way at the save on.
TEST(StateProgram, AStateSavedWhileAToneIsPlayingGivesItAtOnce)
{
    ScratchDir folder;
    std::string os = readText(std::filesystem::path(OLLENDOR_TEST_ASM_DIR) / "tone_tape.bin");
    ASSERT_FALSE(os.empty());
    os.resize(8192, '\0');
    writeText(folder.path() / "osrom", os);
    writeText(folder.path() / "basicrom", std::string(8192, '\xB0'));
    writeText(folder.path() / "assemrom", std::string(8192, '\xA0'));
    const auto whole = folder.path() / "whole.wav", split = folder.path() / "split.wav";
    const auto state = folder.path() / "at23.state";
    ASSERT_EQ(run(folder, {"--frames", "60", "--wav", whole.string()}).exitCode, 0);
    const RunResult first = run(folder, {"--frames", "23", "--save-state", state.string()});
    ASSERT_EQ(first.exitCode, 0) << describe(first);
    const RunResult second = run(folder, {"--load-state", state.string(), "--frames", "37", "--wav", split.string()});
    ASSERT_EQ(second.exitCode, 0) << describe(second);
    const std::string all = wavSamples(whole), tail = wavSamples(split);
    ASSERT_GT(tail.size(), 2u * 1562);
    ASSERT_LT(tail.size(), all.size());
    EXPECT_NE(tail.substr(0, 2 * 1562).find_first_not_of('\0'), std::string::npos) << "silent after the load";
    EXPECT_TRUE(tail == all.substr(all.size() - tail.size())) << "not the whole run's sound";
}

TEST(StateProgram, UnusableFilesStopTheProgramBeforeAnythingIsWritten)
{
    ScratchDir folder;
    const auto shot = folder.path() / "shot.png", saved = folder.path() / "saved.state";
    writeText(folder.path() / "noise.state", std::string(500, 'x'));
    writeText(folder.path() / "noise.rec", std::string("OLLRECRD\x01\x00\x00\x00\x10\x00\x00\x00", 16)); // version 1, then nothing
    struct Case {
        std::vector<std::string> arguments;
        std::string says;
    };
    const Case cases[] = {
        {{"--load-state", (folder.path() / "noise.state").string()}, "it is not a state file"},
        {{"--load-state", (folder.path() / "missing.state").string()}, "there is no such file"},
        {{"--load-state", folder.path().string()}, "folder"},
        {{"--replay", (folder.path() / "noise.rec").string()}, "cut short"},
        {{"--replay", (folder.path() / "noise.state").string()}, "it is not a recording"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        for (const std::string& more : {std::string("--screenshot"), shot.string(), std::string("--save-state"), saved.string()})
            arguments.push_back(more);
        const RunResult result = run(folder, arguments);
        EXPECT_EQ(result.exitCode, 1) << describe(result);
        EXPECT_NE(result.errors.find(c.arguments[1]), std::string::npos) << "names the file: " << result.errors;
        EXPECT_NE(result.errors.find(c.says), std::string::npos) << result.errors;
        EXPECT_FALSE(std::filesystem::exists(shot));
        EXPECT_FALSE(std::filesystem::exists(saved));
    }
    const RunResult both = run(folder, {"--replay", "a.rec", "--load-state", "b.state"});
    EXPECT_EQ(both.exitCode, 2) << describe(both);
}

// A device is no file to replace: refused before the run, as the save at its end would be.
TEST(StateProgram, AStateFileOnADeviceIsRefusedBeforeTheRun)
{
    ScratchDir folder;
    const RunResult result = run(folder, {"--frames", "5", "--save-state", "/dev/full"});
    EXPECT_EQ(result.exitCode, 1) << describe(result);
    EXPECT_NE(result.errors.find("cannot write the state file '/dev/full'"), std::string::npos) << result.errors;
}
