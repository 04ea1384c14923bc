// The whole machine on fuzzed memory: the input becomes ROM and RAM contents, the page
// selectors, the CPU's interrupt settings and the host's key states, and a session runs it
// for a few frames, servicing every event the machine raises on the way (tape requests
// from a folder that does not exist, reported instructions, unsupported modes, sound).
//
// Input layout (FuzzedDataProvider):
//   flags byte: bit 0 lays the built-in ROM set over the fuzzed bytes; bit 1 patches the
//               tape trap; bit 2 reports unrecognised instructions (to the quiet host);
//               bit 3 copies page 0's first 8 KiB into pages 1-7, as the loader does
//   port 0 byte (page selectors), the CPU's interrupt state byte and I register
//   Caps Lock state (16 bits)
//   per frame (frameCount of them): 10 bytes, one bit per key of the 8 × 10 matrix
//   load offset (32 bits) into the 1 MiB page store
//   the rest: bytes copied into the page store from the load offset on
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "machine/keyboard.h"
#include "machine/rom_set.h"
#include "video/render.h"

using namespace ollendor;

namespace {

constexpr unsigned frameCount = 2; // frames run per input
constexpr unsigned keyStateBytes = 10;
constexpr uint8_t noBit = 0xFF;

std::unique_ptr<RomSet> builtin;
std::unique_ptr<Session> session;
QuietHost host;
std::vector<uint8_t> keys;  // keyStateBytes per frame
uint8_t keyBit[256];        // per virtual-key code, its bit in a frame's key bytes

// The key held in the frame the session is about to run, as the input says.
bool keyHeld(uint8_t virtualKey)
{
    const uint8_t bit = keyBit[virtualKey];
    const uint64_t frame = std::min<uint64_t>(session->frames(), frameCount - 1);
    return bit != noBit && (keys[frame * keyStateBytes + bit / 8] >> (bit % 8) & 1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::fill(std::begin(keyBit), std::end(keyBit), noBit);
    for (unsigned row = 0; row < 8; ++row)
        for (unsigned column = 0; column < 10; ++column)
            if (keyMatrixMap[row][column] != noKey)
                keyBit[keyMatrixMap[row][column]] = uint8_t(row * 10 + column);
    builtin = std::make_unique<RomSet>(builtinRomSet());
    session = std::make_unique<Session>(*builtin);
    session->setHost(host);
    // A tape folder that is never made: a tape request reports the missing file.
    session->setTapeFolder(fuzzScratchPath("machine") / "no-tapes");
    session->setHostKeys(keyHeld);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Mtx& m = session->machine();
    machinePowerOn(m);

    FuzzedDataProvider input(data, size);
    const uint8_t flags = input.ConsumeIntegral<uint8_t>();
    const uint8_t pages = input.ConsumeIntegral<uint8_t>();
    const uint8_t intState = input.ConsumeIntegral<uint8_t>();
    const uint8_t interruptBase = input.ConsumeIntegral<uint8_t>();
    const int16_t capsLock = input.ConsumeIntegral<int16_t>();
    keys = input.ConsumeBytes<uint8_t>(keyStateBytes * frameCount);
    keys.resize(keyStateBytes * frameCount);
    const uint32_t offset = input.ConsumeIntegral<uint32_t>() % sizeof m.memory.page;
    const std::vector<uint8_t> contents = input.ConsumeRemainingBytes<uint8_t>();

    uint8_t* store = &m.memory.page[0][0];
    std::copy_n(contents.begin(), std::min<size_t>(contents.size(), sizeof m.memory.page - offset),
                store + offset);
    if (flags & 1)
        layOutRomImages(m.memory, *builtin);
    if (flags & 8) {
        for (unsigned p = 1; p <= 7; ++p)
            std::copy_n(m.memory.page[0], romImageSize, m.memory.page[p]);
    }
    if (flags & 2)
        patchTapeTrap(m.memory);

    m.cpu.reportUnknown = (flags >> 2) & 1;
    m.cpu.intState = intState;
    m.cpu.I = interruptBase;
    setPages(m.memory, pages);
    // The Caps Lock reference, as the program takes it when the CPU starts.
    session->setCapsLock(capsLock);
    session->updateInput();
    snapshotCapsLock(m.keyboard);

    for (unsigned frame = 0; frame < frameCount; ++frame)
        session->runFrame();

    // Each frame run ran one frame, and left no request waiting.
    if (m.timing.frames != frameCount || m.tape.requestPending)
        __builtin_trap();
    for (uint8_t pixel : m.frame.pixels) {
        if (pixel > 15)
            __builtin_trap();
    }
    return 0;
}
