#include "files/rom_files.h"

#include <cstdio>
#include <iterator>
#include <system_error>

#include "files/file_open.h"
#include "files/message_text.h"
#include "machine/memory.h"
#include "roms/builtin_rom.h"

namespace ollendor {

namespace {

// The folder as the user should read it: absolute, without "." or ".." parts.
std::string shownFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::path shown = std::filesystem::absolute(folder, error);
    if (error)
        return folder.string();
    shown = shown.lexically_normal();
    if (!shown.has_filename() && shown.has_parent_path() && shown != shown.root_path())
        shown = shown.parent_path(); // "/a/b/" → "/a/b"
    return shown.string();
}

// Which ROM images to run: the three files, the built-in set (some file does not exist),
// or neither, because a file that exists cannot serve as an image. Only a file that is
// not there at all counts as missing; a folder, a FIFO or device, an unreadable or an
// empty file in its place is the user's mistake and stops the start, rather than being
// passed over.
struct RomChoice {
    std::vector<std::string> missing; // names of the images not in the folder
    std::string error;                // why an existing file cannot be used; empty if none
};

RomChoice chooseRomImages(const std::filesystem::path& folder)
{
    RomChoice choice;
    for (std::string_view name : romFileNames) {
        const std::filesystem::path path = folder / name;
        std::error_code error;
        // symlink_status: a link that leads nowhere is there, and fails below as unreadable.
        const auto type = std::filesystem::symlink_status(path, error).type();
        if (type == std::filesystem::file_type::not_found) {
            choice.missing.emplace_back(name);
            continue;
        }
        if (!choice.error.empty())
            continue;
        const std::string where = "the ROM image '" + std::string(name) + "' in the folder '" +
                                  shownFolder(folder) + "'";
        // Never a plain open: a FIFO in an image's place would wait for a writer forever.
        const OpenedFile opened = openRegularFile(path.c_str());
        if (opened.problem == FileProblem::folder) {
            choice.error = where + " is a folder, not a file";
            continue;
        }
        if (!opened.file) {
            choice.error = "cannot open " + where + ": " + opened.why;
            continue;
        }
        std::FILE* file = opened.file;
        const bool empty = std::fgetc(file) == EOF;
        const bool failed = std::ferror(file) != 0;
        std::fclose(file);
        if (failed)
            choice.error = "cannot read " + where;
        else if (empty)
            choice.error = where + " is empty";
    }
    return choice;
}

// Reads one image: at most the room from its offset to the end of its page. A file longer
// than its 8 KiB slot is reported, and so is a shorter one, whose slot is zero past its end
// (the file may be cut short or not an image at all: the machine would show a blank screen
// without a word).
bool readImage(const std::filesystem::path& folder, const char* name, unsigned offset,
               std::vector<uint8_t>& image, RomSetResult& result)
{
    const std::filesystem::path path = folder / name;
    // Only a regular file is opened: a FIFO would wait for a writer forever.
    const OpenedFile opened = openRegularFile(path.c_str());
    if (!opened.file) {
        result.error = "cannot open the ROM image '" + std::string(name) + "' in the folder '" +
                       escapedName(folder.string()) + "': " + opened.why;
        return false;
    }
    std::FILE* file = opened.file;
    const size_t room = pageSize - offset;
    image.resize(room);
    const size_t read = std::fread(image.data(), 1, room, file);
    const bool moreInFile = read == room && std::fgetc(file) != EOF;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    image.resize(read);
    if (failed) {
        result.error = "cannot read the ROM image '" + escapedName(path.string()) + "'";
        return false;
    }
    char line[512];
    if (read < romImageSize) {
        std::snprintf(line, sizeof line, "warning: the ROM image '%s' is shorter than 8 KiB: %zu byte%s of "
                      "8192; the rest of its slot is zero", path.c_str(), read, read == 1 ? "" : "s");
        result.warnings.emplace_back(line);
    }
    if (read > romImageSize || moreInFile) {
        std::snprintf(line, sizeof line, "warning: the ROM image '%s' is longer than 8 KiB%s", path.c_str(),
                      moreInFile ? "; the bytes past the end of its page are ignored" : "");
        result.warnings.emplace_back(line);
    }
    return true;
}

} // namespace

RomSetResult loadRomSet(const std::filesystem::path& folder)
{
    RomSetResult result;
    const RomChoice choice = chooseRomImages(folder);
    if (!choice.error.empty()) {
        result.error = choice.error; // even with others missing: the user meant to give images
        return result;
    }
    if (!choice.missing.empty()) {
        std::string names;
        for (const std::string& name : choice.missing)
            names += (names.empty() ? "" : ", ") + name;
        const bool none = choice.missing.size() == std::size(romFileNames);
        result.warnings.push_back(std::string("ollendor: ") +
                                  (none ? "no MTX ROM images" : "incomplete MTX ROM set") + " in \"" +
                                  shownFolder(folder) + "\" (missing: " + names +
                                  "); running the built-in ROM");
        result.roms = builtinRomSet();
        result.ok = true;
        return result;
    }
    if (!readImage(folder, "osrom", 0x0000, result.roms.os, result) ||
        !readImage(folder, "basicrom", 0x2000, result.roms.basic, result) ||
        !readImage(folder, "assemrom", 0x2000, result.roms.assem, result))
        return result;
    result.roms.identity = romSetIdentity(result.roms);
    result.ok = true;
    return result;
}

} // namespace ollendor
