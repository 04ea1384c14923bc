// Recordings and positions: a machine run to a recorded position stands exactly where the
// recorded one stood, a replay gives the recorded run bit for bit (keys and tape answers
// included), and unusable recordings are refused with their reason.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include <unistd.h>

#include "control/session.h"
#include "machine/rom_set.h"
#include "files/recording_files.h"
#include "state/recording.h"
#include "state/state_file.h"
#include "tests/program_run_support.h"
#include "tests/support/graphics_page.h"
#include "tests/support/machine_compare.h"

using namespace ollendor;

namespace {

// A folder of its own, gone with its contents at the end.
struct Folder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("ollendor-rec-" + std::to_string(getpid()) + "-" +
                                  testing::UnitTest::GetInstance()->current_test_info()->name());
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() { std::filesystem::remove_all(path); }
};

// Messages kept instead of shown.
struct QuietHost : SessionHost {
    std::vector<std::string> messages;
    void showMessage(const char* caption, const char*) override { messages.push_back(caption); }
    void diagnosticLine(const char*) override {}
    void warningLine(const char*) override {}
    void publishTones(const ToneSettings&) override {}
};

} // namespace

TEST(MachinePositions, RunningToAPositionStopsExactlyWhereTheMachineStoodThere)
{
    // Positions and copies of a machine stepped instruction by instruction through frames
    // with interrupts, a HALT loop and slice ends.
    auto stepped = graphics_page::builtinMachine();
    std::vector<std::pair<MachinePosition, std::unique_ptr<Mtx>>> marks;
    for (int step = 0; step < 60000; ++step) {
        machineStep(*stepped);
        if (takeEvents(*stepped).has(MachineEvent::tapeRequest))
            tapeMissing(*stepped);
        if (step % 4999 == 0 || step == 60000 - 1)
            marks.emplace_back(machinePosition(*stepped), std::make_unique<Mtx>(*stepped));
    }
    for (size_t i = 1; i < marks.size(); ++i)
        ASSERT_TRUE(marks[i - 1].first < marks[i].first);
    auto running = graphics_page::builtinMachine();
    for (const auto& [position, copy] : marks) {
        while (!machineRunTo(*running, position)) {
            if (takeEvents(*running).has(MachineEvent::tapeRequest))
                tapeMissing(*running);
        }
        takeEvents(*running);
        ASSERT_EQ(machinePosition(*running), position);
        expectSameMachine(*copy, *running, "at a recorded position");
    }
}

TEST(MachinePositions, EveryInstructionMovesThePositionOn)
{
    auto machine = graphics_page::builtinMachine();
    MachinePosition last = machinePosition(*machine);
    for (int step = 0; step < 30000; ++step) {
        machineStep(*machine);
        takeEvents(*machine);
        const MachinePosition now = machinePosition(*machine);
        ASSERT_TRUE(last < now) << "step " << step;
        last = now;
    }
}

TEST(Recordings, AReplayGivesTheRecordedRunBitForBit)
{
    Folder folder;
    const std::filesystem::path file = folder.path / "run.rec";
    RomSet roms = builtinRomSet();
    Session recorded(roms);
    QuietHost host;
    recorded.setHost(host);
    recorded.typeText("3qwe4");
    std::string error;
    ASSERT_TRUE(recorded.startRecording(file, error)) << error;
    for (int frame = 0; frame < 40; ++frame)
        recorded.runFrame();
    // A key held by hand from the middle of a frame on, as the debugger allows.
    machineStep(recorded.machine());
    recorded.setHostKeys([](uint8_t key) { return key == 'W'; });
    recorded.updateInput();
    for (int frame = 0; frame < 60; ++frame)
        recorded.runFrame();
    recorded.setHostKeys(nullptr);
    for (int frame = 0; frame < 30; ++frame)
        recorded.runFrame();
    ASSERT_TRUE(recorded.stopRecording(error)) << error;

    const RecordingResult read = readRecording(file);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_GT(read.recording.inputs.size(), 8u);
    Session replayed(roms);
    replayed.setHost(host);
    ASSERT_TRUE(replayed.startReplay(read.recording, file.string(), error)) << error;
    while (!replayed.replayFinished())
        replayed.runFrame();
    expectSameMachine(recorded.machine(), replayed.machine(), "the replay's end");
}

// A replay read from its file as it goes (more inputs than the replay reads at a time)
// gives the same run as one read whole; the recording ends at the reader's size limit
// with the file whole and one message, and the writer and the reader agree on the limit.
TEST(Recordings, ReplayFromTheFileAsItGoesAndTheSizeLimit)
{
    Folder folder;
    const std::filesystem::path file = folder.path / "long.rec";
    RomSet roms = builtinRomSet();
    Session recorded(roms);
    QuietHost host;
    recorded.setHost(host);
    std::string error;
    ASSERT_TRUE(recorded.startRecording(file, error)) << error;
    for (int frame = 0; frame < 2200; ++frame) {
        recorded.setHostKeys([frame](uint8_t key) { return key == 'W' && frame % 2 == 0; });
        recorded.runFrame();
    }
    recorded.setHostKeys(nullptr);
    ASSERT_TRUE(recorded.stopRecording(error)) << error;

    std::unique_ptr<RecordingStream> stream = RecordingStream::open(file, error);
    ASSERT_TRUE(stream) << error;
    EXPECT_GT(stream->inputCount(), 2100u);
    Session replayed(roms);
    replayed.setHost(host);
    ASSERT_TRUE(replayed.startReplay(std::move(stream), file.string(), error)) << error;
    while (!replayed.replayFinished())
        replayed.runFrame();
    EXPECT_FALSE(replayed.replayDiverged());
    expectSameMachine(recorded.machine(), replayed.machine(), "the streamed replay's end");

    // The same file is too large for a reader of a smaller limit, and a writer of that
    // limit stops short of it with a file that reads whole.
    const uint64_t size = std::filesystem::file_size(file);
    const uint64_t limit = size / 2;
    EXPECT_FALSE(RecordingStream::open(file, error, limit));
    EXPECT_NE(error.find("larger than any recording"), std::string::npos) << error;
    const std::filesystem::path capped = folder.path / "capped.rec";
    const RecordingResult whole = readRecording(file);
    ASSERT_TRUE(whole.ok) << whole.error;
    RecordingWriter writer(limit);
    ASSERT_TRUE(writer.open(capped, whole.recording.startState));
    size_t added = 0;
    for (const RecordedInput& input : whole.recording.inputs) {
        if (!writer.isOpen())
            break;
        writer.add(input);
        ++added;
    }
    EXPECT_TRUE(writer.reachedLimit());
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(writer.finish(whole.recording.end)) << "already finished at the limit";
    EXPECT_LE(std::filesystem::file_size(capped), limit);
    EXPECT_GT(std::filesystem::file_size(capped), limit - 100);
    stream = RecordingStream::open(capped, error, limit);
    ASSERT_TRUE(stream) << error;
    EXPECT_EQ(stream->inputCount(), writer.inputs());
    EXPECT_EQ(stream->inputCount() + 1, added);
    EXPECT_TRUE(stream->end() == whole.recording.inputs[added - 1].position) << "ends where the input that did not fit came";
}

// Recording through a session: the message of the limit comes once.
TEST(Recordings, TheLimitIsToldOnce)
{
    Folder folder;
    struct CountingHost : QuietHost {
        int warnings = 0;
        void warningLine(const char*) override { ++warnings; }
    } host;
    Session recorded(builtinRomSet());
    recorded.setHost(host);
    std::string error;
    ASSERT_TRUE(recorded.startRecording(folder.path / "small.rec", error, 16000)) << error;
    for (int frame = 0; frame < 1000; ++frame) {
        recorded.setHostKeys([frame](uint8_t key) { return key == 'W' && frame % 2 == 0; });
        recorded.runFrame();
    }
    EXPECT_FALSE(recorded.recording());
    EXPECT_EQ(host.warnings, 1);
    EXPECT_TRUE(recorded.stopRecording(error)) << error;
    EXPECT_TRUE(readRecording(folder.path / "small.rec").ok);
}

TEST(Recordings, TapeImagesAreInTheRecording)
{
    Folder folder;
    const std::filesystem::path tapes = folder.path / "tapes";
    std::filesystem::create_directories(tapes);
    std::filesystem::copy_file(std::filesystem::path(OLLENDOR_BINARY_DIR) / "tapes" / "OLLENDEMO", tapes / "OLLENDEMO");
    const std::filesystem::path file = folder.path / "tape.rec";
    Session recorded(builtinRomSet());
    QuietHost host;
    recorded.setHost(host);
    recorded.setTapeFolder(tapes);
    recorded.typeText("5");
    std::string error;
    ASSERT_TRUE(recorded.startRecording(file, error)) << error;
    for (int frame = 0; frame < 90; ++frame)
        recorded.runFrame();
    ASSERT_TRUE(recorded.stopRecording(error));
    EXPECT_TRUE(recorded.machine().tape.opened) << "the demo tape was loaded";

    const RecordingResult read = readRecording(file);
    ASSERT_TRUE(read.ok) << read.error;
    Session replayed(builtinRomSet());
    replayed.setHost(host);
    replayed.setTapeFolder(folder.path / "nothing here");
    ASSERT_TRUE(replayed.startReplay(read.recording, file.string(), error));
    while (!replayed.replayFinished())
        replayed.runFrame();
    expectSameMachine(recorded.machine(), replayed.machine(), "replayed without the tape file");
    EXPECT_TRUE(host.messages.empty());
}

TEST(Recordings, UnusableRecordingsAreRefusedWithTheirReason)
{
    auto machine = graphics_page::builtinMachine();
    Recording recording;
    recording.startState = encodeState(*machine);
    RecordedInput first;
    first.position = {10, 2048, 0};
    first.keyboard.rows[0] = 1;
    RecordedInput second = first;
    second.position = {12, 100, 0};
    recording.inputs = {first, second};
    recording.end = {20, 2048, 0};
    const std::vector<uint8_t> good = encodeRecording(recording);
    ASSERT_TRUE(parseRecording(good).ok);

    auto refused = [](std::vector<uint8_t> bytes, const std::string& why) {
        const RecordingResult result = parseRecording(bytes);
        EXPECT_FALSE(result.ok) << why;
        EXPECT_NE(result.error.find(why), std::string::npos) << "said: " << result.error;
    };
    std::vector<uint8_t> magic = good;
    magic[3] = 'X';
    refused(magic, "not a recording");
    refused(std::vector<uint8_t>(good.begin(), good.begin() + 40), "cut short");
    refused(std::vector<uint8_t>(good.begin(), good.end() - 30), "cut short");
    std::vector<uint8_t> longer = good;
    longer.insert(longer.end() - 8, 0);
    refused(longer, "past its end");
    std::vector<uint8_t> damaged = good;
    damaged[good.size() - 20] ^= 1;
    refused(damaged, "checksum");
    // Damage that makes nonsense of the contents is still told as damage.
    std::vector<uint8_t> badTag = good;
    // The first input's kind: before it, two keyboard inputs of 33 bytes, the end (19) and
    // the checksum (8).
    badTag[good.size() - 8 - 19 - 2 * 33] = 'Q';
    refused(badTag, "checksum");
    refused({}, "it is empty");
    std::vector<uint8_t> newer = good;
    newer[8] = 9;
    refused(newer, "newer format");
    std::vector<uint8_t> flagged = good; // the reserved field (found by fuzzing: it was ignored)
    flagged[11] = 0x60;
    refused(flagged, "flags this program does not know");

    Recording notFound = recording; // no image, yet bytes of one
    notFound.inputs[1].kind = RecordedInput::Kind::tape;
    notFound.inputs[1].tape = {1, 2, 3};
    refused(encodeRecording(notFound), "a tape image that was not found");

    // Values no run gives, checked as the state loader checks them, the input named. A
    // position left outside its slice let an instruction run past a spent slice without
    // its hook (and INT32_MIN overflowed a subtraction).
    const struct {
        int32_t left;
        uint16_t zeroCost;
        uint16_t row;
        int16_t capsLock;
        const char* why;
    } crafted[] = {
        {5000, 0, 1, 0, "input 2 (a keyboard input at slice 12) holds a position outside its slice (5000 cycles left)"},
        {-100, 0, 1, 0, "position outside its slice (-100"},
        {INT32_MIN, 0, 1, 0, "position outside its slice"},
        {100, 5000, 1, 0, "instructions that cost nothing"},
        {100, 0, 0x400, 0, "input 2 (a keyboard input at slice 12) holds a keyboard row no keyboard gives"},
        {100, 0, 1, 0x7FFE, "a Caps Lock state no keyboard gives"},
    };
    for (const auto& c : crafted) {
        Recording bad = recording;
        bad.inputs[1].position.left = c.left;
        bad.inputs[1].position.zeroCost = c.zeroCost;
        bad.inputs[1].keyboard.rows[3] = c.row;
        bad.inputs[1].keyboard.capsLock = c.capsLock;
        refused(encodeRecording(bad), c.why);
    }
    for (const int32_t left : {-64, 2049}) {
        Recording bad = recording;
        bad.end.left = left;
        refused(encodeRecording(bad), "its end holds a position outside its slice");
    }
    Recording mount = recording; // a mount carries its position only
    mount.inputs[1].kind = RecordedInput::Kind::mount;
    mount.inputs[1].position.left = -7000;
    refused(encodeRecording(mount), "input 2 (a tape mount at slice 12)");
    mount.inputs[1].position.left = 100;
    const RecordingResult mounted = parseRecording(encodeRecording(mount));
    ASSERT_TRUE(mounted.ok) << mounted.error;
    EXPECT_EQ(mounted.recording.inputs[1].kind, RecordedInput::Kind::mount);
    EXPECT_EQ(mounted.recording.inputs[1].position, mount.inputs[1].position);

    Recording disordered = recording;
    std::swap(disordered.inputs[0], disordered.inputs[1]);
    refused(encodeRecording(disordered), "out of order");
    Recording pastEnd = recording;
    pastEnd.end = {11, 0, 0};
    refused(encodeRecording(pastEnd), "out of order");

    // Inputs before the start state's own point: refused when the replay starts.
    {
        Session later(builtinRomSet());
        later.runFrame();
        later.runFrame();
        Recording early = recording;
        early.startState = encodeState(later.machine());
        early.inputs[0].position = {machinePosition(later.machine()).slice - 1, 0, 0};

        Session session(builtinRomSet());
        std::string error;
        EXPECT_FALSE(session.startReplay(early, "early.rec", error));
        EXPECT_NE(error.find("before its start state"), std::string::npos) << error;
    }

    // Another ROM set: refused when the replay starts, before anything runs.
    RomSet other = builtinRomSet();
    other.assem[7] ^= 1;
    other.builtin = false;
    other.identity = romSetIdentity(other);
    auto foreign = std::make_unique<Mtx>();
    machinePowerOn(*foreign);
    machineInit(*foreign, other);
    Recording foreignRecording = recording;
    foreignRecording.startState = encodeState(*foreign);
    Session session(builtinRomSet());
    const auto before = std::make_unique<Mtx>(session.machine());
    std::string error;
    EXPECT_FALSE(session.startReplay(foreignRecording, "x.rec", error));
    EXPECT_NE(error.find("another ROM set"), std::string::npos) << error;
    expectSameMachine(*before, session.machine(), "after refusing");
}

// A disk that fills while recording: stopping says why, and neither the recording nor its
// temporary file is left behind.
TEST(Recordings, AFullDiskIsReportedWhenTheRecordingStops)
{
    programtest::TinyDisk disk(64);
    OLLENDOR_NEED_TINY_DISK(disk);
    Session session(builtinRomSet());
    QuietHost host;
    session.setHost(host);
    std::string error;
    ASSERT_TRUE(session.startRecording(disk.path() / "run.rec", error)) << error;
    disk.fill();
    bool down = false; // a key pressed and let go on alternate frames: an input each frame
    session.setHostKeys([&](uint8_t key) { return key == 'A' && down; });
    for (int frame = 0; frame < 1000; ++frame, down = !down)
        session.runFrame();
    EXPECT_FALSE(session.stopRecording(error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    EXPECT_NE(error.find("run.rec"), std::string::npos) << "the file is named: " << error;
    EXPECT_TRUE(disk.leftovers().empty());
}

// A tape answer whose position comes without the machine asking for a tape: the run has
// left the recording, so the replay is given up there, said, and the session knows it.
TEST(Recordings, AReplayThatLeavesTheRecordingIsGivenUp)
{
    auto machine = graphics_page::builtinMachine();
    Recording recording;
    recording.startState = encodeState(*machine);
    RecordedInput answer;
    answer.kind = RecordedInput::Kind::tape;
    answer.position = {machinePosition(*machine).slice + 5, 1000, 0};
    recording.inputs = {answer};
    recording.end = {machinePosition(*machine).slice + 2000, 0, 0};

    struct WarnedHost : QuietHost {
        std::vector<std::string> warnings;
        void warningLine(const char* text) override { warnings.push_back(text); }
    } host;
    Session session(builtinRomSet());
    session.setHost(host);
    std::string error;
    ASSERT_TRUE(session.startReplay(recording, "gone.rec", error)) << error;
    for (int frame = 0; frame < 10 && session.replaying(); ++frame)
        session.runFrame();
    EXPECT_FALSE(session.replaying()) << "given up long before the recorded end";
    EXPECT_TRUE(session.replayDiverged());
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_NE(host.warnings[0].find("no longer follows"), std::string::npos) << host.warnings[0];
}
