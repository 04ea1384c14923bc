// How a strobe's tone settings reach the sound outputs: the machine stops with soundChanged
// right after a strobe that changed them, the session hands them on at once, and each
// output takes them as the old per-channel publication did (its 440 Hz kept on channels
// no strobe has set). The WAV of a run is the same as when every change is published the
// moment it is made.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "control/session.h"
#include "machine/machine.h"
#include "machine/rom_set.h"
#include "sound/soundchip.h"
#include "host/audio/stream.h"
#include "files/wav_stream.h"
#include "tests/support/fake_audio_device.h"

using namespace ollendor;

namespace {

// An output as a sound output opens: silent at 440 Hz on every channel.
ToneSettings openedOutput()
{
    return ToneSettings{{440, 440, 440}, {0, 0, 0}};
}

// The publication before the machine became a value: each strobe wrote every channel's
// words straight into what the output played (the frequency only when the period is not
// 0, the amplitude always). True when a word changed, which woke the sound thread.
bool oldStrobe(const SoundChip& chip, ToneSettings& played)
{
    const ToneSettings before = played;
    for (unsigned c = 0; c < 3; ++c) {
        uint16_t amplitude = 0;
        if (chip.tonePeriod[c] != 0) {
            played.frequency[c] = uint16_t(4000000u / (chip.tonePeriod[c] * 32u));
            amplitude = uint16_t(chip.volume[c] * 200);
        }
        played.amplitude[c] = amplitude;
    }
    return played != before;
}

TEST(ApplyPublished, KeepsTheOutputsFrequencyOnChannelsNoStrobeHasSet)
{
    SoundChip chip;
    soundChipPowerOn(chip);
    for (uint8_t b : {0xA0, 0x00, 0xB0, 0x8E, 0x0F, 0x90}) // channel 1 at period 0, loud
        soundWriteData(chip, b);
    ASSERT_TRUE(soundStrobe(chip));
    ToneSettings output = openedOutput();
    EXPECT_TRUE(applyPublished(output, chip.published));
    EXPECT_EQ(output, (ToneSettings{{492, 440, 122}, {25600, 0, 0}}));
    EXPECT_FALSE(applyPublished(output, chip.published)) << "the same settings again";

    // Once set, a channel's frequency stays when its period goes back to 0.
    for (uint8_t b : {0xA5, 0x10, 0x80, 0x00})
        soundWriteData(chip, b);
    ASSERT_TRUE(soundStrobe(chip));
    EXPECT_TRUE(applyPublished(output, chip.published));
    EXPECT_EQ(output, (ToneSettings{{492, 478, 122}, {0, 25600, 0}}));
    for (uint8_t b : {0xA0, 0x00})
        soundWriteData(chip, b);
    ASSERT_TRUE(soundStrobe(chip));
    EXPECT_TRUE(applyPublished(output, chip.published));
    EXPECT_EQ(output, (ToneSettings{{492, 478, 122}, {0, 0, 0}}));

    // An output opened later still gets every frequency the machine has set.
    ToneSettings late = openedOutput();
    EXPECT_TRUE(applyPublished(late, chip.published));
    EXPECT_EQ(late, output);
}

// Random writes and strobes, periods of 0 among them: an output given every change the
// machine reports plays what the old per-channel publication played, and is woken when
// that was.
TEST(ApplyPublished, PlaysWhatTheOldPerChannelPublicationPlayed)
{
    std::mt19937 random(1234);
    const uint8_t latches[] = {0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0};
    for (int run = 0; run < 200; ++run) {
        SoundChip chip;
        soundChipPowerOn(chip);
        ToneSettings output = openedOutput(), old = openedOutput();
        for (int step = 0; step < 60; ++step) {
            const unsigned writes = random() % 4;
            for (unsigned w = 0; w < writes; ++w) {
                const unsigned kind = random() % 4;
                uint8_t b = kind == 0   ? uint8_t(random() % 0x40)                // data
                            : kind == 1 ? uint8_t(latches[random() % 8])          // low bits 0
                                        : uint8_t(latches[random() % 8] | random() % 16);
                soundWriteData(chip, b);
            }
            const bool reported = soundStrobe(chip);
            const bool woken = reported && applyPublished(output, chip.published);
            const bool oldWoken = oldStrobe(chip, old);
            ASSERT_EQ(output, old) << "run " << run << " step " << step;
            ASSERT_EQ(woken, oldWoken) << "run " << run << " step " << step;
        }
    }
}

// --- Whole runs ---------------------------------------------------------------------------

// Machine code driving the sound chip: OUT 6 bytes, IN 3 strobes and waiting loops.
class SoundProgram {
public:
    void write(uint8_t value) { emit({0x3E, value, 0xD3, 0x06}); } // LD A,n; OUT (6),A
    void strobe() { emit({0xDB, 0x03}); }                          // IN A,(3)
    // LD BC,loops; DEC BC; LD A,B; OR C; JR NZ,-5: about 26 cycles a loop.
    void wait(uint16_t loops)
    {
        emit({0x01, uint8_t(loops), uint8_t(loops >> 8), 0x0B, 0x78, 0xB1, 0x20, 0xFB});
    }
    // Ends in a loop on the spot (JR $).
    std::vector<uint8_t> finish()
    {
        emit({0x18, 0xFE});
        return bytes;
    }

private:
    void emit(std::initializer_list<uint8_t> code) { bytes.insert(bytes.end(), code); }
    std::vector<uint8_t> bytes;
};

// A ROM set whose OS image is a program that strobes the chip at random moments: right
// at the start with channel 1 at period 0, then random writes, pairs of strobes (the
// second changes nothing) and waits of up to a frame and a half.
RomSet strobingRoms()
{
    std::mt19937 random(99);
    SoundProgram program;
    for (uint8_t b : {0xA0, 0x00, 0xB0, 0x8E, 0x0F, 0x92})
        program.write(b);
    program.strobe();
    for (int step = 0; step < 70; ++step) {
        const unsigned writes = 1 + random() % 3;
        for (unsigned w = 0; w < writes; ++w) {
            const uint8_t latch = uint8_t(0x80 | (random() % 3) << 5 | (random() % 2) << 4);
            program.write(random() % 3 ? uint8_t(latch | random() % 16) : uint8_t(random() % 0x40));
        }
        program.strobe();
        if (random() % 4 == 0)
            program.strobe();
        program.wait(uint16_t(50 + random() % 7500));
    }
    RomSet roms;
    roms.os = program.finish();
    EXPECT_LT(roms.os.size(), size_t(tapeTrapAddress)) << "the tape trap would cut into it";
    return roms;
}

std::string tempPath(const char* name)
{
    return testing::TempDir() + "ollendor_" + name + "_" + std::to_string(::getpid()) + ".wav";
}

std::vector<uint8_t> readAndRemove(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    using Bytes = std::istreambuf_iterator<char>;
    std::vector<uint8_t> bytes{Bytes(in), Bytes()};
    std::remove(path.c_str());
    return bytes;
}

// One publication as an output saw it.
struct Publication {
    uint64_t cycles;    // emulated time when it reached the output
    uint16_t pc;        // where the program went on
    ToneSettings tones; // what the output played from then on

    bool operator==(const Publication&) const = default;
};

void PrintTo(const Publication& p, std::ostream* out)
{
    *out << "{cycles " << p.cycles << ", pc " << p.pc << ", amplitude " << p.tones.amplitude[0]
         << "/" << p.tones.amplitude[1] << "/" << p.tones.amplitude[2] << "}";
}

// The program's own host: a live sound stream on a device nobody plays, and a WAV writer,
// each given the tones as they are published, with a record of when that happened.
class RecordingHost : public SessionHost {
public:
    RecordingHost(Session& session, const std::string& wavPath) : session(session)
    {
        EXPECT_TRUE(stream.open(device));
        EXPECT_TRUE(wavStart(wav, wavPath.c_str()));
    }
    void showMessage(const char* caption, const char* text) override
    {
        messages.push_back(std::string(caption) + ": " + text);
    }
    void diagnosticLine(const char* line) override { messages.push_back(line); }
    void warningLine(const char* line) override { messages.push_back(line); }
    void publishTones(const ToneSettings& tones) override
    {
        stream.publish(tones);
        wavPublish(wav, tones);
        const Mtx& m = session.machine();
        published.push_back({machineCycles(m), m.cpu.PC, stream.tones()});
        // The instruction just run must be the strobe.
        const uint16_t pc = m.cpu.PC;
        if (memRead(m.memory, uint16_t(pc - 2)) != 0xDB ||
            memRead(m.memory, uint16_t(pc - 1)) != 0x03)
            ++notAfterStrobe;
    }
    void frameElapsed() override { wavAdvance(wav, cyclesPerFrame); }

    Session& session;                   // whose machine is looked at
    FakeAudioDevice device;             // never calls back: the stream only keeps the tones
    SoundStream stream;                 // the live output
    WavStream wav;                      // the output on emulated time
    std::vector<Publication> published; // every publication, in order
    unsigned notAfterStrobe = 0;        // publications not right after an IN A,(3)
    std::vector<std::string> messages;  // anything else the session said
};

struct RunResult {
    std::vector<Publication> published;
    std::vector<uint8_t> wav;
};

// The run as the program makes it: frames of a session, which stops the machine at each
// event and hands the tones to its host.
RunResult sessionRun(const RomSet& roms, const std::string& typed, unsigned frames)
{
    Session session(roms);
    session.typeText(typed);
    const std::string path = tempPath("session");
    RunResult result;
    {
        RecordingHost host(session, path);
        session.setHost(host);
        for (unsigned f = 0; f < frames; ++f)
            session.runFrame();
        EXPECT_TRUE(wavFinish(host.wav));
        EXPECT_EQ(host.messages, std::vector<std::string>{});
        EXPECT_EQ(host.notAfterStrobe, 0u) << "of " << host.published.size() << " publications";
        result.published = host.published;
    }
    result.wav = readAndRemove(path);
    return result;
}

// The same run one instruction at a time, every output brought up to date with the
// machine's published settings after each instruction, whether or not it said they
// changed: the old way, where a strobe wrote straight into the outputs.
RunResult steppedRun(const RomSet& roms, const std::string& typed, unsigned frames)
{
    Session session(roms);
    session.typeText(typed);
    Mtx& m = session.machine();
    const std::string path = tempPath("stepped");
    WavStream wav;
    EXPECT_TRUE(wavStart(wav, path.c_str()));
    ToneSettings output = openedOutput();
    RunResult result;
    unsigned wrongEvents = 0; // steps whose soundChanged did not match a change
    std::string firstWrong;
    for (unsigned f = 0; f < frames; ++f) {
        session.updateInput(); // as the session does before each frame
        for (bool frameDone = false; !frameDone;) {
            const ToneSettings before = m.sound.published;
            machineStep(m);
            const MachineEvents events = takeEvents(m);
            const bool changed = m.sound.published != before;
            if (events.has(MachineEvent::soundChanged) != changed && wrongEvents++ == 0)
                firstWrong = "at cycle " + std::to_string(machineCycles(m));
            wavPublish(wav, m.sound.published);
            applyPublished(output, m.sound.published);
            if (changed)
                result.published.push_back({machineCycles(m), m.cpu.PC, output});
            frameDone = events.has(MachineEvent::frameDone);
            if (frameDone)
                wavAdvance(wav, cyclesPerFrame);
        }
    }
    EXPECT_EQ(wrongEvents, 0u) << "soundChanged raised without a change, or not on one; first "
                               << firstWrong;
    EXPECT_TRUE(wavFinish(wav));
    result.wav = readAndRemove(path);
    return result;
}

void expectSameRun(const RomSet& roms, const std::string& typed, unsigned frames, size_t least)
{
    const RunResult session = sessionRun(roms, typed, frames);
    const RunResult stepped = steppedRun(roms, typed, frames);
    EXPECT_GE(stepped.published.size(), least) << "the run hardly strobed";
    // Each change reached the live stream right after the strobe that made it, not at the
    // end of the frame: the same emulated time, the same place in the program.
    EXPECT_EQ(session.published, stepped.published);
    ASSERT_GT(stepped.wav.size(), wavHeaderBytes + 1500u * frames);
    EXPECT_TRUE(session.wav == stepped.wav) << "the WAV files differ";
}

TEST(SoundPublication, AProgramsStrobesReachTheOutputsAtOnce)
{
    expectSameRun(strobingRoms(), "", 45, 60);
}

// The built-in ROM's sound page (key 3) with note keys typed: the OS strobes from its
// interrupt-driven page loop.
TEST(SoundPublication, TheBuiltInSoundPagesNotesReachTheOutputsAtOnce)
{
    expectSameRun(builtinRomSet(), "3qweq", 66, 5);
}

} // namespace
