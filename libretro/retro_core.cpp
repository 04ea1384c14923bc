#include "libretro/retro_core.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <zstd.h>

#include "machine/hook.h"
#include "machine/memory.h"
#include "machine/tape.h"
#include "roms/builtin_rom.h"
#include "state/byte_io.h"
#include "state/state_file.h"

namespace ollendor {

namespace {

constexpr unsigned cyclesPerSample = 128; // 4,000,000 cycles over 31,250 samples a second
static_assert(cyclesPerFrame == CoreSound::samplesPerFrame * cyclesPerSample);

// The core's own block after the state file: its tag, its length, then the samples queued
// (the machine's sound output itself is in the state file).
constexpr char soundTag[4] = {'R', 'S', 'N', 'D'};
constexpr size_t soundFixedLength = 4;
constexpr size_t soundBlockLimit = 8 + soundFixedLength + CoreSound::queueCapacity * 2;

uint32_t little32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void writeSound(std::vector<uint8_t>& out, const CoreSound& s)
{
    FieldWriter w(out);
    w.bytes(soundTag, 4);
    w.u32(uint32_t(soundFixedLength + s.queued * 2));
    w.u32(s.queued);
    for (uint32_t i = 0; i < s.queued; ++i)
        w.i16(s.queue[i]);
}

bool readSound(std::span<const uint8_t> bytes, CoreSound& s, std::string& error)
{
    FieldReader r(bytes);
    char tag[4];
    r.bytes(tag, 4);
    const uint32_t length = r.u32();
    if (r.overran() || std::memcmp(tag, soundTag, 4) != 0 || length > r.left()) {
        error = "the core's sound block after the machine's state is missing";
        return false;
    }
    s.queued = r.u32();
    if (r.overran() || r.badValue() || s.queued > CoreSound::queueCapacity || length != soundFixedLength + s.queued * 2) {
        error = "the core's sound block after the machine's state is damaged";
        return false;
    }
    for (uint32_t i = 0; i < s.queued; ++i)
        s.queue[i] = r.i16();
    // What follows is padding up to the fixed size, all zero.
    for (size_t left = r.left(); left > 0; --left)
        if (r.u8() != 0) {
            error = "unknown bytes follow the core's sound block";
            return false;
        }
    return true;
}

} // namespace

void coreSoundStart(CoreSound& sound)
{
    sound = CoreSound{};
    sound.queued = secondHalfSamples; // silence
}

size_t coreSoundFrame(CoreSound& sound, Mtx& machine, int16_t* out)
{
    // A frame makes at most one half, and the queue has room for two beyond a frame's share.
    sound.queued += uint32_t(takeSamples(machine, sound.queue.data() + sound.queued, CoreSound::queueCapacity - sound.queued));
    // The queue started with a whole half, so it always holds a frame's worth here.
    const size_t given = std::min<size_t>(CoreSound::samplesPerFrame, sound.queued);
    std::copy_n(sound.queue.begin(), given, out);
    std::copy(sound.queue.begin() + ptrdiff_t(given), sound.queue.begin() + sound.queued, sound.queue.begin());
    sound.queued -= uint32_t(given);
    return given;
}

RetroCore::RetroCore(CoreLog log) : log_(log), machine_(std::make_unique<Mtx>())
{
    // The largest state: a state file whose payload did not compress at all, and the
    // core's block with a full queue.
    machinePowerOn(*machine_);
    const std::vector<uint8_t> probe = encodeState(*machine_);
    const uint32_t unpacked = little32(probe.data() + 20);
    stateSize_ = stateHeaderSize + ZSTD_compressBound(unpacked) + soundBlockLimit;
}

void RetroCore::start(const RomSet& roms)
{
    roms_ = roms;
    tape_.clear();
    tapeMounted_ = false;
    reset();
}

void RetroCore::reset()
{
    Mtx& m = *machine_;
    m.keyboard.input = KeyboardInput{};
    m.keyboard.input.capsLock = capsLocked_ ? 1 : 0;
    machineInit(m, roms_);
    coreSoundStart(sound_);
    keyLatched_.fill(false);
}

bool RetroCore::loadContent(std::span<const uint8_t> bytes, std::string& error)
{
    if (bytes.size() >= sizeof stateMagic && std::memcmp(bytes.data(), stateMagic, sizeof stateMagic) == 0)
        return loadState(bytes, error);
    tape_.assign(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), tapeBufferSize));
    tapeMounted_ = true;
    if (bytes.size() > tapeBufferSize)
        log_(2, "the tape image is longer than 64 KiB; only its first 64 KiB are used");
    return true;
}

void RetroCore::keyboardKey(uint8_t virtualKey, bool down)
{
    if (virtualKey == 0)
        return;
    keyDown_[virtualKey] = down;
    if (down)
        keyLatched_[virtualKey] = true;
}

void RetroCore::setPadKeys(std::span<const uint8_t> keys)
{
    padKeys_.assign(keys.begin(), keys.end());
}

void RetroCore::answerTapeRequest()
{
    Mtx& m = *machine_;
    if (tapeMounted_) {
        tapeInsert(m, tape_);
        return;
    }
    char name[tapeNameLength + 1] = {};
    std::memcpy(name, m.tape.requestName, tapeNameLength);
    if (tapeMissing(m)) {
        const std::string line = "the program asks for the tape \"" + std::string(name) +
                                 "\"; give a tape image as content to load it";
        log_(2, line.c_str());
    }
}

void RetroCore::runFrame()
{
    Mtx& m = *machine_;
    m.keyboard.input = keyboardInputFrom(
        [&](uint8_t key) {
            return keyDown_[key] || keyLatched_[key] ||
                   std::find(padKeys_.begin(), padKeys_.end(), key) != padKeys_.end();
        },
        int16_t(capsLocked_ ? 1 : 0));
    for (;;) {
        machineRun(m);
        const MachineEvents events = takeEvents(m);
        if (events.has(MachineEvent::diagnostic))
            log_(1, events.diagnosticLine);
        if (events.has(MachineEvent::tapeRequest))
            answerTapeRequest();
        if (events.has(MachineEvent::unsupportedMode)) {
            char text[32];
            describeUnsupportedMode(text, sizeof text, events.unsupportedMode);
            log_(2, text);
        }
        if (events.has(MachineEvent::frameDone))
            break;
    }
    // Every key pressed before this frame has now been seen for a whole frame.
    keyLatched_.fill(false);
    composeConsole(pixels_.data(), int(width * 4), m.frame, displayBlanked(m.vdp), backdropColour(m.vdp));
    sampleCount_ = coreSoundFrame(sound_, m, samples_.data());
}

bool RetroCore::saveState(std::span<uint8_t> out) const
{
    std::vector<uint8_t> bytes = encodeState(*machine_);
    writeSound(bytes, sound_);
    if (bytes.size() > out.size())
        return false;
    std::copy(bytes.begin(), bytes.end(), out.begin());
    std::fill(out.begin() + ptrdiff_t(bytes.size()), out.end(), uint8_t(0));
    return true;
}

bool RetroCore::loadState(std::span<const uint8_t> bytes, std::string& error)
{
    if (bytes.size() < stateHeaderSize || std::memcmp(bytes.data(), stateMagic, sizeof stateMagic) != 0) {
        error = "not a state file";
        return false;
    }
    const size_t fileLength = stateHeaderSize + size_t(little32(bytes.data() + 24));
    if (fileLength > bytes.size()) {
        error = "the state is cut short";
        return false;
    }
    // A plain state file starts the sound afresh; the core's own form carries it.
    CoreSound sound;
    coreSoundStart(sound);
    if (fileLength < bytes.size() && !readSound(bytes.subspan(fileLength), sound, error))
        return false;
    const StateResult result = decodeState(bytes.first(fileLength), *machine_, *machine_);
    if (!result.ok) {
        error = result.error;
        return false;
    }
    sound_ = sound;
    return true;
}

uint8_t virtualKeyOfRetroKey(unsigned key)
{
    if (key >= 'a' && key <= 'z')
        return uint8_t(key - 'a' + 'A');
    if (key >= '0' && key <= '9')
        return uint8_t(key);
    switch (key) {
    case 8: return 0x08;                // Backspace
    case 9: return 0x09;                // Tab
    case 13: case 271: return 0x0D;     // Return, keypad Enter
    case 32: return 0x20;               // Space
    case 44: return 0xBC;               // comma
    case 46: return 0xBE;               // period
    case 47: return 0xBF;               // slash
    case 60: case 92: case 323: return 0xE2; // the key beside the left Shift
    case 127: return 0x2E;              // Delete
    case 273: return 0x26;              // Up
    case 274: return 0x28;              // Down
    case 275: return 0x27;              // Right
    case 276: return 0x25;              // Left
    case 277: return 0x2B;              // Insert as the MTX's Execute key
    case 303: case 304: return 0x10;    // Shift
    case 305: case 306: return 0x11;    // Ctrl
    default: return 0;
    }
}

RomSet coreRomSet(const std::string& folder, ReadFile read, void* context, CoreLog log)
{
    RomSet roms;
    std::vector<uint8_t>* images[3] = {&roms.os, &roms.basic, &roms.assem};
    const size_t room[3] = {pageSize, pageSize - romImageSize, pageSize - romImageSize};
    std::string missing;
    unsigned missingCount = 0;
    for (unsigned i = 0; i < 3; ++i) {
        const std::string name(romFileNames[i]);
        const std::string path = folder + "/" + name;
        if (!read(path, *images[i], context)) {
            missing += (missing.empty() ? "" : ", ") + name;
            ++missingCount;
            continue;
        }
        if (images[i]->size() != romImageSize) {
            const std::string line = "the ROM image " + path + " is " + std::to_string(images[i]->size()) +
                                     " bytes long, not 8192" +
                                     (images[i]->size() > room[i] ? "; the bytes past its page are ignored" : "");
            log(2, line.c_str());
            if (images[i]->size() > room[i])
                images[i]->resize(room[i]);
        }
    }
    if (missing.empty()) {
        roms.identity = romSetIdentity(roms);
        return roms;
    }
    // No images at all is the usual case (info); some of them is a set gone wrong (warning).
    const bool none = missingCount == 3;
    const std::string line = std::string(none ? "no MTX ROM images in " : "incomplete MTX ROM set in ") + folder +
                             " (missing: " + missing + "); running the built-in ROM";
    log(none ? 1 : 2, line.c_str());
    RomSet builtin = builtinRomSet();
    builtin.searchedFolders = {folder};
    return builtin;
}

} // namespace ollendor
