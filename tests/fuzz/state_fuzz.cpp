// The state file loader: arbitrary bytes, or a real state file with arbitrary bytes patched
// into its unpacked sections and packed again with a checksum that matches (so that the
// checks past the checksum are what meets them). The loader either refuses, leaving the
// running machine untouched, or gives a machine that runs a frame and saves back to a file
// that loads to the same machine.
//
// Input: first byte even: the rest is the file as it is. Odd: the rest is a list of
// patches to the unpacked payload of a saved machine, each a 3-byte offset (little-endian,
// taken modulo the payload's size), a length byte and that many bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <vector>

#include "machine/rom_set.h"
#include "state/state_file.h"
#include "tests/support/state_pack.h"

using namespace ollendor;

namespace {

struct Fixture {
    std::unique_ptr<Mtx> running = std::make_unique<Mtx>();
    std::unique_ptr<Mtx> before = std::make_unique<Mtx>();
    std::unique_ptr<Mtx> loaded = std::make_unique<Mtx>();
    std::unique_ptr<Mtx> again = std::make_unique<Mtx>();
    std::vector<uint8_t> header;  // a saved machine's header
    std::vector<uint8_t> payload; // and its sections, unpacked

    Fixture()
    {
        machinePowerOn(*running);
        machineInit(*running, builtinRomSet());
        for (int frame = 0; frame < 20;) {
            machineRun(*running);
            const MachineEvents events = takeEvents(*running);
            if (events.has(MachineEvent::tapeRequest))
                tapeMissing(*running);
            frame += events.has(MachineEvent::frameDone);
        }
        const std::vector<uint8_t> file = encodeState(*running);
        header.assign(file.begin(), file.begin() + stateHeaderSize);
        payload = unpackedState(file);
    }

    // The payload packed into a file with a header and checksum that match.
    std::vector<uint8_t> pack(const std::vector<uint8_t>& sections) const { return packedState(header, sections); }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fixture& f = fixture();
    if (size == 0)
        return 0;
    std::vector<uint8_t> file;
    if (data[0] % 2 == 0) {
        file.assign(data + 1, data + size);
    } else {
        std::vector<uint8_t> sections = f.payload;
        FuzzedDataProvider input(data + 1, size - 1);
        while (input.remaining_bytes() >= 4) {
            const uint32_t offset = input.ConsumeIntegral<uint32_t>() & 0xFFFFFF;
            const std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegral<uint8_t>());
            for (size_t i = 0; i < bytes.size(); ++i)
                sections[(offset + i) % sections.size()] = bytes[i];
        }
        file = f.pack(sections);
    }

    *f.before = *f.running;
    *f.loaded = *f.running;
    const StateResult result = decodeState(file, *f.running, *f.loaded);
    if (!result.ok) {
        // Refused: nothing changed, and the reason was given.
        if (result.error.empty() || std::memcmp(f.loaded.get(), f.before.get(), sizeof(Mtx)) != 0)
            __builtin_trap();
        return 0;
    }
    // Accepted: it saves back to a file that loads to the same machine, and runs.
    const std::vector<uint8_t> saved = encodeState(*f.loaded);
    if (!decodeState(saved, *f.running, *f.again).ok || encodeState(*f.again) != saved)
        __builtin_trap();
    for (int runs = 0; runs < 200 && !takeEvents(*f.loaded).has(MachineEvent::frameDone); ++runs) {
        machineRun(*f.loaded);
        if (f.loaded->events.has(MachineEvent::tapeRequest))
            tapeMissing(*f.loaded);
    }
    return 0;
}
