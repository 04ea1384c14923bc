// The machine for the web page: one Mtx driven frame by frame from JavaScript. Everything
// crosses as plain numbers and pointers into the module's memory (the page copies bytes in
// through malloc'd buffers and reads the picture, the samples and the state's bytes out).
//
// A frame: the keys as they stand go into the machine's input, the machine runs until the
// frame is done (answering tape requests from the tape the page mounted), the samples that
// fall due are added to the sample buffer, and the picture is composed on request exactly
// as the desktop composes it (video/display.h).
#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "machine/hook.h"
#include "machine/machine.h"
#include "machine/rom_set.h"
#include "state/state_file.h"
#include "video/display.h"
#include "web/key_hold.h"

using namespace ollendor;

namespace {

constexpr size_t sampleCapacity = 16384;

struct WebMachine {
    Mtx machine;
    RomSet roms;
    KeyHold keys;
    int16_t capsLock = 0;
    std::vector<uint8_t> tape;  // the mounted tape, empty for none
    bool tapeMounted = false;
    int16_t samples[sampleCapacity];
    size_t sampleCount = 0;
    uint32_t picture[consoleWidth * consoleHeight];
    std::vector<uint8_t> bytes; // the last saved state
    std::string message;        // for the page to show, "" for none
    uint32_t frames = 0;
};

WebMachine* web = nullptr;

void answerTapeRequest(WebMachine& w)
{
    if (w.tapeMounted) {
        tapeInsert(w.machine, w.tape);
        return;
    }
    if (tapeMissing(w.machine)) {
        const std::string name(w.machine.tape.requestName, strnlen(w.machine.tape.requestName, tapeNameLength));
        w.message = "The machine asks for the tape \"" + name + "\": drop a tape file on the page or choose one.";
    }
}

void serviceEvents(WebMachine& w)
{
    const MachineEvents events = takeEvents(w.machine);
    if (events.has(MachineEvent::tapeRequest))
        answerTapeRequest(w);
    if (events.has(MachineEvent::unsupportedMode)) {
        char text[64];
        describeUnsupportedMode(text, sizeof text, events.unsupportedMode);
        w.message = std::string("Unsupported mode: ") + text;
    }
}

RomSet romSetFrom(const uint8_t* os, int osLength, const uint8_t* basic, int basicLength,
                  const uint8_t* assem, int assemLength)
{
    if (!os)
        return builtinRomSet();
    RomSet roms;
    roms.os.assign(os, os + osLength);
    if (basic)
        roms.basic.assign(basic, basic + basicLength);
    if (assem)
        roms.assem.assign(assem, assem + assemLength);
    roms.identity = romSetIdentity(roms);
    return roms;
}

} // namespace

extern "C" {

// Starts the machine from power-on with the given images (os null: the built-in set).
// `folders` are the lines the built-in ROM's welcome page shows under "the folders
// searched", separated by '\n'. Returns 1.
EMSCRIPTEN_KEEPALIVE int ow_start(const uint8_t* os, int osLength, const uint8_t* basic, int basicLength,
                                  const uint8_t* assem, int assemLength, const char* folders)
{
    if (!web)
        web = new WebMachine;
    web->roms = romSetFrom(os, osLength, basic, basicLength, assem, assemLength);
    web->roms.searchedFolders.clear();
    for (const char* line = folders; line && *line;) {
        const char* end = std::strchr(line, '\n');
        const size_t length = end ? size_t(end - line) : std::strlen(line);
        web->roms.searchedFolders.emplace_back(line, length);
        line += length + (end ? 1 : 0);
    }
    web->machine.keyboard.input = web->keys.input(web->capsLock);
    machineInit(web->machine, web->roms);
    web->frames = 0;
    return 1;
}

// Power-on again with the same ROM set.
EMSCRIPTEN_KEEPALIVE void ow_reset()
{
    machineInit(web->machine, web->roms);
    web->sampleCount = 0; // the old machine's sound is not played after the jump
    web->frames = 0;
}

EMSCRIPTEN_KEEPALIVE int ow_rom_builtin() { return web->roms.builtin ? 1 : 0; }

// A host key (Windows virtual-key code) pressed (down 1) or let go (down 0).
EMSCRIPTEN_KEEPALIVE void ow_key(int virtualKey, int down)
{
    if (down)
        web->keys.press(uint8_t(virtualKey));
    else
        web->keys.release(uint8_t(virtualKey));
}

EMSCRIPTEN_KEEPALIVE void ow_release_keys() { web->keys.releaseAll(); }

// Caps Lock: bit 0 while locked, bit 15 while its key is held.
EMSCRIPTEN_KEEPALIVE void ow_caps_lock(int state) { web->capsLock = int16_t(state & 0x8001); }

// Runs one emulated frame; returns the samples waiting in the sample buffer. When nobody
// takes them (a benchmark), the oldest are dropped.
EMSCRIPTEN_KEEPALIVE int ow_run_frame()
{
    WebMachine& w = *web;
    w.machine.keyboard.input = w.keys.input(w.capsLock);
    for (;;) {
        machineRun(w.machine);
        const bool frameDone = (w.machine.events.raised & uint8_t(MachineEvent::frameDone)) != 0;
        serviceEvents(w);
        // The machine's own samples, made on emulated time; nobody taking them (a
        // benchmark) lets the oldest go.
        if (sampleCapacity - w.sampleCount < soundOutputCapacity)
            w.sampleCount = 0;
        w.sampleCount += takeSamples(w.machine, w.samples + w.sampleCount, sampleCapacity - w.sampleCount);
        if (frameDone)
            break;
    }
    w.keys.frameRan();
    ++w.frames;
    return int(w.sampleCount);
}

EMSCRIPTEN_KEEPALIVE uint32_t ow_frames() { return web->frames; }
EMSCRIPTEN_KEEPALIVE const int16_t* ow_samples() { return web->samples; }
EMSCRIPTEN_KEEPALIVE int ow_sample_count() { return int(web->sampleCount); }
EMSCRIPTEN_KEEPALIVE void ow_samples_taken() { web->sampleCount = 0; }

// The console as shown (320 x 200, border and picture), RGBA bytes.
EMSCRIPTEN_KEEPALIVE const uint32_t* ow_picture()
{
    WebMachine& w = *web;
    composeConsole(w.picture, consoleWidth * 4, w.machine.frame, displayBlanked(w.machine.vdp),
                   backdropColour(w.machine.vdp));
    for (uint32_t& pixel : w.picture) {
        const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        pixel = 0xFF000000u | b << 16 | g << 8 | r; // little-endian RGBA
    }
    return w.picture;
}

// What the page should tell the visitor ("" for nothing); cleared by reading.
EMSCRIPTEN_KEEPALIVE const char* ow_message()
{
    static std::string shown;
    shown = std::move(web->message);
    web->message.clear();
    return shown.c_str();
}

// The machine as a state file's bytes (ow_bytes, ow_byte_count).
EMSCRIPTEN_KEEPALIVE int ow_save_state()
{
    web->bytes = encodeState(web->machine);
    return int(web->bytes.size());
}
EMSCRIPTEN_KEEPALIVE const uint8_t* ow_bytes() { return web->bytes.data(); }

// Loads a state file's bytes; "" when loaded, else why not (the machine is then untouched).
EMSCRIPTEN_KEEPALIVE const char* ow_load_state(const uint8_t* bytes, int length)
{
    static std::string error;
    const StateResult result = decodeState(std::span(bytes, size_t(length)), web->machine, web->machine);
    if (result.ok)
        web->sampleCount = 0; // the loaded machine's sound from its own next sample
    error = result.ok ? std::string() : result.error;
    return error.c_str();
}

// The tape every load request is answered from (the first 64 KiB); length 0 ejects it.
EMSCRIPTEN_KEEPALIVE void ow_mount_tape(const uint8_t* bytes, int length)
{
    web->tape.assign(bytes, bytes + length);
    web->tapeMounted = length > 0;
}

} // extern "C"
