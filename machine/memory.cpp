#include "machine/memory.h"

#include <cstdio>
#include <cstring>

#include "host/file_open.h"

MemoryPages memoryPages;
uint8_t ramPage;
uint8_t romPage;

void setPages(uint8_t value)
{
    ramPage = value & 0x0F;
    romPage = (value >> 4) & 0x07;
}

void memoryPowerOn()
{
    std::memset(&memoryPages, 0, sizeof memoryPages);
    ramPage = 0;
    romPage = 0;
}

namespace {

// Copies the file into the page from the offset on. The bytes stop at the end of the page
// whatever the file's length; a file longer than its 8 KiB slot is reported on stderr, and
// so is a shorter one, whose slot is zero past its end (the file may be cut short or not
// an image at all: the machine would show a blank screen without a word).
RomLoadResult loadImage(const std::filesystem::path& folder, const char* name, unsigned page,
                        unsigned offset)
{
    const std::filesystem::path path = folder / name;
    // Only a regular file is opened: a FIFO would wait for a writer forever.
    const OpenedFile opened = openRegularFile(path.c_str());
    if (!opened.file) {
        return {false, "cannot open the ROM image '" + std::string(name) + "' in the folder '" +
                           folder.string() + "': " + opened.why};
    }
    std::FILE* file = opened.file;
    uint8_t* start = &memoryPages.page[page][offset];
    const size_t room = pageSize - offset;
    const size_t read = std::fread(start, 1, room, file);
    const bool moreInFile = read == room && std::fgetc(file) != EOF;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return {false, "cannot read the ROM image '" + path.string() + "'"};
    if (read < romImageSize) {
        std::memset(start + read, 0, romImageSize - read);
        std::fprintf(stderr, "warning: the ROM image '%s' is shorter than 8 KiB: %zu byte%s of "
                     "8192; the rest of its slot is zero\n", path.c_str(), read, read == 1 ? "" : "s");
    }
    if (read > romImageSize || moreInFile) {
        std::fprintf(stderr, "warning: the ROM image '%s' is longer than 8 KiB%s\n",
                     path.c_str(), moreInFile ? "; the bytes past the end of its page are ignored" : "");
    }
    return {true, {}};
}

} // namespace

RomLoadResult loadRomImages(const std::filesystem::path& folder)
{
    if (RomLoadResult r = loadImage(folder, "osrom", 0, 0x0000); !r.ok)
        return r;
    if (RomLoadResult r = loadImage(folder, "basicrom", 0, 0x2000); !r.ok)
        return r;
    if (RomLoadResult r = loadImage(folder, "assemrom", 1, 0x2000); !r.ok)
        return r;
    for (unsigned p = 2; p <= 7; ++p)
        std::memset(&memoryPages.page[p][0x2000], 0xFF, romImageSize);
    for (unsigned p = 1; p <= 7; ++p)
        std::memcpy(&memoryPages.page[p][0], &memoryPages.page[0][0], romImageSize);
    return {true, {}};
}

void patchTapeTrap()
{
    memoryPages.page[0][tapeTrapAddress] = 0xED;
    memoryPages.page[0][tapeTrapAddress + 1] = 0xFE;
    memoryPages.page[0][tapeTrapAddress + 2] = 0xC9;
}
