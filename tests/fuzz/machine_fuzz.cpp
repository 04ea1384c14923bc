// The whole machine on fuzzed memory: the input becomes ROM and RAM contents, the page
// selectors, the CPU's interrupt settings and the host's key states, and the CPU runs for a
// fixed number of hook slices with the renderer drawing every frame.
//
// Input layout (FuzzedDataProvider):
//   flags byte: bit 0 lays the built-in ROM set over the fuzzed bytes; bit 1 patches the
//               tape trap; bit 2 reports unrecognised instructions (to the silenced stdout);
//               bit 3 copies page 0's first 8 KiB into pages 1-7, as the loader does
//   port 0 byte (page selectors), the CPU's interrupt state byte and I register
//   Caps Lock state (16 bits)
//   per frame (frameCount of them): 10 bytes, one bit per key of the 8 × 10 matrix
//   load offset (32 bits) into the 1 MiB page store
//   the rest: bytes copied into the page store from the load offset on
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <vector>

#include "fuzz_support.h"
#include "host/test_host.h"
#include "machine/keyboard.h"
#include "machine/tape.h"
#include "machine/timing.h"
#include "roms/builtin_rom.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

constexpr unsigned frameCount = 2;   // frames rendered before the pump says quit
constexpr unsigned keyStateBytes = 10;

void setKeys(TestHost& host, const uint8_t* bits)
{
    host.releaseAll();
    for (unsigned row = 0; row < 8; ++row) {
        for (unsigned column = 0; column < 10; ++column) {
            const unsigned bit = row * 10 + column;
            if ((bits[bit / 8] >> (bit % 8)) & 1 && keyMatrixMap[row][column] != noKey)
                host.press(keyMatrixMap[row][column]);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceStdout();
    // A tape folder that is never made: a tape request reports the missing file through
    // the test host.
    setTapeFolder(fuzzScratchPath("machine") / "no-tapes");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    powerOnEverything();
    TestHost host;
    constrainSpeed.store(0); // no pacing sleeps: the scripted clock would only spin

    FuzzedDataProvider input(data, size);
    const uint8_t flags = input.ConsumeIntegral<uint8_t>();
    const uint8_t pages = input.ConsumeIntegral<uint8_t>();
    const uint8_t intState = input.ConsumeIntegral<uint8_t>();
    const uint8_t interruptBase = input.ConsumeIntegral<uint8_t>();
    host.capsLock = input.ConsumeIntegral<int16_t>();
    std::vector<uint8_t> keys = input.ConsumeBytes<uint8_t>(keyStateBytes * frameCount);
    keys.resize(keyStateBytes * frameCount);
    const uint32_t offset = input.ConsumeIntegral<uint32_t>() % sizeof memoryPages;
    const std::vector<uint8_t> contents = input.ConsumeRemainingBytes<uint8_t>();

    uint8_t* store = &memoryPages.page[0][0];
    std::copy_n(contents.begin(), std::min<size_t>(contents.size(), sizeof memoryPages - offset),
                store + offset);
    if (flags & 1)
        loadBuiltinRomImages(store, sizeof memoryPages);
    if (flags & 8) {
        for (unsigned p = 1; p <= 7; ++p)
            std::copy_n(memoryPages.page[0], romImageSize, memoryPages.page[p]);
    }
    if (flags & 2)
        patchTapeTrap();

    // As machineInit does after loading the images.
    vdpReset();
    cpuReset(z80);
    resetTiming();
    z80.cyclesPerHook = mtxCyclesPerHook;
    z80.reportUnknown = (flags >> 2) & 1;
    z80.intState = intState;
    z80.I = interruptBase;
    setPages(pages);
    snapshotCapsLock();

    setKeys(host, keys.data());
    host.quitAfterFrames = frameCount;
    host.onRender = [&] {
        vdpRender(frameBuffer);
        if (host.renderCalls < frameCount)
            setKeys(host, keys.data() + keyStateBytes * host.renderCalls);
    };
    machineRun();
    return 0;
}
