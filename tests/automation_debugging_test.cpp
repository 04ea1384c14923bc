// A debugging session's faults, one compact check each: whole results in the text,
// addresses as text, conditions, goals that do not outlive their wait, shared machine,
// stdio input ending a wait, symbols, tool annotations, loading a program.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <unistd.h>

#include "automation/stdio_transport.h"
#include "debug/breakpoints.h"
#include "debug/symbol_file.h"
#include "tests/support/automation_harness.h"

using namespace ollendor;

namespace {

// The JSON on the last line of a result's text.
Json jsonInText(const Json& result)
{
    const std::string text = result["content"][0]["text"];
    const size_t line = text.rfind('\n');
    return line == std::string::npos ? Json() : Json::parse(text.substr(line + 1));
}

} // namespace

TEST(DebuggingSession, TheTextHoldsTheWholeResult)
{
    AutomationHarness m;
    m.data("step_into", {{"count", 50}});
    m.data("get_trace", Json::object());
    m.data("step_into", {{"count", 50}});
    const std::pair<const char*, Json> calls[] = {
        {"read_memory", {{"area", "cpu"}, {"address", 0}, {"length", 65536}}},
        {"get_trace", {{"count", 40}}},
        {"disassemble", {{"count", 200}}},
        {"get_video_state", Json::object()},
        {"get_registers", Json::object()},
    };
    for (const auto& [name, arguments] : calls) {
        const Json result = m.call(name, arguments);
        ASSERT_TRUE(result.contains("structuredContent")) << name;
        EXPECT_EQ(jsonInText(result), result["structuredContent"]) << name;
    }
}

TEST(DebuggingSession, EveryToolHasATitleAndHints)
{
    for (const Tool& tool : toolList()) {
        EXPECT_FALSE(tool.title.empty()) << tool.name;
        for (const char* hint : {"readOnlyHint", "destructiveHint", "idempotentHint"})
            EXPECT_TRUE(tool.annotations.contains(hint) && tool.annotations[hint].is_boolean()) << tool.name << " " << hint;
    }
}

TEST(DebuggingSession, AddressesAsNumbersOrText)
{
    AutomationHarness m;
    const uint16_t clock = m.symbol("showClock");
    for (const Json& written : {Json(0x8000), Json("0x8000"), Json("$8000"), Json("8000h"), Json("32768")})
        EXPECT_EQ(m.data("read_memory", {{"area", "cpu"}, {"address", written}, {"length", 1}})["address"], 0x8000)
            << written;
    EXPECT_EQ(m.data("disassemble", {{"address", "showClock+2"}, {"count", 1}})["lines"][0]["address"], clock + 2);
    EXPECT_EQ(m.data("lookup_symbol", {{"name", "showClock+2"}})["address"], clock + 2);
    EXPECT_EQ(m.data("set_breakpoint", {{"kind", "exec"}, {"address", "showClock"}})["address"], clock);
    EXPECT_NE(m.error("run_to", {{"address", "noSuchName"}}).find("no symbol 'noSuchName'"), std::string::npos);
    EXPECT_NE(m.error("run_to", {{"address", "0x10000"}}).find("from 0 to 65535"), std::string::npos);
    EXPECT_NE(m.error("set_breakpoint", {{"kind", "in"}, {"address", "$100"}}).find("0-255"), std::string::npos);
}

TEST(DebuggingSession, ConditionsJoinTermsOfRegistersFlagsMemoryAndSymbols)
{
    Symbols symbols;
    symbols.add("buffer", 0xC010);
    Mtx m{};
    m.memory.page[0][0xC010] = 0x5A;
    m.memory.page[0][0xC015] = 7;
    m.memory.page[0][0xC00F] = 9;
    Z80State cpu{};
    cpu.setHL(0xC010);
    cpu.IX = 0xC010;
    cpu.IY = 0xC010;
    cpu.B = 0;
    cpu.F = 0x41; // Z and carry
    const struct {
        const char* text;
        bool holds;
    } rows[] = {
        {"B == 0 && HL == 0xC010", true},  {"B == 1 && HL == 0xC010", false}, {"B == 1 || HL == buffer", true},
        {"A == 1 || B == 0 && C == 1", false}, {"A == 0 || B == 1 && C == 1", true},
        {"Z == 1", true},  {"ZF == 0", false}, {"CF == 1", true}, {"S == 1", false},
        {"(HL) == 0x5A", true}, {"(IX+5) == 7", true}, {"(IY-1) == 9", true}, {"(0xC010) == $5A", true},
        {"(buffer+5) == 7", true}, {"(buffer) != 0x5A", false},
    };
    for (const auto& row : rows) {
        const ConditionParse parsed = parseCondition(row.text, &symbols);
        ASSERT_TRUE(parsed.condition) << row.text << ": " << parsed.error;
        EXPECT_EQ(parsed.condition->holds(cpu, &m.memory), row.holds) << row.text;
        // What it shows reads back as the same condition.
        const ConditionParse again = parseCondition(parsed.condition->text(), &symbols);
        ASSERT_TRUE(again.condition) << parsed.condition->text();
        EXPECT_EQ(again.condition->holds(cpu, &m.memory), row.holds) << parsed.condition->text();
    }
    for (const char* bad : {"B == 0 &&", "Z == 2", "(HL == 1", "nosuch == 1", "A == nosuch"})
        EXPECT_FALSE(parseCondition(bad, &symbols).condition) << bad;
}

TEST(DebuggingSession, BreakpointsAreNotSetTwiceAndCanBeDisabledAndCleared)
{
    AutomationHarness m;
    const Json first = m.data("set_breakpoint", {{"kind", "write"}, {"address", 0xC000}, {"condition", "A == 1"}});
    EXPECT_NE(m.error("set_breakpoint", {{"kind", "write"}, {"address", "0xC000"}, {"condition", "a==1"}})
                  .find("the same as breakpoint " + std::to_string(first["id"].get<int>())),
              std::string::npos);
    const Json off = m.data("enable_breakpoint", {{"id", first["id"]}, {"enabled", false}});
    EXPECT_FALSE(off["enabled"].get<bool>());
    EXPECT_FALSE(m.control.debugger().breakpoints.armed());
    m.data("set_breakpoint", {{"kind", "exec"}, {"address", "showClock"}});
    EXPECT_EQ(m.data("clear_breakpoints")["removed"], 2);
    EXPECT_TRUE(m.data("list_breakpoints")["breakpoints"].empty());
}

TEST(DebuggingSession, WaitsLeaveNothingArmedAndStopsSayWhatHappened)
{
    AutomationHarness m;
    // A target never reached: the wait runs out and the target is dropped.
    DirectAccess brief(m.control, 3);
    const ToolResult waited = callTool(*findTool("run_to"), {{"address", 0xFFF0}, {"until_stop_ms", 60000}}, brief);
    EXPECT_NE(waited.content[0]["text"].get<std::string>().find("dropped"), std::string::npos);
    EXPECT_FALSE(m.control.debugger().hasGoal());
    // After a rewind the status no longer names the breakpoint it had stopped at.
    m.data("set_breakpoint", {{"kind", "exec"}, {"address", "showClock"}});
    EXPECT_EQ(m.data("resume", {{"until_stop_ms", 10000}})["stop_reason"], "breakpoint 1");
    m.data("clear_breakpoints");
    m.data("step_frames", {{"count", 3}});
    m.data("rewind", {{"frames", 1}});
    EXPECT_EQ(m.data("get_status")["stop_reason"], "rewind");
    // At the top level (a program with no call, its call stack kept from the reset) there is
    // nothing to step out of.
    m.data("reset");
    m.data("get_call_stack");
    m.data("load_binary", {{"hex", "F318FE"}, {"address", 0xC000}, {"start", 0xC000}}); // DI; JR $
    m.data("step_into", {{"count", 5}});
    EXPECT_NE(m.error("step_out", Json::object()).find("no routine"), std::string::npos);
}

TEST(DebuggingSession, AWaitTakenOverByAnotherRequestSaysSo)
{
    AutomationHarness m;
    // Client A waits for a run to an address never reached; client B, meanwhile, asks for
    // frames (the loop's pass here hands B's request in).
    struct Other final : MachineAccess {
        Control& control;
        unsigned passes = 0;
        explicit Other(Control& c) : control(c) {}
        bool run(const std::function<void(Control&)>& job, std::string&) override { job(control); return true; }
        bool idle() override
        {
            if (++passes == 2)
                control.stepFrames(2);
            control.runFrame();
            return passes < 50;
        }
        void requestQuit() override {}
    } a(m.control);
    const ToolResult result = callTool(*findTool("run_to"), {{"address", 0xFFF0}, {"until_stop_ms", 60000}}, a);
    EXPECT_NE(result.content[0]["text"].get<std::string>().find("another request"), std::string::npos)
        << result.content[0]["text"];
}

TEST(DebuggingSession, ClosedStdinEndsAPendingWaitAtOnce)
{
    AutomationHarness m;
    m.control.resume(); // nothing will stop it
    struct Loop final : MachineAccess {
        Control& control;
        std::mutex mutex;
        explicit Loop(Control& c) : control(c) {}
        bool run(const std::function<void(Control&)>& job, std::string&) override
        {
            std::lock_guard lock(mutex);
            job(control);
            return true;
        }
        bool idle() override
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return true;
        }
        void requestQuit() override {}
    } loop(m.control);
    int input[2], output[2];
    ASSERT_EQ(pipe(input), 0);
    ASSERT_EQ(pipe(output), 0);
    StdioTransport transport(loop, input[0], output[1]);
    transport.start();
    const std::string line =
        R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"resume","arguments":{"until_stop_ms":60000}}})"
        "\n";
    ASSERT_EQ(write(input[1], line.data(), line.size()), ssize_t(line.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    close(input[1]);
    while (!transport.finished() && std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(transport.finished());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    transport.stop();
    close(input[0]);
    close(output[0]);
    close(output[1]);
}

TEST(DebuggingSession, ConstantsAreNotCodeLabelsAndSymbolsCanBeListedAndRemoved)
{
    AutomationHarness m;
    const SymbolFileResult loaded =
        loadSymbolText(m.control.symbols(), "MYPORT: equ $0001\nclearbuf: equ $C000\n", "labels");
    ASSERT_TRUE(loaded.ok());
    EXPECT_NE(m.control.symbols().labelAt(0x0001), "MYPORT");
    EXPECT_EQ(m.control.symbols().labelAt(0xC000), "clearbuf");
    const Json listed = m.data("list_symbols", {{"filter", "MYPORT"}});
    ASSERT_EQ(listed["total"], 1);
    EXPECT_EQ(listed["symbols"][0]["kind"], "value");
    EXPECT_EQ(m.data("remove_symbols", {{"names", {"clearbuf", "nothing"}}})["removed"], 1);
    EXPECT_NE(m.error("lookup_symbol", {{"name", "clearbuf"}}).find("no symbol"), std::string::npos);
    m.data("remove_symbols", {{"all", true}});
    EXPECT_EQ(m.data("list_symbols")["total"], 0);
}

TEST(DebuggingSession, LoadedCodeRunsAndIsFound)
{
    AutomationHarness m;
    // LD A,$42; LD ($C100),A; HALT
    m.data("load_binary", {{"hex", "3E4232" "00C1" "76"}, {"address", "$C000"}, {"start", "$C000"}});
    m.data("step_into", {{"count", 2}});
    EXPECT_EQ(m.data("read_memory", {{"area", "cpu"}, {"address", 0xC100}, {"length", 1}})["hex"], "42");
    EXPECT_EQ(m.data("search_memory", {{"hex", "3E4232"}})["addresses"][0], 0xC000);
    const Json map = m.data("get_memory_map");
    EXPECT_EQ(map["areas"][3]["page"], 0);
    EXPECT_EQ(map["areas"][1]["page"], map["ram_page"]);
    EXPECT_EQ(m.data("reset")["pc"], 0);
}
