// Your own code: loading a binary, resetting, the memory map, searching memory.
#include <algorithm>

#include "automation/encoding.h"
#include "automation/tool_support.h"
#include "files/binary_file.h"
#include "files/message_text.h"
#include "machine/machine.h"

namespace ollendor {

namespace {

using namespace tool;

const Shape binaryLoadedShape{{"address", outInteger()}, {"length", outInteger()}, {"start", outNullable("integer")}};
const Shape resetShape{{"pc", outInteger()}};
const Shape areaShape{{"first", outInteger()}, {"last", outInteger()}, {"page", outInteger()}, {"what", outString()}};
const Shape mapShape{{"rom_page", outInteger()}, {"ram_page", outInteger()}, {"areas", outArray(areaShape.schema())}};
const Shape foundShape{{"total", outInteger()}, {"addresses", outArray(outInteger())}};

// The bytes of load_binary's path: read on the transport's thread (the loop never waits
// for a disk), and only where the transport lets a client have files read.
std::optional<std::vector<uint8_t>> bytesOfFile(const std::string& path, uint16_t address, MachineAccess& machine,
                                                std::string& error)
{
    if (path.empty()) {
        error = "load_binary: 'path' is empty";
        return std::nullopt;
    }
    const MachineAccess::FileReach reach = machine.fileReach();
    if (!reach.any && !insideFolders(path, reach.folders)) {
        error = "load_binary: over HTTP a file is read only inside the folders given on the command line "
                "(--rom-dir, --tape-dir, --load-dir)" +
                std::string(reach.folders.empty() ? "" : ", and '" + escapedName(path) + "' is in none of them") +
                "; the bytes may be given as 'hex' instead";
        return std::nullopt;
    }
    BinaryFile file = readBinaryFile(path, 0x10000 - size_t(address));
    if (!file.bytes)
        error = "load_binary: " + file.error +
                (file.error.find("too long") != std::string::npos ? " from " + hex4(address) : std::string());
    return std::move(file.bytes);
}

ToolResult loadBinary(const Json& arguments, MachineAccess& machine)
{
    if (has(arguments, "hex") == has(arguments, "path"))
        return failure("load_binary: give either 'hex' or 'path'");
    const uint16_t address = uint16_t(number(arguments, "address", 0));
    std::optional<std::vector<uint8_t>> bytes;
    if (has(arguments, "path")) {
        std::string error;
        bytes = bytesOfFile(string(arguments, "path"), address, machine, error);
        if (!bytes)
            return failure(error);
    } else {
        size_t where = 0;
        const std::string hex = string(arguments, "hex");
        bytes = bytesFromHex(hex, &where);
        if (!bytes)
            return failure(where == hex.size() ? "load_binary: 'hex' has an odd number of digits"
                                               : "load_binary: 'hex' has a character that is not a hex digit at " +
                                                     std::to_string(where));
    }
    const std::optional<unsigned> page =
        has(arguments, "page") ? std::optional<unsigned>(unsigned(number(arguments, "page", 0))) : std::nullopt;
    const std::optional<uint16_t> start =
        has(arguments, "start") ? std::optional<uint16_t>(uint16_t(number(arguments, "start", 0))) : std::nullopt;
    return onMachine(machine, [&](Control& control) { return control.loadBinary(*bytes, address, page, start); },
                     [&](const Control::Result& loaded) {
                         if (!loaded.ok)
                             return failure("load_binary: " + loaded.error);
                         return success(binaryLoadedShape({{"address", address}, {"length", bytes->size()},
                                                     {"start", start ? Json(*start) : Json()}}),
                                        std::to_string(bytes->size()) + " bytes loaded at " + hex4(address) +
                                            (start ? ", running from " + hex4(*start) : std::string()));
                     });
}

// What memRead shows: the ROM slot of the ROM page below $4000 (its first 8 KiB the OS
// ROM in every page), the RAM page from $4000 to $BFFF, page 0 from $C000.
ToolResult memoryMapOf(unsigned romPage, unsigned ramPage)
{
    const struct {
        unsigned first;
        unsigned page;
        const char* what;
    } rows[] = {{0x0000, romPage, "ROM slot of the ROM page (the OS ROM in its first 8 KiB)"},
                {0x4000, ramPage, "RAM page"},
                {0x8000, ramPage, "RAM page"},
                {0xC000, 0, "page 0 (the common RAM)"}};
    std::string text = "ROM page " + std::to_string(romPage) + ", RAM page " + std::to_string(ramPage) + " (port 0)";
    Json areas = Json::array();
    for (const auto& row : rows)
        areas.push_back(areaShape({{"first", row.first}, {"last", row.first + 0x3FFF}, {"page", row.page}, {"what", row.what}}));
    return success(mapShape({{"rom_page", romPage}, {"ram_page", ramPage}, {"areas", std::move(areas)}}), text);
}

ToolResult memoryMap(const Json&, MachineAccess& machine)
{
    return onMachine(machine, [](Control& control) {
            const MemoryPages& memory = control.machine().memory;
            return std::pair<unsigned, unsigned>(memory.romPage, memory.ramPage);
        }, [](std::pair<unsigned, unsigned> pages) { return memoryMapOf(pages.first, pages.second); });
}

// Where the needle lies in the haystack: at most limit addresses, and the total.
ToolResult found(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle, size_t limit)
{
    Json found = Json::array();
    size_t total = 0;
    for (auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()); it != haystack.end();
         it = std::search(it + 1, haystack.end(), needle.begin(), needle.end())) {
        if (found.size() < limit)
            found.push_back(size_t(it - haystack.begin()));
        ++total;
    }
    return success(foundShape({{"total", total}, {"addresses", std::move(found)}}),
                   std::to_string(total) + " matches" + (total > limit ? ", the first " + std::to_string(limit) + " given" : ""));
}

ToolResult searchMemory(const Json& arguments, MachineAccess& machine)
{
    const bool byText = has(arguments, "text");
    if (byText == has(arguments, "hex"))
        return failure("search_memory: give either 'hex' or 'text'");
    std::vector<uint8_t> needle;
    if (byText) {
        const std::string text = string(arguments, "text");
        needle.assign(text.begin(), text.end());
    } else {
        size_t where = 0;
        const std::optional<std::vector<uint8_t>> bytes = bytesFromHex(string(arguments, "hex"), &where);
        if (!bytes)
            return failure("search_memory: 'hex' is not whole bytes in hex digits");
        needle = *bytes;
    }
    if (needle.empty())
        return failure("search_memory: nothing to search for");
    const std::string area = has(arguments, "area") ? string(arguments, "area") : "cpu";
    if ((area == "page") != has(arguments, "page"))
        return failure("search_memory: area \"page\" goes with 'page' (0-15), and only it");
    const unsigned page = unsigned(number(arguments, "page", 0));
    const size_t limit = size_t(number(arguments, "limit", 100));
    std::vector<uint8_t> haystack;
    return onMachine(machine, [&](Control& control) {
            const Mtx& m = control.machine();
            if (area == "vram") {
                haystack.assign(m.vdp.vram, m.vdp.vram + vramSize);
            } else if (area == "page") {
                haystack.assign(m.memory.page[page], m.memory.page[page] + pageSize);
            } else {
                haystack.resize(0x10000);
                for (unsigned a = 0; a < 0x10000; ++a)
                    haystack[a] = memRead(m.memory, uint16_t(a));
            }
        }, [&] { return found(haystack, needle, limit); }); // searched here, off the loop's thread
}

} // namespace

void addProgramTools(std::vector<Tool>& tools)
{
    tools.push_back({"load_binary",
                     "Loads bytes (hex, two digits each) or a binary file (path) into memory at address: into "
                     "the pages the CPU sees there now, or into page (0-15) alone; with start, the CPU runs on "
                     "from that address. The history for going back starts afresh. Over HTTP a path is read only "
                     "inside the folders given on the command line (--rom-dir, --tape-dir, --load-dir); over "
                     "standard input any path.",
                     object({{"hex", text("the bytes, two hex digits each (or give path)", 2 * 0x10000, 2)},
                             {"path", text("a binary file to load whole (or give hex)", 4096, 1)},
                             {"address", address("where the first byte goes")},
                             {"page", integer(0, 15, "the page to load into (default: what the CPU sees)")},
                             {"start", address("where the CPU goes on (default: it stays where it is)")}},
                            {"address"}),
                     binaryLoadedShape.schema(), loadBinary});
    tools.push_back({"reset",
                     "Resets the machine: power-on with the same ROMs (memory cleared); breakpoints and symbols "
                     "stay, the history for going back starts afresh.",
                     object({}), resetShape.schema(), [](const Json&, MachineAccess& machine) {
                         return onMachine(machine, [](Control& control) {
                                 control.reset();
                                 return control.machine().cpu.PC;
                             }, [](uint16_t pc) { return success(resetShape({{"pc", pc}}), "reset"); });
                     }});
    tools.push_back({"get_memory_map",
                     "Which page each 16 KiB of the CPU's view shows: rom_page and ram_page (the selectors of "
                     "port 0) and, per area, its first and last address and page (for read_memory's area "
                     "\"page\").",
                     object({}), mapShape.schema(), memoryMap});
    tools.push_back({"search_memory",
                     "Finds bytes (hex) or text in an area: \"cpu\" (default, as the CPU sees memory now), "
                     "\"page\" (with page) or \"vram\"; gives the addresses (at most limit, default 100) and the "
                     "total.",
                     object({{"hex", text("the bytes, two hex digits each", 512, 2)},
                             {"text", text("the text, as its bytes", 256, 1)},
                             {"area", choice({"cpu", "page", "vram"}, "where to search (default cpu)")},
                             {"page", integer(0, 15, "the page, with area \"page\"")},
                             {"limit", integer(1, 10000, "addresses to give (default 100)")}}),
                     foundShape.schema(), searchMemory});
}

} // namespace ollendor
