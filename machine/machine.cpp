#include "machine/machine.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "host/file_open.h"
#include "machine/ctc.h"
#include "machine/keyboard.h"
#include "machine/tape.h"
#include "machine/timing.h"
#include "roms/builtin_rom.h"
#include "sound/soundchip.h"
#include "video/vdp.h"

Z80State z80;

namespace {

bool runningBuiltin = false;

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

// Start-up step 1: the ROM images from the folder, or the built-in set when any of the
// three files is missing (said on stderr, with the folder searched).
RomLoadResult loadRomSet(const std::filesystem::path& folder)
{
    const RomChoice choice = chooseRomImages(folder);
    runningBuiltin = false;
    if (!choice.error.empty())
        return {false, choice.error}; // even with others missing: the user meant to give images
    if (choice.missing.empty())
        return loadRomImages(folder);

    std::string names;
    for (const std::string& name : choice.missing)
        names += (names.empty() ? "" : ", ") + name;
    const bool none = choice.missing.size() == std::size(romFileNames);
    std::fprintf(stderr, "ollendor: %s in \"%s\" (missing: %s); running the built-in ROM\n",
                 none ? "no MTX ROM images" : "incomplete MTX ROM set", shownFolder(folder).c_str(),
                 names.c_str());
    loadBuiltinRomImages(&memoryPages.page[0][0], sizeof memoryPages);
    runningBuiltin = true;
    return {true, {}};
}

} // namespace

RomLoadResult machineInit(const std::filesystem::path& romFolder)
{
    RomLoadResult roms = loadRomSet(romFolder);
    if (!roms.ok)
        return roms;
    patchTapeTrap(); // after the copies, so only page 0 carries it
    vdpReset();
    cpuReset(z80);   // copies cyclesPerHook, still 0, into cyclesLeft
    resetTiming();
    z80.cyclesPerHook = mtxCyclesPerHook;
    return roms;
}

bool runningBuiltinRom()
{
    return runningBuiltin;
}

void machinePowerOn()
{
    z80 = Z80State{};
    memoryPowerOn();
    ctcPowerOn();
    keyboardPowerOn();
    tapePowerOn();
    timingPowerOn();
    soundChipPowerOn();
    vdpReset();
    runningBuiltin = false;
}
