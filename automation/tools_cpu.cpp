// The CPU and memory: registers, reading and writing memory, disassembly.
#include <cstring>

#include "automation/encoding.h"
#include "automation/tool_support.h"
#include "debug/cpu_text.h"
#include "debug/disassembler.h"
#include "debug/memory_area.h"
#include "debug/registers.h"
#include "machine/machine.h"

namespace ollendor {

namespace {

using namespace tool;

constexpr int64_t maxMemoryLength = 0x10000;

// --- registers ---------------------------------------------------------------------------

// Every register of the table by its key; IFF1 and IFF2 as true or false.
Json registersJson(const Z80State& cpu)
{
    Json out = Json::object();
    for (const RegisterInfo& info : cpuRegisters()) {
        if (info.id == CpuRegister::A || info.id == CpuRegister::F || info.id == CpuRegister::B ||
            info.id == CpuRegister::C || info.id == CpuRegister::D || info.id == CpuRegister::E ||
            info.id == CpuRegister::H || info.id == CpuRegister::L)
            continue; // given as their pairs
        const uint16_t value = readCpuRegister(cpu, info.id);
        if (info.maximum == 1)
            out[info.key] = value != 0;
        else
            out[info.key] = value;
    }
    out["halted"] = (cpu.intState & HALTED) != 0;
    return out;
}

std::string registersText(const Z80State& cpu)
{
    char text[200];
    std::snprintf(text, sizeof text,
                  "AF=%04X BC=%04X DE=%04X HL=%04X AF'=%04X BC'=%04X DE'=%04X HL'=%04X IX=%04X IY=%04X SP=%04X "
                  "PC=%04X I=%02X IM%d%s%s",
                  cpu.AF(), cpu.BC(), cpu.DE(), cpu.HL(), cpu.altAF, cpu.altBC, cpu.altDE, cpu.altHL, cpu.IX,
                  cpu.IY, cpu.SP, cpu.PC, cpu.I, interruptMode(cpu),
                  (cpu.intState & IFF1) ? " EI" : " DI", (cpu.intState & HALTED) ? " HALTED" : "");
    return text;
}

Json registersSchema()
{
    // The schema of what registersJson gives, made from what it gives.
    const Json sample = registersJson(Z80State{});
    Json properties = Json::object();
    for (auto it = sample.cbegin(); it != sample.cend(); ++it)
        properties[it.key()] = it->is_boolean() ? outBoolean() : outInteger();
    return output(properties);
}

// The names set_register takes: every register of the table.
std::vector<std::string> settableRegisters()
{
    std::vector<std::string> names;
    for (const RegisterInfo& info : cpuRegisters())
        names.emplace_back(info.key);
    return names;
}

// --- memory ------------------------------------------------------------------------------

// Where read_memory and write_memory look: the bytes of an area, as a page and its size.
struct Area {
    enum class Kind { cpu, page, vram } kind = Kind::cpu;
    unsigned page = 0;
    unsigned size = 0x10000;
};

Json memorySchema(bool write)
{
    if (write)
        return object({{"area", choice({"cpu", "page", "vram"},
                                       "cpu: the 64 KiB the CPU sees now (a write changes the page behind each "
                                       "address, ROM included); page: one 64 KiB page of the store; vram: the "
                                       "16 KiB of video memory")},
                       {"page", integer(0, 15, "the page, with area \"page\"")},
                       {"address", address("first address (offset in the area)")},
                       {"hex", text("the bytes, two hex digits each, no separators", 2 * maxMemoryLength, 2)}},
                      {"area", "address", "hex"});
    return object({{"area", choice({"cpu", "page", "vram"},
                                   "cpu: the 64 KiB the CPU sees now; page: one 64 KiB page of the store; vram: "
                                   "the 16 KiB of video memory")},
                   {"page", integer(0, 15, "the page, with area \"page\"")},
                   {"address", address("first address (offset in the area)")},
                   {"length", integer(1, maxMemoryLength, "bytes to read, 1-65536")}},
                  {"area", "address", "length"});
}

// The area the arguments name, and whether address and length fit in it.
bool areaOf(const Json& arguments, size_t length, Area& area, std::string& error)
{
    const std::string kind = string(arguments, "area");
    area.kind = kind == "page" ? Area::Kind::page : kind == "vram" ? Area::Kind::vram : Area::Kind::cpu;
    if (area.kind == Area::Kind::page && !has(arguments, "page")) {
        error = "area \"page\" needs 'page' (0-15)";
        return false;
    }
    if (area.kind != Area::Kind::page && has(arguments, "page")) {
        error = "'page' goes with area \"page\" only";
        return false;
    }
    area.page = unsigned(number(arguments, "page", 0));
    area.size = area.kind == Area::Kind::vram ? vramSize : 0x10000;
    const uint64_t address = uint64_t(number(arguments, "address", 0));
    if (address >= area.size) {
        error = "'address' " + std::to_string(address) + " is past the end of the area (" + std::to_string(area.size) +
                " bytes)";
        return false;
    }
    if (address + length > area.size) {
        error = std::to_string(length) + " bytes from " + std::to_string(address) + " run past the end of the area (" +
                std::to_string(area.size) + " bytes)";
        return false;
    }
    return true;
}

// The tools' areas are the machine's memory areas as the memory view shows them.
MemoryArea memoryArea(const Area& area)
{
    MemoryArea out;
    out.kind = area.kind == Area::Kind::page ? MemoryArea::Kind::page
             : area.kind == Area::Kind::vram ? MemoryArea::Kind::video
                                             : MemoryArea::Kind::cpu;
    out.page = uint8_t(area.page);
    return out;
}

uint8_t readArea(const Mtx& m, const Area& area, uint32_t address)
{
    return memoryByte(m, memoryArea(area), address);
}

void writeArea(Mtx& m, const Area& area, uint32_t address, uint8_t value)
{
    writeMemoryByte(m, memoryArea(area), address, value);
}

// --- disassembly -------------------------------------------------------------------------

const Shape readShape{{"area", outString()}, {"address", outInteger()}, {"length", outInteger()}, {"hex", outString()}};
const Shape writtenShape{{"written", outInteger()}};
const Shape lineShape{{"address", outInteger()}, {"bytes", outString()}, {"text", outString()},
                      {"cycles", outInteger()}, {"label", outString()}};
const Shape linesShape{{"lines", outArray(lineShape.schema())}};

} // namespace

void addCpuTools(std::vector<Tool>& tools)
{
    tools.push_back({"get_registers",
                     "The CPU's registers: af bc de hl, the alternate set af_ bc_ de_ hl_, ix iy sp pc i (numbers), "
                     "iff1 iff2 halted (booleans) and the interrupt mode im.",
                     object({}), registersSchema(), [](const Json&, MachineAccess& machine) {
                         return onMachine(machine, [](Control& control) { return control.machine().cpu; },
                                          [](const Z80State& cpu) { return success(registersJson(cpu), registersText(cpu)); });
                     }});
    tools.push_back({"set_register",
                     "Sets one register: a f b c d e h l i (0-255), af bc de hl af_ bc_ de_ hl_ ix iy sp pc "
                     "(0-65535), im (0-2), iff1 iff2 (0 or 1). Going back in time then starts from here.",
                     object({{"name", choice(settableRegisters(), "the register")},
                             {"value", addressIn(0xFFFF, "its new value")}},
                            {"name", "value"}),
                     registersSchema(), [](const Json& arguments, MachineAccess& machine) {
                         const std::string name = string(arguments, "name");
                         const int64_t value = number(arguments, "value", 0);
                         if (const RegisterInfo* known = findCpuRegister(name); known && value > int64_t(known->maximum))
                             return failure("set_register: " + name + " takes 0-" + std::to_string(known->maximum) +
                                            ", not " + std::to_string(value));
                         return onMachine(machine, [&](Control& control) {
                                 control.edit([&](Mtx& m) { setCpuRegister(m.cpu, name, uint16_t(value)); });
                                 return control.machine().cpu;
                             }, [&](const Z80State& cpu) { return success(registersJson(cpu), name + " set: " + registersText(cpu)); });
                     }});
    tools.push_back({"read_memory",
                     "Reads length bytes (1-65536) from an area: \"cpu\" (as the CPU sees memory now), \"page\" "
                     "(one of the 16 pages, with page) or \"vram\"; gives them as hex, two digits per byte.",
                     memorySchema(false), readShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const size_t length = size_t(number(arguments, "length", 1));
                         Area area;
                         std::string error;
                         if (!areaOf(arguments, length, area, error))
                             return failure("read_memory: " + error);
                         const uint32_t first = uint32_t(number(arguments, "address", 0));
                         std::vector<uint8_t> bytes(length);
                         return onMachine(machine, [&](Control& control) {
                                 for (size_t i = 0; i < length; ++i)
                                     bytes[i] = readArea(control.machine(), area, uint32_t(first + i));
                             }, [&] {
                                 return success(readShape({{"area", string(arguments, "area")}, {"address", first},
                                                           {"length", length}, {"hex", hexText(bytes)}}),
                                                std::to_string(length) + " bytes at " + hex4(first) + " (all in \"hex\"):");
                             });
                     }});
    tools.push_back({"write_memory",
                     "Writes bytes (given as hex, two digits each) into an area: \"cpu\" (the page behind each "
                     "address, ROM included), \"page\" (with page) or \"vram\". Going back in time then starts "
                     "from here.",
                     memorySchema(true), writtenShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         size_t where = 0;
                         const std::optional<std::vector<uint8_t>> bytes = bytesFromHex(string(arguments, "hex"), &where);
                         if (!bytes)
                             return failure(where == string(arguments, "hex").size()
                                                ? "write_memory: 'hex' has an odd number of digits"
                                                : "write_memory: 'hex' has a character that is not a hex digit at " +
                                                      std::to_string(where));
                         Area area;
                         std::string error;
                         if (!areaOf(arguments, bytes->size(), area, error))
                             return failure("write_memory: " + error);
                         const uint32_t first = uint32_t(number(arguments, "address", 0));
                         return onMachine(machine, [&](Control& control) {
                                 control.edit([&](Mtx& m) {
                                     for (size_t i = 0; i < bytes->size(); ++i)
                                         writeArea(m, area, uint32_t(first + i), (*bytes)[i]);
                                 });
                             }, [&] {
                                 return success(writtenShape({{"written", bytes->size()}}),
                                                std::to_string(bytes->size()) + " bytes written at " + hex4(first));
                             });
                     }});
    tools.push_back({"disassemble",
                     "Disassembles count instructions (default 16, at most 1000) from address (default: pc), as "
                     "the CPU sees memory now, with symbols; each line gives address, bytes (hex), text, cycles "
                     "and label.",
                     object({{"address", address("where to start (default: pc)")},
                             {"count", integer(1, 1000, "instructions (default 16)")}}),
                     linesShape.schema(), [](const Json& arguments, MachineAccess& machine) {
                         const unsigned count = unsigned(number(arguments, "count", 16));
                         Json lines = Json::array();
                         std::string listing;
                         return onMachine(machine, [&](Control& control) {
                                 const Mtx& m = control.machine();
                                 uint16_t at = has(arguments, "address") ? uint16_t(number(arguments, "address", 0)) : m.cpu.PC;
                                 const auto read = [&m](uint16_t a) { return memRead(m.memory, a); };
                                 for (unsigned i = 0; i < count; ++i) {
                                     const Instruction instruction = disassemble(at, read, &control.symbols());
                                     const std::string bytes = hexText({instruction.bytes.data(), instruction.length});
                                     const std::string label(control.symbols().labelAt(at));
                                     lines.push_back(lineShape({{"address", at}, {"bytes", bytes},
                                                                {"text", std::string(instruction.text)},
                                                                {"cycles", instruction.cycles}, {"label", label}}));
                                     if (i < 40)
                                         listing += hex4(at) + "  " + bytes + std::string(10 - std::min<size_t>(bytes.size(), 8), ' ') +
                                                    (label.empty() ? "" : label + ": ") + instruction.text + "\n";
                                     at = instruction.nextAddress();
                                 }
                             }, [&] { return success(linesShape({{"lines", std::move(lines)}}), listing); });
                     }});
}

} // namespace ollendor
