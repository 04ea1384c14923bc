// The ROM loader: osrom, basicrom and assemrom of any size (empty, short, 8 KiB, longer than
// their page) or standing as folders, read by loadRomSet from a scratch folder and laid out
// by machineInit. When the loader accepts them, the pages must be laid out as the loader
// promises, hold exactly the files' bytes, and nothing may land past the ROM pages; the
// built-in set stands in exactly when a file is absent, and says so.
//
// Input layout (FuzzedDataProvider), for each of the three images in turn:
//   kind byte: % 8 == 6 the image is a folder, == 7 it is absent, otherwise a file
//   size (32 bits, taken modulo 256 KiB + 1), pattern length (8 bits) and the pattern,
//   repeated to fill the file
#include <fuzzer/FuzzedDataProvider.h>

#include <fstream>
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "files/rom_files.h"
#include "machine/rom_set.h"
#include "roms/builtin_rom.h"

using namespace ollendor;

namespace {

constexpr size_t maxImageSize = 256u << 10;

struct Image {
    enum Kind { file, folder, absent } kind;
    std::vector<uint8_t> bytes;
};

// Where each image starts in the page store, and how much of its page follows.
constexpr size_t imagePage[3] = {0, 0, 1};
constexpr size_t imageOffset[3] = {0x0000, 0x2000, 0x2000};

bool allEqual(const uint8_t* bytes, size_t count, uint8_t value)
{
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] != value)
            return false;
    }
    return true;
}

std::unique_ptr<Mtx> machine;

void checkLayout(const MemoryPages& memory, const Image (&images)[3])
{
    // Pages 8-15 can never be reached as ROM and receive nothing.
    if (!allEqual(memory.page[8], size_t(pageCount - 8) * pageSize, 0))
        __builtin_trap();
    for (unsigned p = 1; p <= 7; ++p) {
        // The OS image is copied from page 0 before the trap is patched there.
        for (unsigned i = 0; i < romImageSize; ++i) {
            const bool patched = i >= tapeTrapAddress && i < tapeTrapAddress + 3u;
            if (!patched && memory.page[p][i] != memory.page[0][i])
                __builtin_trap();
        }
        if (p >= 2 && !allEqual(&memory.page[p][0x2000], romImageSize, 0xFF))
            __builtin_trap();
    }
    if (memory.page[0][tapeTrapAddress] != 0xED || memory.page[0][tapeTrapAddress + 1] != 0xFE)
        __builtin_trap();

    // Each file's bytes, as far as its page reaches, except where a later image or the trap
    // patch lies over them (osrom's bytes from 0x2000 on are basicrom's slot).
    for (const Image& image : images) {
        if (image.kind != Image::file)
            return; // a missing file may bring in stand-in images for all three
    }
    for (unsigned n = 0; n < 3; ++n) {
        const uint8_t* at = &memory.page[imagePage[n]][imageOffset[n]];
        size_t count = std::min(images[n].bytes.size(), size_t(pageSize - imageOffset[n]));
        if (n == 0)
            count = std::min(count, size_t(0x2000));
        for (size_t i = 0; i < count; ++i) {
            const size_t address = imageOffset[n] + i;
            const bool patched = n == 0 && address >= tapeTrapAddress && address < tapeTrapAddress + 3u;
            if (!patched && at[i] != images[n].bytes[i])
                __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    machine = std::make_unique<Mtx>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);

    const InputScratchFolder scratch("rom");
    const std::filesystem::path& folder = scratch.path();

    Image images[3];
    for (unsigned n = 0; n < 3; ++n) {
        const uint8_t kind = input.ConsumeIntegral<uint8_t>() % 8;
        images[n].kind = kind == 6 ? Image::folder : kind == 7 ? Image::absent : Image::file;
        const size_t imageSize = input.ConsumeIntegral<uint32_t>() % (maxImageSize + 1);
        std::vector<uint8_t> pattern = input.ConsumeBytes<uint8_t>(input.ConsumeIntegral<uint8_t>());
        if (pattern.empty())
            pattern.push_back(uint8_t(0xC3 + n));
        const std::filesystem::path path = folder / std::string(romFileNames[n]);
        if (images[n].kind == Image::folder) {
            std::filesystem::create_directory(path);
        } else if (images[n].kind == Image::file) {
            images[n].bytes.resize(imageSize);
            for (size_t i = 0; i < imageSize; ++i)
                images[n].bytes[i] = pattern[i % pattern.size()];
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(images[n].bytes.data()),
                      std::streamsize(imageSize));
        }
    }

    bool absent = false;
    for (const Image& image : images)
        absent |= image.kind == Image::absent;

    const RomSetResult result = loadRomSet(folder);
    if (result.ok) {
        for (const Image& image : images) {
            if (image.kind == Image::folder)
                __builtin_trap(); // a folder is no ROM image
        }
        // The built-in set stands in exactly when a file is absent, and a warning says so.
        if (result.roms.builtin != absent || (absent && result.warnings.empty()))
            __builtin_trap();
        if (result.roms.identity != romSetIdentity(result.roms))
            __builtin_trap();
        Mtx& m = *machine;
        machinePowerOn(m);
        machineInit(m, result.roms);
        if (m.romIdentity != result.roms.identity || m.romBuiltin != result.roms.builtin)
            __builtin_trap();
        checkLayout(m.memory, images);
    } else if (result.error.empty()) {
        __builtin_trap(); // a refusal must say why
    }
    return 0;
}
