// A saved machine has the whole run's future, sound included: a run cut anywhere, saved,
// loaded into another session and run on gives the same pictures, machine states and sound
// samples as the run that was never cut; a replay gives the recorded run's samples; the
// machine's own samples are those of the WAV writer on emulated time.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "control/session.h"
#include "machine/rom_set.h"
#include "machine/tape.h"
#include "roms/builtin_rom.h"
#include "sound/synth.h"
#include "files/wav_stream.h"
#include "files/recording_files.h"
#include "state/recording.h"
#include "state/state_file.h"
#include "tests/support/machine_digest.h"
#include "tests/support/scratch_files.h"
#include "tests/support/session_driver.h"

using namespace ollendor;

namespace {

// ---- The synthesis without scratch against the one with it ------------------------------

TEST(SynthesizeHalf, GivesFillHalfsSamplesAndWaveStates)
{
    std::mt19937 random(20);
    auto synth = std::make_unique<ToneSynth>();
    int16_t expected[secondHalfSamples];
    int16_t got[secondHalfSamples];
    for (int round = 0; round < 300; ++round) {
        ToneSettings tones{};
        uint16_t phases[3];
        for (unsigned c = 0; c < 3; ++c) {
            const unsigned pick = random() % 4;
            // 0 Hz, the lowest and highest a strobe gives, anything between.
            tones.frequency[c] = pick == 0 ? 0 : pick == 1 ? uint16_t(122 + random() % 3) : uint16_t(random());
            tones.amplitude[c] = uint16_t(volumeTable[random() % 16] * 200);
            phases[c] = uint16_t(random());
            synth->channelPhase[c] = phases[c];
        }
        const size_t count = round % 2 ? secondHalfSamples : firstHalfSamples;
        fillHalf(*synth, tones, expected, count);
        synthesizeHalf(phases, tones, got, count);
        ASSERT_EQ(std::vector<int16_t>(got, got + count), std::vector<int16_t>(expected, expected + count))
            << "round " << round;
        for (unsigned c = 0; c < 3; ++c)
            ASSERT_EQ(phases[c], synth->channelPhase[c]) << "round " << round << ", channel " << c;
    }
}

// ---- Workloads ----------------------------------------------------------------------------

std::vector<uint8_t> testProgram(const std::string& name)
{
    return readFile(std::filesystem::path(OLLENDOR_TEST_ASM_DIR) / (name + ".bin"));
}

// tests/asm/tone_tape.asm as the OS ROM.
RomSet toneRoms()
{
    RomSet roms;
    roms.os = testProgram("tone_tape");
    roms.basic = filledBytes(romImageSize, 0xB0);
    roms.assem = filledBytes(romImageSize, 0xA0);
    roms.identity = romSetIdentity(roms);
    return roms;
}

// What a workload needs besides the ROM: its key presses and its tape folder.
struct Workload {
    RomSet roms;
    std::function<void(SessionDriver&)> setUp;
    uint64_t frames;
};

// The built-in ROM: its tape page (key 5) loading the demo tape, and again (L); then the
// sound page (key 3), notes on keys of three rows, H (440 Hz) held over frames, keys
// released in between and pressed together.
Workload soundPage()
{
    return {builtinRomSet(),
            [](SessionDriver& d) {
                d.session.setTapeFolder(std::filesystem::path(OLLENDOR_BINARY_DIR) / "tapes");
                d.tap(4, '5');
                d.tap(14, 'L');
                d.tap(24, '3');
                uint64_t frame = 34;
                for (uint8_t key : {'H', 'Q', 'U', 'A', 'J', 'Z', 'M', 'H', 'T'}) {
                    d.tap(frame, key, 4 + frame % 5);
                    frame += 6 + frame % 4;
                }
                d.tap(frame, 'E', 8);
                d.tap(frame + 2, 'G', 8);
            },
            110};
}

// The tone program reading tapes from a folder with two images of "TONE".
Workload toneProgram(const std::filesystem::path& tapes)
{
    std::filesystem::create_directories(tapes);
    writeFile(tapes / "TONE     ", countingBytes(18 * 5, 0x31));
    return {toneRoms(), [tapes](SessionDriver& d) { d.session.setTapeFolder(tapes); }, 90};
}

struct Outcome {
    std::vector<uint64_t> digests;  // after each frame from the first one run
    std::vector<int16_t> samples;   // every sample handed to the host
    uint64_t firstSample = 0;       // the sample (since power-on) the first of them is
};

void runFrames(SessionDriver& d, uint64_t frames, Outcome& outcome)
{
    while (d.session.frames() < frames) {
        d.run(d.session.frames() + 1);
        outcome.digests.push_back(machineDigest(d.machine()));
    }
    outcome.samples = d.host.samples;
}

Outcome wholeRun(const Workload& w)
{
    SessionDriver d(w.roms);
    w.setUp(d);
    Outcome outcome;
    runFrames(d, w.frames, outcome);
    return outcome;
}

// Runs `frame` frames and `steps` instructions more, saves the machine in a state file's
// bytes, loads them into a new session and runs that on.
Outcome splitRun(const Workload& w, uint64_t frame, unsigned steps)
{
    std::vector<uint8_t> state;
    HeldKeys keys;
    {
        auto first = std::make_unique<SessionDriver>(w.roms);
        w.setUp(*first);
        first->run(frame);
        first->session.updateInput(); // as the next frame's run would, before its first instruction
        // Instruction by instruction, short of the step that would end the frame (a HALT
        // ends its slice at once).
        const Mtx& m = first->machine();
        for (unsigned i = 0; i < steps; ++i) {
            if (m.timing.hookCount == hooksPerFrame - 1 &&
                ((m.cpu.intState & HALTED) != 0 || cyclesLeftInSlice(m.cpu) < 64))
                break;
            EXPECT_FALSE(first->session.step()) << "the cut must stay within the frame";
        }
        state = encodeState(first->machine());
        keys = first->keys;
    }
    auto second = std::make_unique<SessionDriver>(w.roms);
    w.setUp(*second);
    second->keys = keys;
    auto loaded = std::make_unique<Mtx>();
    const StateResult result = decodeState(state, second->machine(), *loaded);
    EXPECT_TRUE(result.ok) << result.error;
    second->session.replaceMachine(*loaded);
    Outcome outcome;
    outcome.firstSample = second->machine().soundOutput.halfStart;
    runFrames(*second, w.frames, outcome);
    return outcome;
}

void expectSplitRunsAreTheWholeRun(const Workload& w, unsigned seed)
{
    const Outcome whole = wholeRun(w);
    ASSERT_EQ(whole.digests.size(), w.frames);
    // Sound was made and it is not silence throughout.
    ASSERT_GT(whole.samples.size(), 30000u);
    ASSERT_TRUE(std::any_of(whole.samples.begin(), whole.samples.end(), [](int16_t s) { return s != 0; }));
    std::mt19937 random(seed);
    for (int cut = 0; cut < 12; ++cut) {
        const uint64_t frame = 1 + random() % (w.frames - 2);
        const unsigned steps = random() % 6000;
        const Outcome split = splitRun(w, frame, steps);
        const std::string where = "cut after frame " + std::to_string(frame) + " and " + std::to_string(steps) + " steps";
        ASSERT_EQ(split.digests.size(), w.frames - frame) << where;
        for (size_t i = 0; i < split.digests.size(); ++i)
            ASSERT_EQ(split.digests[i], whole.digests[frame + i]) << where << ": the machine after frame " << frame + i + 1;
        ASSERT_EQ(split.firstSample + split.samples.size(), whole.samples.size()) << where;
        ASSERT_TRUE(std::equal(split.samples.begin(), split.samples.end(), whole.samples.begin() + split.firstSample))
            << where << ": the samples differ";
    }
}

TEST(ExactFuture, SplitRunsOfTheBuiltInRomsSoundPageAreTheWholeRun)
{
    expectSplitRunsAreTheWholeRun(soundPage(), 1);
}

TEST(ExactFuture, SplitRunsOfATonePlayingAcrossTheCutAreTheWholeRun)
{
    ScratchFolder scratch;
    expectSplitRunsAreTheWholeRun(toneProgram(scratch.path() / "tapes"), 2);
}

// The machine's own samples for a whole run are what the WAV writer made on emulated time
// from the tones the machine published (the WAV files of whole runs stay as they were).
TEST(ExactFuture, MachineSamplesAreTheWavWritersOnEmulatedTime)
{
    class WavHost : public RecordingHost {
    public:
        WavStream wav;
        void publishTones(const ToneSettings& published) override { wavPublish(wav, published); }
        void frameElapsed() override { wavAdvance(wav, cyclesPerFrame); }
    };
    ScratchFolder scratch;
    const auto path = scratch.path() / "reference.wav";
    const Workload w = soundPage();
    SessionDriver d(w.roms);
    WavHost host;
    d.session.setHost(host);
    w.setUp(d);
    ASSERT_TRUE(wavStart(host.wav, path.c_str()));
    d.run(w.frames);
    ASSERT_TRUE(wavFinish(host.wav));
    const std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), wavHeaderBytes + 2 * host.samples.size());
    ASSERT_GT(host.samples.size(), 30000u);
    for (size_t i = 0; i < host.samples.size(); ++i)
        ASSERT_EQ(int16_t(file[wavHeaderBytes + 2 * i] | file[wavHeaderBytes + 2 * i + 1] << 8), host.samples[i])
            << "sample " << i;
}

// A state saved while a tone plays gives that tone at once when loaded: the first half
// made after the load is the whole run's, not silence.
TEST(ExactFuture, StateSavedWhileATonePlaysGivesTheToneAtOnce)
{
    const Workload w = soundPage();
    SessionDriver d(w.roms);
    w.setUp(d);
    d.run(38); // H held: 440 Hz
    ASSERT_NE(d.machine().sound.published.amplitude[0] | d.machine().sound.published.amplitude[1] |
                  d.machine().sound.published.amplitude[2],
              0)
        << "no tone plays at the save";
    const std::vector<uint8_t> state = encodeState(d.machine());
    const size_t saved = d.host.samples.size();
    SessionDriver other(w.roms);
    w.setUp(other);
    other.keys = d.keys;
    auto loaded = std::make_unique<Mtx>();
    ASSERT_TRUE(decodeState(state, other.machine(), *loaded).ok);
    other.session.replaceMachine(*loaded);
    other.run(41);
    d.run(41);
    ASSERT_GE(other.host.samples.size(), size_t(firstHalfSamples));
    EXPECT_TRUE(std::any_of(other.host.samples.begin(), other.host.samples.begin() + firstHalfSamples,
                            [](int16_t s) { return s != 0; }))
        << "silent after the load";
    EXPECT_TRUE(std::equal(other.host.samples.begin(), other.host.samples.end(), d.host.samples.begin() + saved,
                           d.host.samples.end()))
        << "not the whole run's samples";
}

// ---- Replays -----------------------------------------------------------------------------

// A host that notes where the machine stands at every frame end it is told of.
class PositionHost : public RecordingHost {
public:
    explicit PositionHost(Session& session) : session_(session) {}
    void frameElapsed() override
    {
        RecordingHost::frameElapsed();
        frameEnds.push_back(machinePosition(session_.machine()));
    }
    std::vector<MachinePosition> frameEnds;

private:
    Session& session_;
};

// A recording of the tone program with a tape mounted in the first slice after a frame
// (1,000 cycles into it): the replay gives the recorded run's samples and machine, hands
// back every frame end where the recorded run met it, and the mount is replayed.
TEST(ExactFuture, ReplayGivesTheRecordedRunsSamplesAndFrameEnds)
{
    ScratchFolder scratch;
    const Workload w = toneProgram(scratch.path() / "tapes");
    const auto other = scratch.path() / "other.tape";
    writeFile(other, countingBytes(18 * 3, 0xC1));
    const auto file = scratch.path() / "run.rec";

    SessionDriver live(w.roms);
    PositionHost liveHost(live.session);
    live.session.setHost(liveHost);
    w.setUp(live);
    std::string error;
    ASSERT_TRUE(live.session.startRecording(file, error)) << error;
    live.run(20);
    while (cyclesLeftInSlice(live.machine().cpu) > 1000)
        ASSERT_FALSE(live.session.step());
    ASSERT_EQ(machinePosition(live.machine()).slice, 20u * hooksPerFrame) << "not in the first slice after the frame";
    live.session.mountTape(other);
    live.run(w.frames);
    ASSERT_TRUE(live.session.stopRecording(error)) << error;
    // The mounted tape was read from the next header on.
    ASSERT_EQ(live.machine().tape.imageSize, 18u * 3);

    const RecordingResult read = readRecording(file);
    ASSERT_TRUE(read.ok) << read.error;
    SessionDriver replay(w.roms);
    PositionHost replayHost(replay.session);
    replay.session.setHost(replayHost);
    replay.session.setTapeFolder(scratch.path() / "none"); // the recording carries the tapes
    ASSERT_TRUE(replay.session.startReplay(read.recording, "run.rec", error)) << error;
    replay.run(w.frames);
    EXPECT_FALSE(replay.session.replayDiverged());
    EXPECT_EQ(machineDigest(replay.machine()), machineDigest(live.machine()));
    EXPECT_TRUE(replayHost.frameEnds == liveHost.frameEnds) << "a frame end was handed back elsewhere";
    ASSERT_EQ(replayHost.samples.size(), liveHost.samples.size());
    EXPECT_TRUE(replayHost.samples == liveHost.samples) << "the replay's samples differ";
}

// ---- Mounting a tape -------------------------------------------------------------------

// Mounting a tape ends the image being read: the next header comes from the new tape. A
// load without a new mount goes on with the image.
TEST(ExactFuture, MountingATapeReplacesTheRestOfTheImageBeingRead)
{
    ScratchFolder scratch;
    const Workload w = toneProgram(scratch.path() / "tapes");
    const auto first = scratch.path() / "first.tape";
    const auto second = scratch.path() / "second.tape";
    writeFile(first, countingBytes(18 * 40, 0x10));
    writeFile(second, countingBytes(18 * 40, 0x80));
    SessionDriver d(w.roms);
    w.setUp(d);
    d.session.mountTape(first);
    // A round of the program reads one header; a frame holds a few rounds.
    auto header = [&] { return d.machine().memory.page[0][tapeHeaderAddress]; };
    while (d.machine().tape.blocksServed < 2)
        d.run(d.session.frames() + 1);
    EXPECT_EQ(d.machine().tape.imageSize, 18u * 40);
    EXPECT_EQ(header(), uint8_t(0x10 + 18 * (d.machine().tape.blocksServed - 1))) << "a second load goes on with the image";
    d.session.mountTape(second);
    const uint32_t served = d.machine().tape.blocksServed;
    while (d.machine().tape.blocksServed == served)
        d.run(d.session.frames() + 1);
    EXPECT_EQ(header(), uint8_t(0x80 + 18 * (d.machine().tape.blocksServed - served - 1)))
        << "the rest of the first tape was read";
}

} // namespace
