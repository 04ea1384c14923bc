// The debugger: breakpoints, the call stack, the trace, symbols.
#include "automation/encoding.h"
#include "automation/tool_support.h"
#include "debug/address_text.h"
#include "debug/disassembler.h"
#include "debug/numbers.h"
#include "debug/symbol_file.h"
#include "debug/symbol_list.h"

namespace ollendor {

namespace {

using namespace tool;

constexpr int64_t maxTraceCount = 10000;

const Shape breakpointShape{{"id", outInteger()},      {"kind", outString()},  {"address", outInteger()},
                            {"end", outInteger()},     {"enabled", outBoolean()}, {"hits", outInteger()},
                            {"condition", outString()}, {"text", outString()}};
const Shape removedShape{{"removed", outInteger()}};
const Shape breakpointsShape{{"breakpoints", outArray(breakpointShape.schema())}};
const Shape frameShape{{"kind", outString()}, {"from", outInteger()}, {"target", outInteger()},
                       {"return_to", outInteger()}, {"sp", outInteger()}, {"label", outString()}};
const Shape callStackShape{{"kept", outBoolean()}, {"from_start", outBoolean()}, {"from_frame", outInteger()},
                           {"frames", outArray(frameShape.schema())}};
const Shape traceEntryShape{{"cycle", outInteger()}, {"pc", outInteger()}, {"bytes", outString()}, {"text", outString()},
                            {"af", outInteger()},    {"bc", outInteger()}, {"de", outInteger()},    {"hl", outInteger()},
                            {"ix", outInteger()},    {"iy", outInteger()}, {"sp", outInteger()}};
const Shape traceShape{{"tracing", outBoolean()}, {"from_frame", outInteger()},
                       {"entries", outArray(traceEntryShape.schema())}};
const Shape symbolsLoadedShape{{"added", outInteger()}, {"symbol_lines", outInteger()},
                               {"problem_count", outInteger()}, {"problems", outArray(outString())}};
const Shape symbolShape{{"name", outString()}, {"address", outInteger()}, {"kind", outString()}};
const Shape symbolListShape{{"total", outInteger()}, {"symbols", outArray(symbolShape.schema())}};
const Shape symbolsRemovedShape{{"removed", outInteger()}, {"unknown", outArray(outString())}};
const Shape lookupShape{{"address", outInteger()}, {"names", outArray(outString())}, {"nearest", outString()}};

Json breakpointJson(const Breakpoint& breakpoint)
{
    return breakpointShape({{"id", breakpoint.id},
                            {"kind", breakKindName(breakpoint.kind)},
                            {"address", breakpoint.first},
                            {"end", breakpoint.last},
                            {"enabled", breakpoint.enabled},
                            {"hits", breakpoint.hits},
                            {"condition", breakpoint.condition ? breakpoint.condition->text() : std::string()},
                            {"text", breakpoint.describe()}});
}

const char* frameKind(CallFrame::Kind kind)
{
    switch (kind) {
    case CallFrame::Kind::call: return "call";
    case CallFrame::Kind::rst: return "rst";
    case CallFrame::Kind::interrupt: return "interrupt";
    }
    return "call";
}

ToolResult setBreakpoint(const Json& arguments, MachineAccess& machine)
{
    const std::optional<BreakKind> kind = parseBreakKind(string(arguments, "kind"));
    const uint16_t first = uint16_t(number(arguments, "address", 0));
    const bool range = kind == BreakKind::read || kind == BreakKind::write;
    if (has(arguments, "end") && !range)
        return failure("set_breakpoint: 'end' goes with read and write breakpoints only");
    const uint16_t last = uint16_t(number(arguments, "end", first));
    const std::string conditionText = string(arguments, "condition");
    std::string conditionError;
    Breakpoints::Added added;
    Json json;
    return onMachine(machine, [&](Control& control) {
            // Read here: the condition may name symbols.
            std::optional<Condition> condition;
            if (!trimmed(conditionText).empty()) {
                const ConditionParse parsed = parseCondition(conditionText, &control.symbols());
                if (!parsed.condition) {
                    conditionError = parsed.error;
                    return;
                }
                condition = parsed.condition;
            }
            added = control.debugger().breakpoints.add(*kind, first, last, condition);
            if (const Breakpoint* made = control.debugger().breakpoints.find(added.id))
                json = breakpointJson(*made);
        }, [&] {
            if (!conditionError.empty())
                return failure("set_breakpoint: the condition cannot be read: " + conditionError);
            if (added.id == 0)
                return failure("set_breakpoint: " + added.error);
            return success(json, "breakpoint " + std::to_string(added.id) + ": " + json["text"].get<std::string>());
        });
}

ToolResult lookupSymbol(const Json& arguments, MachineAccess& machine)
{
    const bool byName = has(arguments, "name");
    if (byName == has(arguments, "address"))
        return failure("lookup_symbol: give either 'name' or 'address'");
    const std::string name = string(arguments, "name");
    const uint16_t address = uint16_t(number(arguments, "address", 0));
    std::optional<uint16_t> found;
    Json names = Json::array();
    std::string nearest;
    return onMachine(machine, [&](Control& control) {
            const Symbols& symbols = control.symbols();
            if (byName) {
                // A name, or a name with an offset ("clearbuf+2"), or a number.
                const AddressText read = readAddressText(name, &symbols);
                if (read.value && *read.value <= 0xFFFF)
                    found = uint16_t(*read.value);
            } else {
                found = address;
            }
            if (!found)
                return;
            for (const std::string_view each : symbols.namesAt(*found))
                names.push_back(std::string(each));
            nearest = symbols.nearest(*found);
        }, [&] {
            if (!found)
                return failure("lookup_symbol: no symbol '" + clipped(name) + "'");
            std::string text = hex4(*found);
            if (!names.empty())
                text += " " + names[0].get<std::string>();
            else if (!nearest.empty())
                text += " (" + nearest + ")";
            else
                text += " has no symbol";
            return success(lookupShape({{"address", *found}, {"names", names}, {"nearest", nearest}}), text);
        });
}

} // namespace

void addDebugTools(std::vector<Tool>& tools)
{
    tools.push_back({"set_breakpoint",
                     "Sets a breakpoint. kind exec (address; stops before the instruction there runs), read or "
                     "write (address, optional end of the range), in or out (port 0-255 as address), vdp_register "
                     "(register 0-7 as address), interrupt (counter/timer channel 0-3 as address). Read, write, "
                     "port and register breakpoints stop the machine right after the instruction that made the "
                     "access (pc is then past it), and count a hit per byte accessed (a 16-bit write to a watched "
                     "range counts 2). Optional condition, checked at the access: comparisons (== != < > <= >=) "
                     "of registers, flags (Z S N PV, and CF HF for carry and half carry), memory bytes as in Z80 "
                     "assembly ((HL), (IX+5), (0x8000), (buffer+2)) with numbers or symbols, joined by && and || "
                     "(&& binds tighter): \"B == 0 && HL == 0x8074\", \"Z == 1 || (HL) == 0\". A breakpoint "
                     "the same as one already set is refused. Gives its id.",
                     object({{"kind", choice({"exec", "read", "write", "in", "out", "vdp_register", "interrupt"},
                                             "what stops the machine")},
                             {"address", address("address, or port, register or channel number")},
                             {"end", address("last address of a read or write range (default: address)")},
                             {"condition", text("what must hold, e.g. \"A == 0x10 && (HL) != 0\"", 400)}},
                            {"kind", "address"}),
                     breakpointShape.schema(), setBreakpoint});
    tools.push_back({"remove_breakpoint", "Removes the breakpoint with that id.",
                     object({{"id", integer(1, 0x7FFFFFFF, "the breakpoint's id")}}, {"id"}), removedShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const int id = int(number(arguments, "id", 0));
                         return onMachine(machine, [id](Control& control) { return control.debugger().breakpoints.remove(id); },
                                          [id](bool removed) {
                                              if (!removed)
                                                  return failure("remove_breakpoint: there is no breakpoint " + std::to_string(id));
                                              return success(removedShape({{"removed", id}}),
                                                             "breakpoint " + std::to_string(id) + " removed");
                                          });
                     }});
    tools.push_back({"enable_breakpoint",
                     "Enables or disables the breakpoint with that id (a disabled one stays listed, keeps its "
                     "hits and stops nothing).",
                     object({{"id", integer(1, 0x7FFFFFFF, "the breakpoint's id")},
                             {"enabled", flag("true to enable, false to disable")}},
                            {"id", "enabled"}),
                     breakpointShape.schema(), [](const Json& arguments, MachineAccess& machine) {
                         const int id = int(number(arguments, "id", 0));
                         const bool enabled = arguments["enabled"].get<bool>();
                         return onMachine(machine, [&](Control& control) {
                                 Breakpoints& breakpoints = control.debugger().breakpoints;
                                 return breakpoints.setEnabled(id, enabled) ? breakpointJson(*breakpoints.find(id)) : Json();
                             }, [&](Json json) {
                                 if (json.is_null())
                                     return failure("enable_breakpoint: there is no breakpoint " + std::to_string(id));
                                 return success(std::move(json), "breakpoint " + std::to_string(id) + (enabled ? " enabled" : " disabled"));
                             });
                     }});
    tools.push_back({"clear_breakpoints", "Removes every breakpoint.", object({}), removedShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         return onMachine(machine, [](Control& control) { return control.debugger().breakpoints.clear(); },
                                          [](size_t removed) {
                                              return success(removedShape({{"removed", removed}}),
                                                             std::to_string(removed) + " breakpoints removed");
                                          });
                     }});
    tools.push_back({"list_breakpoints", "Every breakpoint: id, kind, address, end, enabled, hits, condition and a text.",
                     object({}), breakpointsShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         Json list = Json::array();
                         std::string text;
                         return onMachine(machine, [&](Control& control) {
                                 for (const Breakpoint& breakpoint : control.debugger().breakpoints.all()) {
                                     list.push_back(breakpointJson(breakpoint));
                                     text += std::to_string(breakpoint.id) + ": " + breakpoint.describe() + " (" +
                                             std::to_string(breakpoint.hits) + " hits)\n";
                                 }
                             }, [&] {
                                 return success(breakpointsShape({{"breakpoints", std::move(list)}}),
                                                text.empty() ? "no breakpoints" : text);
                             });
                     }});
    tools.push_back({"get_call_stack",
                     "The routines the CPU is in, outermost first (kind call, rst or interrupt; from, target, "
                     "return_to, sp, label), as the machine entered them over the span the rewind history holds "
                     "(rebuilt from it when first asked, and after going back). from_start: followed since the "
                     "machine started, so empty means the top level; otherwise routines entered before "
                     "from_frame are missing. keep (default true) goes on following it as the machine runs, so "
                     "the next answer comes at once; false leaves the run plain.",
                     object({{"keep", flag("keep the call stack from now on (default true)")}}),
                     callStackShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const bool keep = !has(arguments, "keep") || arguments["keep"].get<bool>();
                         bool keptNow = false;
                         bool fromStart = false;
                         uint64_t fromFrame = 0;
                         Control::Result fresh;
                         Json frames = Json::array();
                         std::string text;
                         return onMachine(machine, [&](Control& control) {
                                 Debugger& debugger = control.debugger();
                                 debugger.keepCallStack(Debugger::Keeper::client, keep);
                                 keptNow = debugger.watching; // the debugger's views may keep it too
                                 fresh = control.freshHistory();
                                 fromStart = debugger.callStackFromStart();
                                 fromFrame = control.historyFromFrame();
                                 for (const CallFrame& frame : debugger.callStack()) {
                                     const std::string label(control.symbols().nearest(frame.target));
                                     frames.push_back(frameShape({{"kind", frameKind(frame.kind)}, {"from", frame.from},
                                                                  {"target", frame.target}, {"return_to", frame.returnTo},
                                                                  {"sp", frame.sp}, {"label", label}}));
                                     text += std::string(frameKind(frame.kind)) + " " + hex4(frame.target) +
                                             (label.empty() ? "" : " " + label) + " from " + hex4(frame.from) + "\n";
                                 }
                             }, [&]() -> ToolResult {
                                 if (!fresh.ok)
                                     return failure("get_call_stack: " + fresh.error);
                                 if (text.empty())
                                     text = fromStart ? "the call stack is empty: the top level\n" : "the call stack is empty\n";
                                 if (!fromStart)
                                     text += "routines entered before frame " + std::to_string(fromFrame) + " are not known\n";
                                 return success(callStackShape({{"kept", keptNow}, {"from_start", fromStart},
                                                                {"from_frame", fromFrame}, {"frames", std::move(frames)}}),
                                                text);
                             });
                     }});
    tools.push_back({"get_trace",
                     "The last count instructions executed (default 20, at most 10000), oldest first, each with "
                     "the registers it started from: what the machine did up to where it stands, over the span "
                     "the rewind history holds (rebuilt from it when first asked, and after going back; "
                     "from_frame: the frame the trace is known from). keep (default true) goes on tracing as the "
                     "machine runs, so the next answer comes at once; false leaves the run plain.",
                     object({{"count", integer(1, maxTraceCount, "entries, newest ones (default 20)")},
                             {"keep", flag("keep tracing from now on (default true)")}}),
                     traceShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const size_t count = size_t(number(arguments, "count", 20));
                         const bool keep = !has(arguments, "keep") || arguments["keep"].get<bool>();
                         bool tracingNow = false;
                         bool full = false;
                         uint64_t fromFrame = 0;
                         Control::Result fresh;
                         Json entries = Json::array();
                         std::string text;
                         return onMachine(machine, [&](Control& control) {
                                 Debugger& debugger = control.debugger();
                                 debugger.keepTrace(Debugger::Keeper::client, keep);
                                 tracingNow = debugger.tracing; // the debugger's views may keep it too
                                 fresh = control.freshHistory();
                                 fromFrame = control.historyFromFrame();
                                 full = debugger.trace().full();
                                 const TraceRing& trace = debugger.trace();
                                 const size_t first = trace.size() > count ? trace.size() - count : 0;
                                 for (size_t i = first; i < trace.size(); ++i) {
                                     const TraceEntry& entry = trace.at(i);
                                     const Instruction instruction = decodeInstruction(entry.pc, entry.bytes, &control.symbols());
                                     entries.push_back(traceEntryShape({{"cycle", entry.cycle}, {"pc", entry.pc},
                                                                        {"bytes", hexText({entry.bytes.data(), instruction.length})},
                                                                        {"text", std::string(instruction.text)}, {"af", entry.af},
                                                                        {"bc", entry.bc}, {"de", entry.de}, {"hl", entry.hl},
                                                                        {"ix", entry.ix}, {"iy", entry.iy}, {"sp", entry.sp}}));
                                     if (trace.size() - i <= 20)
                                         text += hex4(entry.pc) + "  " + instruction.text + "\n";
                                 }
                             }, [&]() -> ToolResult {
                                 if (!fresh.ok)
                                     return failure("get_trace: " + fresh.error);
                                 if (text.empty())
                                     text = "the trace is empty\n";
                                 if (!full)
                                     text += "history from frame " + std::to_string(fromFrame) + "\n";
                                 return success(traceShape({{"tracing", tracingNow}, {"from_frame", fromFrame},
                                                            {"entries", std::move(entries)}}),
                                                text);
                             });
                     }});
    tools.push_back({"load_symbols",
                     "Loads a label file (as z80asm --label or pasmo write it) into the symbol table: names then "
                     "show in disassembly and can be looked up.",
                     object({{"path", text("the label file", 4096, 1)}}, {"path"}),
                     symbolsLoadedShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         std::filesystem::path path;
                         std::string error;
                         if (!pathArgument(arguments, "path", path, error))
                             return failure("load_symbols: " + error);
                         // The file is read and parsed here, while the machine goes on; only
                         // adding the names takes the machine's turn.
                         const ParsedSymbols parsed = parseSymbolFile(path);
                         if (!parsed.error.empty())
                             return failure("load_symbols: " + parsed.error);
                         return onMachine(machine, [&](Control& control) { return addParsedSymbols(control.symbols(), parsed); },
                                          [](const SymbolFileResult& loaded) {
                             if (!loaded.ok())
                                 return failure("load_symbols: " + loaded.error);
                             Json problems = Json::array();
                             for (size_t i = 0; i < loaded.problems.size() && i < 20; ++i)
                                 problems.push_back(loaded.problems[i].message());
                             return success(symbolsLoadedShape({{"added", loaded.added}, {"symbol_lines", loaded.symbolLines},
                                                                {"problem_count", loaded.problemCount},
                                                                {"problems", std::move(problems)}}),
                                            std::to_string(loaded.added) + " symbols added" +
                                                (loaded.problemCount ? ", " + std::to_string(loaded.problemCount) + " bad lines skipped" : ""));
                         });
                     }});
    tools.push_back({"list_symbols",
                     "The symbols in address order: name, address and kind (label: a place in the program; value: "
                     "a constant, as names below $0100 in a label file load). Optional filter (part of the name, "
                     "any case), offset and limit (default 1000) for long tables; total counts every match.",
                     object({{"filter", text("part of the name, any case", 256)},
                             {"offset", integer(0, 0x7FFFFFFF, "matches to skip (default 0)")},
                             {"limit", integer(1, 10000, "matches to give (default 1000)")}}),
                     symbolListShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const std::string filter = string(arguments, "filter");
                         const size_t offset = size_t(number(arguments, "offset", 0));
                         const size_t limit = size_t(number(arguments, "limit", 1000));
                         size_t total = 0;
                         Json list = Json::array();
                         return onMachine(machine, [&](Control& control) {
                                 const Symbols& symbols = control.symbols();
                                 // The same matches as the Symbols view's filter.
                                 const std::vector<SymbolEntry> matches = filteredSymbols(symbols, filter);
                                 total = matches.size();
                                 for (size_t i = offset; i < matches.size() && list.size() < limit; ++i) {
                                     const bool label = symbols.kindOf(matches[i].name) == SymbolKind::label;
                                     list.push_back(symbolShape({{"name", matches[i].name}, {"address", matches[i].address},
                                                                 {"kind", label ? "label" : "value"}}));
                                 }
                             }, [&] {
                                 const std::string given =
                                     list.size() < total ? ", " + std::to_string(list.size()) + " given" : "";
                                 return success(symbolListShape({{"total", total}, {"symbols", std::move(list)}}),
                                                std::to_string(total) + " symbols match" + given);
                             });
                     }});
    tools.push_back({"remove_symbols",
                     "Removes symbols: those named in names (exactly as spelt), or every one with all: true (the "
                     "built-in ROM's names too; load_symbols adds names again).",
                     object({{"names", list(text("a symbol", 256, 1), 1, 10000, "the names to remove")},
                             {"all", flag("remove every symbol")}}),
                     symbolsRemovedShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const bool all = has(arguments, "all") && arguments["all"].get<bool>();
                         if (all == has(arguments, "names"))
                             return failure("remove_symbols: give either 'names' or 'all': true");
                         size_t removed = 0;
                         Json unknown = Json::array();
                         return onMachine(machine, [&](Control& control) {
                                 Symbols& symbols = control.symbols();
                                 if (all) {
                                     removed = symbols.size();
                                     symbols.clear();
                                     return;
                                 }
                                 for (const Json& name : arguments["names"]) {
                                     if (symbols.remove(name.get<std::string>()))
                                         ++removed;
                                     else
                                         unknown.push_back(name);
                                 }
                             }, [&] {
                                 return success(symbolsRemovedShape({{"removed", removed}, {"unknown", unknown}}),
                                                std::to_string(removed) + " symbols removed" +
                                                    (unknown.empty() ? "" : ", " + std::to_string(unknown.size()) + " not found"));
                             });
                     }});
    tools.push_back({"lookup_symbol",
                     "With name: the address of a symbol (or of \"name+N\"). With address: its names, and the nearest label below it "
                     "(\"name+$1A\").",
                     object({{"name", text("a symbol", 256, 1)}, {"address", address()}}),
                     lookupShape.schema(), lookupSymbol});
}

} // namespace ollendor
