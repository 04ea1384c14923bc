#include "state/state_file.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <memory>

#include <xxhash.h>
#include <zstd.h>

#include "machine/rom_set.h"
#include "sound/synth.h"
#include "state/byte_io.h"
#include "state/state_unpack.h"

namespace ollendor {

namespace {

constexpr uint32_t cpuLength = 8 + 4 * 2 + 4 * 2 + 1 + 1 + 4 + 4 + 2 + 1 + 4 + 1;
constexpr uint32_t memoryLength = pageCount * pageSize;
constexpr uint32_t selectorsLength = 2;
constexpr uint32_t ctcLength = 4 * (1 + 1 + 1 + 4 + 1 + 1) + 1;
constexpr uint32_t vdpLength = 8 + 1 + 2 + 1 + 1 + 1 + vramSize + 1;
constexpr uint32_t soundLength = 4 * 2 + 4 * 4 + 4 + 3 * 2 + 3 * 2;
constexpr uint32_t keyboardLength = 1 + 1 + 2 + 8 * 2 + 2;
constexpr uint32_t tapeLength = 1 + 4 + 4 + 1 + 2 + 2 + tapeNameLength + 4 +
                                tapeReportedCapacity * tapeNameLength + 1 + 1 + tapeBufferSize;
constexpr uint32_t frameLength = frameWidth * frameHeight;
constexpr uint32_t timingLength = 4 + 8 + 8;
constexpr uint32_t soundOutputLength = 3 * 2 + 1 + 8 + 3 * 2 + 3 * 2;

constexpr StateSection sections[] = {
    {"CPU ", cpuLength},      {"MEMP", memoryLength}, {"SELS", selectorsLength},
    {"CTC ", ctcLength},      {"VDP ", vdpLength},    {"SND ", soundLength},
    {"KEYS", keyboardLength}, {"TAPE", tapeLength},   {"FRAM", frameLength},
    {"TIME", timingLength},   {"SOUT", soundOutputLength},
};
// Format version 1 has every section but the last (the sound output).
constexpr size_t version1Sections = std::size(sections) - 1;

constexpr size_t sectionCount(uint16_t version)
{
    return version == 1 ? version1Sections : std::size(sections);
}

constexpr uint32_t payloadLength(uint16_t version)
{
    uint32_t total = 0;
    for (size_t i = 0; i < sectionCount(version); ++i)
        total += 8 + sections[i].length;
    return total;
}

constexpr uint32_t payloadSize = payloadLength(stateFormatVersion);

// A section: its tag, its length and what body writes, which must be exactly that long.
void putSection(FieldWriter& w, const StateSection& spec, auto&& body)
{
    w.bytes(spec.tag, 4);
    w.u32(spec.length);
    [[maybe_unused]] const size_t start = w.size();
    body();
    assert(w.size() - start == spec.length);
}

void writeCpu(FieldWriter& w, const Z80State& c)
{
    const uint8_t pairs[8] = {c.F, c.A, c.C, c.B, c.E, c.D, c.L, c.H};
    w.bytes(pairs, sizeof pairs);
    w.u16(c.IX);
    w.u16(c.IY);
    w.u16(c.PC);
    w.u16(c.SP);
    w.u16(c.altAF);
    w.u16(c.altBC);
    w.u16(c.altDE);
    w.u16(c.altHL);
    w.u8(c.intState);
    w.u8(c.I);
    w.i32(c.cyclesPerHook);
    w.i32(cyclesLeftInSlice(c));
    w.u16(c.zeroCostSteps);
    w.boolean(c.sliceEndDue);
    w.u32(c.cpuId);
    w.boolean(c.reportUnknown);
}

void writeCtc(FieldWriter& w, const CtcState& ctc)
{
    for (const CtcChannel& ch : ctc.channel) {
        w.u8(ch.control);
        w.u8(ch.timeConstant);
        w.u8(ch.count);
        w.i32(ch.counter);
        w.boolean(ch.timeConstantNext);
        w.boolean(ch.running);
    }
    w.u8(ctc.vector);
}

void writeVdp(FieldWriter& w, const VdpState& vdp, const RenderState& render)
{
    w.bytes(vdp.registers, sizeof vdp.registers);
    w.u8(vdp.status);
    w.u16(vdp.address);
    w.boolean(vdp.secondByteExpected);
    w.u8(vdp.firstByte);
    w.u8(vdp.mode);
    w.bytes(vdp.vram, sizeof vdp.vram);
    w.u8(render.previousMode);
}

void writeSound(FieldWriter& w, const SoundChip& s)
{
    for (uint16_t period : s.tonePeriod)
        w.u16(period);
    for (uint32_t volume : s.volume)
        w.u32(volume);
    w.u32(s.latchedChannel);
    for (uint16_t f : s.published.frequency)
        w.u16(f);
    for (uint16_t a : s.published.amplitude)
        w.u16(a);
}

void writeKeyboard(FieldWriter& w, const KeyboardState& k)
{
    w.u8(k.senseLow);
    w.u8(k.senseHigh);
    w.i16(k.capsLockAtStart);
    for (uint16_t row : k.input.rows)
        w.u16(row);
    w.i16(k.input.capsLock);
}

void writeTape(FieldWriter& w, const TapeState& t)
{
    w.boolean(t.opened);
    w.u32(t.left);
    w.u32(t.imageSize);
    w.boolean(t.requestPending);
    w.u16(t.requestAddress);
    w.u16(t.requestLength);
    w.bytes(t.requestName, sizeof t.requestName);
    w.u32(t.blocksServed);
    w.bytes(t.reported, sizeof t.reported);
    w.u8(t.reportedCount);
    w.u8(t.reportedNext);
    w.bytes(t.buffer, sizeof t.buffer);
}

void writeTiming(FieldWriter& w, const TimingState& t)
{
    w.u32(t.hookCount);
    w.u64(t.hookCalls);
    w.u64(t.frames);
}

void writeSoundOutput(FieldWriter& w, const SoundOutput& o)
{
    for (uint16_t phase : o.channelPhase)
        w.u16(phase);
    w.boolean(o.secondHalfNext);
    w.u64(o.halfStart);
    for (uint16_t f : o.heard.frequency)
        w.u16(f);
    for (uint16_t a : o.heard.amplitude)
        w.u16(a);
}

std::vector<uint8_t> encodePayload(const Mtx& m)
{
    std::vector<uint8_t> payload;
    payload.reserve(payloadSize);
    FieldWriter w(payload);
    putSection(w, sections[0], [&] { writeCpu(w, m.cpu); });
    putSection(w, sections[1], [&] { w.bytes(m.memory.page, sizeof m.memory.page); });
    putSection(w, sections[2], [&] { w.u8(m.memory.ramPage); w.u8(m.memory.romPage); });
    putSection(w, sections[3], [&] { writeCtc(w, m.ctc); });
    putSection(w, sections[4], [&] { writeVdp(w, m.vdp, m.render); });
    putSection(w, sections[5], [&] { writeSound(w, m.sound); });
    putSection(w, sections[6], [&] { writeKeyboard(w, m.keyboard); });
    putSection(w, sections[7], [&] { writeTape(w, m.tape); });
    putSection(w, sections[8], [&] { w.bytes(m.frame.pixels, sizeof m.frame.pixels); });
    putSection(w, sections[9], [&] { writeTiming(w, m.timing); });
    putSection(w, sections[10], [&] { writeSoundOutput(w, m.soundOutput); });
    return payload;
}

uint64_t checksum(std::span<const uint8_t> header28, std::span<const uint8_t> compressed)
{
    XXH64_state_t* state = XXH64_createState();
    XXH64_reset(state, 0);
    XXH64_update(state, header28.data(), header28.size());
    XXH64_update(state, compressed.data(), compressed.size());
    const uint64_t hash = XXH64_digest(state);
    XXH64_freeState(state);
    return hash;
}

// --- reading ------------------------------------------------------------------------

// What a value check found first: the name of the value that is out of range.
struct Check {
    std::string bad;
    void require(bool ok, std::string_view what)
    {
        if (!ok && bad.empty())
            bad = what;
    }
};

// A section's tag as shown in messages ("CPU ", padded to four bytes, shows as CPU).
std::string sectionName(const char* tag)
{
    std::string name(tag, 4);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

bool knownVolume(uint32_t volume)
{
    for (uint32_t v : volumeTable)
        if (v == volume)
            return true;
    return false;
}

void readCpu(FieldReader& r, Z80State& c, Check& check)
{
    uint8_t pairs[8];
    r.bytes(pairs, sizeof pairs);
    c.F = pairs[0], c.A = pairs[1], c.C = pairs[2], c.B = pairs[3];
    c.E = pairs[4], c.D = pairs[5], c.L = pairs[6], c.H = pairs[7];
    c.IX = r.u16();
    c.IY = r.u16();
    c.PC = r.u16();
    c.SP = r.u16();
    c.altAF = r.u16();
    c.altBC = r.u16();
    c.altDE = r.u16();
    c.altHL = r.u16();
    c.intState = r.u8();
    c.I = r.u8();
    c.cyclesPerHook = r.i32();
    c.cyclesLeft = r.i32();
    c.cyclesHeld = 0;
    c.stopRequested = false;
    c.zeroCostSteps = r.u16();
    c.sliceEndDue = r.boolean();
    c.cpuId = r.u32();
    c.reportUnknown = r.boolean();
    check.require((c.intState & ~(IFF1 | IM1 | IM2 | IFF2 | HALTED)) == 0, "the interrupt state");
    check.require((c.intState & (IM1 | IM2)) != (IM1 | IM2), "the interrupt mode");
    check.require(c.cyclesPerHook == mtxCyclesPerHook, "the hook period");
    // Between runs the slice has cycles left, or it was spent by the instruction before a
    // stop (by less than the dearest instruction costs) and ends first thing.
    check.require(c.cyclesLeft <= mtxCyclesPerHook && c.cyclesLeft > -64, "the cycles left in the slice");
    check.require(c.sliceEndDue == (c.cyclesLeft <= 0) || (!c.sliceEndDue && c.cyclesLeft == 0),
                  "the slice end");
    check.require(c.zeroCostSteps <= 4096, "the count of instructions that cost nothing");
}

void readCtc(FieldReader& r, CtcState& ctc, Check& check)
{
    for (CtcChannel& ch : ctc.channel) {
        ch.control = r.u8();
        ch.timeConstant = r.u8();
        ch.count = r.u8();
        ch.counter = r.i32();
        ch.timeConstantNext = r.boolean();
        ch.running = r.boolean();
        check.require(ch.counter >= -mtxCyclesPerHook && ch.counter <= 0xFF << 8, "a counter/timer count");
    }
    ctc.vector = r.u8();
    check.require((ctc.vector & 0x07) == 0, "the counter/timer's vector");
}

void readVdp(FieldReader& r, VdpState& vdp, RenderState& render, Check& check)
{
    r.bytes(vdp.registers, sizeof vdp.registers);
    vdp.status = r.u8();
    vdp.address = r.u16();
    vdp.secondByteExpected = r.boolean();
    vdp.firstByte = r.u8();
    vdp.mode = r.u8();
    r.bytes(vdp.vram, sizeof vdp.vram);
    render.previousMode = r.u8();
    check.require(vdp.address <= 0x3FFF, "the video chip's address");
    const uint8_t mode = uint8_t(((vdp.registers[1] >> 2) & 6) | ((vdp.registers[0] >> 1) & 1));
    check.require(vdp.mode == mode, "the video chip's mode");
    check.require(render.previousMode <= 7, "the renderer's mode");
}

void readSound(FieldReader& r, SoundChip& s, Check& check)
{
    for (uint16_t& period : s.tonePeriod) {
        period = r.u16();
        check.require(period <= 0x400, "a tone period");
    }
    for (uint32_t& volume : s.volume) {
        volume = r.u32();
        check.require(knownVolume(volume), "a volume");
    }
    s.latchedChannel = r.u32();
    check.require(s.latchedChannel <= 2, "the latched sound channel");
    for (uint16_t& f : s.published.frequency)
        f = r.u16();
    for (uint16_t& a : s.published.amplitude)
        a = r.u16();
}

void readKeyboard(FieldReader& r, KeyboardState& k, Check& check)
{
    k.senseLow = r.u8();
    k.senseHigh = r.u8();
    k.capsLockAtStart = r.i16();
    for (uint16_t& row : k.input.rows) {
        row = r.u16();
        check.require(row <= 0x3FF, "a keyboard row");
    }
    k.input.capsLock = r.i16();
    // Bit 0 while locked, bit 15 while the key is held; nothing else.
    check.require((uint16_t(k.input.capsLock) & 0x7FFE) == 0 && (uint16_t(k.capsLockAtStart) & 0x7FFE) == 0,
                  "the Caps Lock state");
}

void readTape(FieldReader& r, TapeState& t, Check& check)
{
    t.opened = r.boolean();
    t.left = r.u32();
    t.imageSize = r.u32();
    t.requestPending = r.boolean();
    t.requestAddress = r.u16();
    t.requestLength = r.u16();
    r.bytes(t.requestName, sizeof t.requestName);
    t.blocksServed = r.u32();
    r.bytes(t.reported, sizeof t.reported);
    t.reportedCount = r.u8();
    t.reportedNext = r.u8();
    r.bytes(t.buffer, sizeof t.buffer);
    check.require(t.left <= t.imageSize && t.imageSize <= tapeBufferSize, "the tape's length");
    check.require(t.reportedCount <= tapeReportedCapacity && t.reportedNext < tapeReportedCapacity,
                  "the tape's reported names");
}

void readTiming(FieldReader& r, TimingState& t, Check& check)
{
    t.hookCount = r.u32();
    t.hookCalls = r.u64();
    t.frames = r.u64();
    t.stopAtHookCall = 0; // a run's own business, never saved
    // From power-on every hook call moves the count on, a frame every hooksPerFrame calls;
    // no run comes near 2^48 of them (thousands of years), and the cycle counts derived
    // from them must not overflow.
    check.require(t.hookCalls < mostStateHookCalls, "the hook calls");
    check.require(t.frames == t.hookCalls / hooksPerFrame && t.hookCount == t.hookCalls % hooksPerFrame,
                  "the frame count");
}

// The emulated time of the last frame end, where the sound output last made its halves.
uint64_t lastFrameEndCycles(const Mtx& m)
{
    return (m.timing.hookCalls - m.timing.hookCount) * uint64_t(mtxCyclesPerHook);
}

void readSoundOutput(FieldReader& r, Mtx& m, Check& check)
{
    SoundOutput& o = m.soundOutput;
    for (uint16_t& phase : o.channelPhase)
        phase = r.u16();
    o.secondHalfNext = r.boolean();
    o.halfStart = r.u64();
    for (uint16_t& f : o.heard.frequency)
        f = r.u16();
    for (uint16_t& a : o.heard.amplitude)
        a = r.u16();
    // The halves are made at frame ends: the next one begins by the last frame end and ends
    // after it.
    const uint64_t frameEnd = lastFrameEndCycles(m);
    const unsigned length = o.secondHalfNext ? secondHalfSamples : firstHalfSamples;
    // (A flag that is no truth value is told as such, after the section.)
    const bool onTime = soundOutputConsistent(o) && o.halfStart < (uint64_t(1) << 56) &&
                        o.halfStart * outputCyclesPerSample <= frameEnd &&
                        (o.halfStart + length) * outputCyclesPerSample > frameEnd;
    check.require(r.badValue() || onTime, "the sound output's position");
}

StateResult refuseState(std::string why)
{
    return {false, std::move(why)};
}

} // namespace

std::string unsavableState(const Mtx& machine)
{
    if (machine.timing.hookCalls < mostStateHookCalls)
        return {};
    return "the machine has run longer than a state file can hold (2^48 slices of emulated time), so the file "
           "could never be loaded";
}

std::vector<uint8_t> encodeState(const Mtx& machine)
{
    const std::vector<uint8_t> payload = encodePayload(machine);
    std::vector<uint8_t> file(stateHeaderSize + ZSTD_compressBound(payload.size()));
    const size_t compressed = ZSTD_compress(file.data() + stateHeaderSize, file.size() - stateHeaderSize,
                                            payload.data(), payload.size(), 3);
    // Compressing into a buffer of the bound's size cannot fail short of memory.
    file.resize(stateHeaderSize + (ZSTD_isError(compressed) ? 0 : compressed));

    std::vector<uint8_t> header;
    header.reserve(stateHeaderSize);
    FieldWriter w(header);
    w.bytes(stateMagic, sizeof stateMagic);
    w.u16(stateFormatVersion);
    w.u16(machine.romBuiltin ? 1 : 0);
    w.u64(machine.romIdentity);
    w.u32(uint32_t(payload.size()));
    w.u32(uint32_t(file.size() - stateHeaderSize));
    w.u64(checksum(header, std::span(file).subspan(stateHeaderSize)));
    std::memcpy(file.data(), header.data(), stateHeaderSize);
    return file;
}

std::span<const StateSection> stateSections(uint16_t version)
{
    return std::span<const StateSection>(sections, sectionCount(version));
}

StateResult checkStateHeader(std::span<const uint8_t> bytes, StateHeader& header)
{
    if (bytes.empty())
        return refuseState("it is empty");
    if (bytes.size() < sizeof stateMagic || std::memcmp(bytes.data(), stateMagic, sizeof stateMagic) != 0)
        return refuseState("it is not a state file");
    if (bytes.size() < stateHeaderSize)
        return refuseState("it is cut short");
    FieldReader fields(bytes.first(stateHeaderSize));
    fields.view(sizeof stateMagic);
    const uint16_t version = fields.u16();
    const uint16_t flags = fields.u16();
    header.romIdentity = fields.u64();
    header.unpackedSize = fields.u32();
    const uint32_t compressedSize = fields.u32();
    const uint64_t storedChecksum = fields.u64();
    if (version > stateFormatVersion)
        return refuseState("it was saved in a newer format (version " + std::to_string(version) +
                    "; this program reads version " + std::to_string(stateFormatVersion) + ")");
    if (version == 0)
        return refuseState("its format version 0 is not one of ours");
    if (bytes.size() - stateHeaderSize < compressedSize)
        return refuseState("it is cut short");
    if (bytes.size() - stateHeaderSize > compressedSize)
        return refuseState("it has bytes past its end");
    header.packed = bytes.subspan(stateHeaderSize, compressedSize);
    if (checksum(bytes.first(28), header.packed) != storedChecksum)
        return refuseState("its checksum does not match (the file is damaged)");
    if ((flags & ~1u) != 0)
        return refuseState("its header holds flags this program does not know");
    header.romBuiltin = (flags & 1) != 0;
    header.version = version;
    return {true, {}};
}

StateResult unpackStatePayload(const StateHeader& header, std::vector<uint8_t>& payload)
{
    const uint32_t size = payloadLength(header.version);
    if (header.unpackedSize != size)
        return refuseState("its sections do not have the sizes of format version " + std::to_string(header.version));
    payload.resize(size);
    const size_t got = ZSTD_decompress(payload.data(), payload.size(), header.packed.data(), header.packed.size());
    if (ZSTD_isError(got) || got != size)
        return refuseState("its contents cannot be unpacked");
    return {true, {}};
}

StateResult decodeState(std::span<const uint8_t> bytes, const Mtx& running, Mtx& into)
{
    StateHeader header;
    if (StateResult checked = checkStateHeader(bytes, header); !checked.ok)
        return checked;
    if (header.romBuiltin && running.romBuiltin && header.romIdentity != running.romIdentity)
        return refuseState("it was saved with another version of the built-in ROM (another release of this program)");
    if (header.romBuiltin != running.romBuiltin || header.romIdentity != running.romIdentity)
        return refuseState("it was saved with another ROM set (" + describeRomSet(header.romIdentity, header.romBuiltin) +
                    ") than the one running (" + describeRomSet(running.romIdentity, running.romBuiltin) + ")");
    std::vector<uint8_t> payload;
    if (StateResult unpacked = unpackStatePayload(header, payload); !unpacked.ok)
        return unpacked;

    // Everything is read into a new machine first; the caller's machine changes only at
    // the very end, when nothing was wrong.
    auto next = std::make_unique<Mtx>(running);
    Mtx& m = *next;
    FieldReader r(payload);
    Check check;
    for (size_t index = 0; index < sectionCount(header.version); ++index) {
        const StateSection& spec = sections[index];
        char tag[4];
        r.bytes(tag, 4);
        const uint32_t length = r.u32();
        if (std::memcmp(tag, spec.tag, 4) != 0 || length != spec.length)
            return refuseState("its section " + sectionName(spec.tag) + " is missing or has the wrong size");
        FieldReader section(r.view(length));
        switch (index) {
        case 0: readCpu(section, m.cpu, check); break;
        case 1: section.bytes(m.memory.page, sizeof m.memory.page); break;
        case 2:
            m.memory.ramPage = section.u8();
            m.memory.romPage = section.u8();
            check.require(m.memory.ramPage <= 15, "the RAM page selector");
            check.require(m.memory.romPage <= 7, "the ROM page selector");
            break;
        case 3: readCtc(section, m.ctc, check); break;
        case 4: readVdp(section, m.vdp, m.render, check); break;
        case 5: readSound(section, m.sound, check); break;
        case 6: readKeyboard(section, m.keyboard, check); break;
        case 7: readTape(section, m.tape, check); break;
        case 8:
            section.bytes(m.frame.pixels, sizeof m.frame.pixels);
            for (uint8_t pixel : m.frame.pixels)
                check.require(pixel <= 15, "a pixel of the picture");
            break;
        case 9: readTiming(section, m.timing, check); break;
        case 10: readSoundOutput(section, m, check); break;
        }
        if (section.overran() || section.left() != 0)
            return refuseState("its section " + sectionName(spec.tag) + " does not hold what its size says");
        if (section.badValue())
            check.require(false, "a truth value (neither 0 nor 1) in the section " + sectionName(spec.tag));
    }
    if (!check.bad.empty())
        return refuseState("it holds a value the machine can never have: " + check.bad);
    // Samples waiting belong to the machine that was running, not to the one loaded.
    discardSamples(m.soundOutput);
    m.soundOutput.dropped = 0;
    // A file of format version 1 holds no sound output: it starts afresh with the half under
    // way at the last frame end, every wave at its start.
    if (header.version == 1)
        soundOutputStartAt(m.soundOutput, lastFrameEndCycles(m), m.sound.published);
    m.events = MachineEvents{};
    into = m;
    return {true, {}};
}

} // namespace ollendor
