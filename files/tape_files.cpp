#include "files/tape_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "files/file_open.h"
#include "files/message_text.h"

namespace ollendor {

namespace {

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

// Shown as text: bytes that do not print become '?'.
void copyShown(char* shown, const char* name, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        shown[i] = (c >= 0x20 && c < 0x7F) ? char(c) : '?';
    }
    shown[length] = '\0';
}

// Why no tape image was opened, for the message. The most telling reason wins: a file
// that is there but cannot be used says more than one that is not there.
struct TapeProblem {
    FileProblem problem = FileProblem::none;
    const char* why = nullptr;              // in words; nullptr while nothing was tried
    char name[tapeNameLength + 5] = {};     // the name tried that the reason belongs to
    bool exactName = false;                 // that name is the 9-byte name itself
};

void noteProblem(TapeProblem& problem, FileProblem kind, const char* why, const char* name,
                 size_t length, bool exactName)
{
    if (problem.why != nullptr && problem.problem != FileProblem::missing)
        return;
    problem.problem = kind;
    problem.why = why;
    copyShown(problem.name, name, length);
    problem.exactName = exactName;
}

// Opens folder/name if it is a regular file; nullptr otherwise, with the reason noted.
// The trap runs inside an emulated instruction, so the open must never wait: a FIFO or a
// device in the tape folder is refused before it is opened (openRegularFile).
std::FILE* openTapeFile(const std::filesystem::path& folder, const char* name, size_t length, bool exactName,
                        TapeProblem& problem)
{
    if (!safeFileName(name, length)) {
        noteProblem(problem, FileProblem::other, "its name would lead out of the tape folder", name, length,
                    exactName);
        return nullptr;
    }
    char path[4096];
    const std::string& dir = folder.native();
    const int written = std::snprintf(path, sizeof path, "%s/%.*s", dir.c_str(), int(length), name);
    if (written < 0 || size_t(written) >= sizeof path) {
        noteProblem(problem, FileProblem::other, "its path is too long", name, length, exactName);
        return nullptr;
    }
    const OpenedFile opened = openRegularFile(path);
    if (!opened.file)
        noteProblem(problem, opened.problem, opened.why, name, length, exactName);
    return opened.file;
}

// The length of the name without its trailing spaces.
size_t trimmedLength(const char* name)
{
    size_t length = tapeNameLength;
    while (length > 0 && name[length - 1] == ' ')
        --length;
    return length;
}

// The exact name first; then, for the user's convenience, without trailing spaces and with
// the usual extension in either case.
std::FILE* findTape(const std::filesystem::path& folder, const char* name, TapeProblem& problem)
{
    if (std::FILE* file = openTapeFile(folder, name, tapeNameLength, true, problem))
        return file;
    if (!safeFileName(name, tapeNameLength))
        return nullptr; // an unsafe name gets no variants either
    const size_t length = trimmedLength(name);
    if (length == 0)
        return nullptr;
    char candidate[tapeNameLength + 4];
    std::memcpy(candidate, name, length);
    if (length < tapeNameLength) {
        if (std::FILE* file = openTapeFile(folder, candidate, length, false, problem))
            return file;
    }
    for (const char* extension : {".mtx", ".MTX"}) {
        std::memcpy(candidate + length, extension, 4);
        if (std::FILE* file = openTapeFile(folder, candidate, length + 4, false, problem))
            return file;
    }
    return nullptr;
}

// "The file tapes/GAME      could not be opened." and then why, as a sentence of its own:
// "There is no such file (nor GAME, GAME.mtx, GAME.MTX)." or "It is a FIFO, not a
// regular file (tried as GAME.mtx)."
std::string missingText(const std::filesystem::path& folder, const char* name, const TapeProblem& problem)
{
    char shown[tapeNameLength + 1];
    copyShown(shown, name, tapeNameLength);

    const char* why = problem.why ? problem.why : "there is no such file";
    char detail[64] = "";
    struct stat info;
    const bool folderThere = stat(folder.c_str(), &info) == 0;
    if (!folderThere && problem.problem != FileProblem::other) {
        why = "the tape folder does not exist";
    } else if (folderThere && !S_ISDIR(info.st_mode)) {
        why = "the tape folder is not a folder";
    } else if (problem.problem == FileProblem::missing) {
        const size_t length = trimmedLength(name);
        if (length > 0 && safeFileName(name, tapeNameLength)) {
            char trimmed[tapeNameLength + 1];
            copyShown(trimmed, name, length);
            std::snprintf(detail, sizeof detail, " (nor %s%s%s.mtx, %s.MTX)",
                          length < tapeNameLength ? trimmed : "", length < tapeNameLength ? ", " : "",
                          trimmed, trimmed);
        }
    } else if (problem.why && !problem.exactName) {
        std::snprintf(detail, sizeof detail, " (tried as %s)", problem.name);
    }
    char text[4300];
    std::snprintf(text, sizeof text, "The file %s/%s could not be opened. %c%s%s.", folder.c_str(), shown,
                  std::toupper(static_cast<unsigned char>(why[0])), why + 1, detail);
    return text;
}

// The image from an open file: its first 64 KiB, and a warning when there is more.
TapeLookup readImage(std::FILE* file, const std::string& shownName)
{
    TapeLookup lookup;
    lookup.found = true;
    lookup.image.resize(tapeBufferSize);
    const size_t read = std::fread(lookup.image.data(), 1, tapeBufferSize, file);
    lookup.image.resize(read);
    if (read == tapeBufferSize && std::fgetc(file) != EOF) {
        char text[160];
        std::snprintf(text, sizeof text, "warning: the tape image '%s' is longer than 65,536 bytes; only the "
                      "first 65,536 are loaded", shownName.c_str());
        lookup.warning = text;
    }
    std::fclose(file);
    return lookup;
}

} // namespace

TapeLookup findTapeImage(const std::filesystem::path& folder, const char (&name)[tapeNameLength])
{
    TapeProblem problem;
    std::FILE* file = findTape(folder, name, problem);
    if (!file) {
        TapeLookup lookup;
        lookup.message = missingText(folder, name, problem);
        return lookup;
    }
    return readImage(file, std::string(name, tapeNameLength));
}

TapeLookup readTapeFile(const std::filesystem::path& path)
{
    const OpenedFile opened = openRegularFile(path.c_str());
    if (!opened.file) {
        TapeLookup lookup;
        std::string why = opened.why ? opened.why : "it cannot be opened";
        why[0] = char(std::toupper(static_cast<unsigned char>(why[0])));
        lookup.message = "The file " + escapedName(path.string()) + " could not be opened. " + why + ".";
        return lookup;
    }
    return readImage(opened.file, path.string());
}

} // namespace ollendor
