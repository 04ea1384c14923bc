// The tape trap: the name field, the OS's two flag bytes, HL and DE of each request, the
// RAM page, and a tape image of up to 1 MiB written into a scratch tape folder per input.
//
// Input layout (FuzzedDataProvider):
//   flags byte: bits 0-1 how the image file is named (exact 9 bytes, without trailing
//               spaces, with ".mtx" added, not written at all); bit 2 the tape folder is
//               missing; bit 3 the image is a folder instead of a file
//   the 15-byte name field, the bytes at 0xFD67 and 0xFD68, the port 0 byte
//   image size (32 bits, taken modulo 1 MiB + 1)
//   image pattern length (16 bits) and that many bytes, repeated to fill the image
//   then requests: HL and DE (16 bits each) while four bytes are left; none given, one
//   header request (HL = 0xC011, DE = 18)
#include <fuzzer/FuzzedDataProvider.h>

#include <fstream>
#include <vector>

#include "fuzz_support.h"
#include "host/test_host.h"
#include "machine/tape.h"

using namespace ollendor;

namespace {

constexpr size_t maxImageSize = 1u << 20;

// Only names that stay inside the folder are written; others must count as missing.
bool writableName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::vector<uint8_t> image;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    image.reserve(maxImageSize);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    powerOnEverything();
    TestHost host;
    FuzzedDataProvider input(data, size);

    const uint8_t flags = input.ConsumeIntegral<uint8_t>();
    std::vector<uint8_t> nameField = input.ConsumeBytes<uint8_t>(15);
    nameField.resize(15, ' ');
    std::copy(nameField.begin(), nameField.end(), &memoryPages.page[0][tapeNameAddress]);
    memoryPages.page[0][tapeVerifyFlagAddress] = input.ConsumeIntegral<uint8_t>();
    memoryPages.page[0][tapeLoadFlagAddress] = input.ConsumeIntegral<uint8_t>();
    setPages(input.ConsumeIntegral<uint8_t>());
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
    setTapeFolder(folder);
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

    // The requests the input gives; an input with none makes one header request.
    unsigned requests = 0;
    while (requests == 0 || input.remaining_bytes() >= 4) {
        uint16_t hl = tapeHeaderAddress;
        uint16_t de = tapeHeaderLength;
        if (input.remaining_bytes() >= 4) {
            hl = input.ConsumeIntegral<uint16_t>();
            de = input.ConsumeIntegral<uint16_t>();
        }
        ++requests;
        z80.setHL(hl);
        z80.setDE(de);
        z80.setAF(0x1234);
        z80.setBC(0x5678);
        tapeTrap(z80);
        // The trap changes no register.
        if (z80.HL() != hl || z80.DE() != de || z80.AF() != 0x1234 || z80.BC() != 0x5678)
            __builtin_trap();
    }
    return 0;
}
