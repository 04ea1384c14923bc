// The tape trap through a session: the name field, the OS's two flag bytes, HL and DE of
// each request, the RAM page, and a tape image of up to 1 MiB written into a scratch tape
// folder per input. The requests run as a program of trap instructions in one frame, so
// each request that needs an image stops the run, is answered by the session from the
// folder, and the run goes on with the next.
//
// Input layout (FuzzedDataProvider):
//   flags byte: bits 0-1 how the image file is named (exact 9 bytes, without trailing
//               spaces, with ".mtx" added, not written at all); bit 2 the tape folder is
//               missing; bit 3 the image is a folder instead of a file
//   the 15-byte name field, the bytes at 0xFD67 and 0xFD68, the port 0 byte
//   image size (32 bits, taken modulo 1 MiB + 1)
//   image pattern length (16 bits) and that many bytes, repeated to fill the image
//   then requests: HL and DE (16 bits each) while four bytes are left (at most
//   maxRequests); none given, one header request (HL = 0xC011, DE = 18)
#include <fuzzer/FuzzedDataProvider.h>

#include <fstream>
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "machine/rom_set.h"
#include "machine/tape.h"

using namespace ollendor;

namespace {

constexpr size_t maxImageSize = 1u << 20;
// The program lies in a ROM slot no block can reach (blocks go to the RAM page's slot or
// to page 0): 8 bytes per request and a HALT fill at most its 16 KiB.
constexpr unsigned maxRequests = 2000;

// Only names that stay inside the folder are written; others must count as missing.
bool writableName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::vector<uint8_t> image;
std::unique_ptr<Session> session;
QuietHost host;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    image.reserve(maxImageSize);
    session = std::make_unique<Session>(builtinRomSet()); // wiped by every input
    session->setHost(host);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Mtx& m = session->machine();
    machinePowerOn(m); // no ROM: only the tape and the program put anything in memory
    FuzzedDataProvider input(data, size);

    const uint8_t flags = input.ConsumeIntegral<uint8_t>();
    std::vector<uint8_t> nameField = input.ConsumeBytes<uint8_t>(15);
    nameField.resize(15, ' ');
    uint8_t* common = m.memory.page[0];
    std::copy(nameField.begin(), nameField.end(), &common[tapeNameAddress]);
    common[tapeVerifyFlagAddress] = input.ConsumeIntegral<uint8_t>();
    common[tapeLoadFlagAddress] = input.ConsumeIntegral<uint8_t>();
    setPages(m.memory, input.ConsumeIntegral<uint8_t>());
    const size_t imageSize = input.ConsumeIntegral<uint32_t>() % (maxImageSize + 1);
    std::vector<uint8_t> pattern =
        input.ConsumeBytes<uint8_t>(input.ConsumeIntegral<uint16_t>());
    if (pattern.empty())
        pattern.push_back(0);
    image.resize(imageSize);
    for (size_t i = 0; i < imageSize; ++i)
        image[i] = pattern[i % pattern.size()];

    const InputScratchFolder scratch("tape");
    const std::filesystem::path folder = scratch.path() / "tapes";
    session->setTapeFolder(folder);
    if (!(flags & 4)) {
        std::filesystem::create_directory(folder);
        std::string name(nameField.begin(), nameField.begin() + tapeNameLength);
        switch (flags & 3) {
        case 0: break;
        case 1: name.erase(name.find_last_not_of(' ') + 1); break;
        case 2: name += ".mtx"; break;
        case 3: name.clear(); break;
        }
        if (writableName(name)) {
            if (flags & 8) {
                std::filesystem::create_directory(folder / name);
            } else {
                std::ofstream out(folder / name, std::ios::binary);
                out.write(reinterpret_cast<const char*>(image.data()),
                          std::streamsize(image.size()));
            }
        }
    }

    // The program: LD HL,nn; LD DE,nn; the trap; per request, then HALT.
    const unsigned programPage = m.memory.ramPage == 7 ? 6 : 7;
    uint8_t* program = m.memory.page[programPage];
    unsigned at = 0;
    unsigned requests = 0;
    uint16_t hl = tapeHeaderAddress;
    uint16_t de = tapeHeaderLength;
    while (requests == 0 || (input.remaining_bytes() >= 4 && requests < maxRequests)) {
        if (input.remaining_bytes() >= 4) {
            hl = input.ConsumeIntegral<uint16_t>();
            de = input.ConsumeIntegral<uint16_t>();
        }
        ++requests;
        const uint8_t code[] = {0x21, uint8_t(hl), uint8_t(hl >> 8), 0x11, uint8_t(de), uint8_t(de >> 8), 0xED, 0xFE};
        std::copy(std::begin(code), std::end(code), program + at);
        at += sizeof code;
    }
    program[at] = 0x76; // HALT
    m.memory.romPage = uint8_t(programPage);
    m.cpu.setAF(0x1234);
    m.cpu.setBC(0x5678);

    session->runFrame();

    // Every request was answered and the program ran to its end; the trap changed no
    // register.
    if (m.tape.requestPending || m.cpu.PC != at || !(m.cpu.intState & HALTED))
        __builtin_trap();
    if (m.cpu.HL() != hl || m.cpu.DE() != de || m.cpu.AF() != 0x1234 || m.cpu.BC() != 0x5678)
        __builtin_trap();
    return 0;
}
