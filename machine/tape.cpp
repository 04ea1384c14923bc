#include "machine/tape.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "host/host.h"
#include "machine/memory.h"

uint8_t tapeBuffer[tapeBufferSize];
uint8_t tapeOpened;

namespace {

std::filesystem::path folder = "tapes";

// Names whose missing file has already been reported, so a retry stays quiet. When the
// ring is full the oldest name may be reported again.
constexpr unsigned reportedCapacity = 16;
char reported[reportedCapacity][tapeNameLength];
unsigned reportedCount;
unsigned reportedNext;

bool alreadyReported(const char* name)
{
    for (unsigned i = 0; i < reportedCount; ++i) {
        if (std::memcmp(reported[i], name, tapeNameLength) == 0)
            return true;
    }
    return false;
}

void rememberReported(const char* name)
{
    std::memcpy(reported[reportedNext], name, tapeNameLength);
    reportedNext = (reportedNext + 1) % reportedCapacity;
    if (reportedCount < reportedCapacity)
        ++reportedCount;
}

// A name from emulated memory must name a file in the tape folder and nothing else.
bool safeFileName(const char* name, size_t length)
{
    if (length == 0)
        return false;
    if ((length == 1 && name[0] == '.') || (length == 2 && name[0] == '.' && name[1] == '.'))
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (name[i] == '/' || name[i] == '\\' || name[i] == '\0')
            return false;
    }
    return true;
}

// Opens folder/name if it is a regular file; nullptr otherwise.
std::FILE* openTapeFile(const char* name, size_t length)
{
    if (!safeFileName(name, length))
        return nullptr;
    char path[4096];
    const std::string& dir = folder.native();
    const int written = std::snprintf(path, sizeof path, "%s/%.*s", dir.c_str(), int(length), name);
    if (written < 0 || size_t(written) >= sizeof path)
        return nullptr;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file); // a folder of that name is not a tape
        return nullptr;
    }
    return file;
}

// The exact name first; then, for the user's convenience, without trailing spaces and with
// the usual extension in either case.
std::FILE* findTape(const char* name)
{
    if (std::FILE* file = openTapeFile(name, tapeNameLength))
        return file;
    if (!safeFileName(name, tapeNameLength))
        return nullptr; // an unsafe name gets no variants either
    size_t length = tapeNameLength;
    while (length > 0 && name[length - 1] == ' ')
        --length;
    if (length == 0)
        return nullptr;
    char candidate[tapeNameLength + 4];
    std::memcpy(candidate, name, length);
    if (length < tapeNameLength) {
        if (std::FILE* file = openTapeFile(candidate, length))
            return file;
    }
    for (const char* extension : {".mtx", ".MTX"}) {
        std::memcpy(candidate + length, extension, 4);
        if (std::FILE* file = openTapeFile(candidate, length + 4))
            return file;
    }
    return nullptr;
}

void reportMissing(const char* name)
{
    if (alreadyReported(name))
        return;
    rememberReported(name);
    // Shown as text: bytes that do not print become '?'.
    char shown[tapeNameLength + 1];
    for (unsigned i = 0; i < tapeNameLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        shown[i] = (c >= 0x20 && c < 0x7F) ? char(c) : '?';
    }
    shown[tapeNameLength] = '\0';
    char text[4200];
    std::snprintf(text, sizeof text, "The file %s/%s could not be opened.", folder.c_str(), shown);
    host().messageBox("File not found", text);
}

void openTape()
{
    char name[tapeNameLength];
    std::memcpy(name, &memoryPages.page[0][tapeNameAddress], tapeNameLength);
    std::FILE* file = findTape(name);
    if (!file) {
        reportMissing(name);
        return;
    }
    tapeOpened = 1;
    const size_t read = std::fread(tapeBuffer, 1, tapeBufferSize, file);
    if (read == tapeBufferSize && std::fgetc(file) != EOF) {
        std::fprintf(stderr, "warning: the tape image '%.*s' is longer than 65,536 bytes; only the "
                     "first 65,536 are loaded\n", int(tapeNameLength), name);
    }
    std::fclose(file);
}

} // namespace

void setTapeFolder(const std::filesystem::path& newFolder)
{
    folder = newFolder;
}

const std::filesystem::path& tapeFolder()
{
    return folder;
}

void tapePowerOn()
{
    std::memset(tapeBuffer, 0, sizeof tapeBuffer);
    tapeOpened = 0;
    reportedCount = 0;
    reportedNext = 0;
}

void tapeTrap(Z80State& cpu)
{
    const uint8_t* common = memoryPages.page[0];
    if (common[tapeLoadFlagAddress] == 0 || common[tapeVerifyFlagAddress] != 0)
        return;

    const uint16_t address = cpu.HL();
    const uint16_t length = cpu.DE();
    if (!tapeOpened && address == tapeHeaderAddress && length == tapeHeaderLength)
        openTape();

    // Straight into the store, past memWrite: a block may fill the RAM page's ROM slot too.
    // Addresses wrap at 16 bits.
    for (unsigned i = 0; i < length; ++i) {
        const uint16_t at = uint16_t(address + i);
        const unsigned page = at >= 0xC000 ? 0 : ramPage;
        memoryPages.page[page][at] = tapeBuffer[i];
    }
    std::memmove(tapeBuffer, tapeBuffer + length, tapeBufferSize - length);
}
