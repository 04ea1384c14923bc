// The automation server's tools on the built-in ROM: what each one does to the machine and
// gives back, and the arguments each refuses (with nothing changed).
#include <algorithm>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "state/recording.h"
#include "state/state_file.h"
#include "tests/support/automation_harness.h"
#include "video/display.h"
#include "video/picture.h"

using namespace ollendor;
namespace fs = std::filesystem;

namespace {

class ToolsTest : public testing::Test {
protected:
    ToolsTest() : folder(fs::temp_directory_path() / ("ollendor-tools-" + std::to_string(getpid())))
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~ToolsTest() override { fs::remove_all(folder); }

    // Runs to the ROM's clock routine (called once per frame from the keyboard poll).
    uint16_t stopInShowClock()
    {
        const uint16_t clock = m.symbol("showClock");
        const int id = m.data("set_breakpoint", {{"kind", "exec"}, {"address", clock}})["id"];
        const Json status = m.data("resume", {{"until_stop_ms", 10000}});
        EXPECT_EQ(status["state"], "paused");
        EXPECT_EQ(status["stop_reason"], "breakpoint " + std::to_string(id));
        EXPECT_EQ(status["pc"], clock);
        m.data("remove_breakpoint", {{"id", id}});
        return clock;
    }

    AutomationHarness m;
    fs::path folder;
};

} // namespace

TEST_F(ToolsTest, RefusedArgumentsSayWhatIsWrong)
{
    struct Case {
        const char* tool;
        Json arguments;
        const char* says;
    };
    const Case cases[] = {
        {"read_memory", Json::object(), "missing argument 'area'"},
        {"read_memory", {{"area", "cpu"}, {"address", 0x10000}, {"length", 1}}, "'address' must be from 0 to 65535"},
        {"read_memory", {{"area", "cpu"}, {"address", 0}, {"length", 0}}, "'length' must be from 1 to 65536"},
        {"read_memory", {{"area", "cpu"}, {"address", 0}, {"length", 65537}}, "'length' must be from 1 to 65536"},
        {"read_memory", {{"area", "rom"}, {"address", 0}, {"length", 1}}, "'area' must be one of cpu, page, vram"},
        {"read_memory", {{"area", "page"}, {"address", 0}, {"length", 1}}, "needs 'page'"},
        {"read_memory", {{"area", "cpu"}, {"page", 1}, {"address", 0}, {"length", 1}}, "'page' goes with area \"page\" only"},
        {"read_memory", {{"area", "page"}, {"page", 16}, {"address", 0}, {"length", 1}}, "'page' must be from 0 to 15"},
        {"read_memory", {{"area", "vram"}, {"address", 0x4000}, {"length", 1}}, "past the end of the area (16384 bytes)"},
        {"read_memory", {{"area", "cpu"}, {"address", 0xFFFF}, {"length", 2}}, "2 bytes from 65535 run past the end"},
        {"write_memory", {{"area", "cpu"}, {"address", 0xC000}, {"hex", "ABC"}}, "odd number of digits"},
        {"write_memory", {{"area", "cpu"}, {"address", 0xC000}, {"hex", "0G"}}, "not a hex digit at 1"},
        {"write_memory", {{"area", "cpu"}, {"address", 0xC000}, {"hex", ""}}, "'hex' must not be empty"},
        {"set_register", {{"name", "q"}, {"value", 1}}, "'name' must be one of"},
        {"set_register", {{"name", "a"}, {"value", 256}}, "a takes 0-255, not 256"},
        {"set_register", {{"name", "im"}, {"value", 3}}, "im takes 0-2"},
        {"set_register", {{"name", "sp"}, {"value", -1}}, "'value' must be from 0 to 65535"},
        {"set_register", {{"name", "pc"}}, "missing argument 'value'"},
        {"set_breakpoint", {{"kind", "exec"}, {"address", 1}, {"end", 5}}, "'end' goes with read and write"},
        {"set_breakpoint", {{"kind", "in"}, {"address", 300}}, "port"},
        {"set_breakpoint", {{"kind", "vdp_register"}, {"address", 8}}, "register"},
        {"set_breakpoint", {{"kind", "interrupt"}, {"address", 4}}, "channel"},
        {"set_breakpoint", {{"kind", "write"}, {"address", 10}, {"end", 5}}, "range"},
        {"set_breakpoint", {{"kind", "exec"}, {"address", 1}, {"condition", "Q == 1"}}, "the condition cannot be read"},
        {"set_breakpoint", {{"kind", "jump"}, {"address", 1}}, "'kind' must be one of"},
        {"remove_breakpoint", {{"id", 99}}, "there is no breakpoint 99"},
        {"step_into", {{"count", 0}}, "'count' must be from 1"},
        {"step_into", {{"count", 1.5}}, "must be a whole number"},
        {"step_into", {{"count", 1}, {"extra", true}}, "unknown argument 'extra'"},
        {"step_frames", Json::object(), "missing argument 'count'"},
        {"resume", {{"until_stop_ms", 60001}}, "'until_stop_ms' must be from 0 to 60000"},
        {"get_status", Json::array({1}), "the arguments must be an object"},
        {"lookup_symbol", Json::object(), "give either 'name' or 'address'"},
        {"lookup_symbol", {{"name", "x"}, {"address", 1}}, "give either 'name' or 'address'"},
        {"lookup_symbol", {{"name", "noSuchLabel"}}, "no symbol 'noSuchLabel'"},
        {"save_state", Json::object(), "give either 'path' or 'slot'"},
        {"save_state", {{"slot", 5}}, "'slot' must be from 1 to 4"},
        {"save_state", {{"path", std::string("a\0b", 3)}}, "NUL"},
        {"load_state", {{"path", "x"}, {"slot", 1}}, "give either 'path' or 'slot'"},
        {"type_text", {{"text", "~"}}, "the character '~' at 0 has no key"},
        {"type_text", {{"text", std::string(5000, 'a')}}, "too long"},
        {"press_keys", {{"keys", Json::array({"Nope"})}}, "unknown key 'Nope'"},
        {"press_keys", {{"keys", Json::array()}}, "at least 1"},
        {"press_keys", {{"keys", Json::array({1})}}, "item 0 of 'keys' must be a string"},
        {"press_keys", {{"keys", Json::array({"A"})}, {"frames", 0}}, "'frames' must be from 1"},
        {"mount_tape", {{"path", "/nonexistent/tape.mtx"}}, "mount_tape: /nonexistent/tape.mtx"},
        {"load_symbols", {{"path", "/nonexistent/labels"}}, "load_symbols:"},
        {"reverse_continue", Json::object(), "no breakpoint is set"},
        {"rewind", {{"frames", 100000}}, "the rewind buffer holds"},
        {"disassemble", {{"count", 1001}}, "'count' must be from 1 to 1000"},
        {"get_trace", {{"count", 10001}}, "'count' must be from 1 to 10000"},
    };
    for (const Case& c : cases) {
        const std::string text = m.error(c.tool, c.arguments);
        EXPECT_NE(text.find(c.says), std::string::npos) << c.tool << " " << c.arguments.dump() << " said: " << text;
        EXPECT_EQ(text.rfind(c.tool, 0), 0u) << "names the tool: " << text;
    }
    EXPECT_NE(m.error("mount_tape", {{"path", folder.string()}}).find("is not a file"), std::string::npos);
}

TEST_F(ToolsTest, RefusedWritesChangeNothing)
{
    const std::string before = m.data("read_memory", {{"area", "cpu"}, {"address", 0xFFFE}, {"length", 2}})["hex"];
    m.error("write_memory", {{"area", "cpu"}, {"address", 0xFFFF}, {"hex", "A1B2"}});
    m.error("write_memory", {{"area", "cpu"}, {"address", 0xFFFE}, {"hex", "A1B"}});
    EXPECT_EQ(m.data("read_memory", {{"area", "cpu"}, {"address", 0xFFFE}, {"length", 2}})["hex"], before);
    const Json registers = m.data("get_registers");
    m.error("set_register", {{"name", "a"}, {"value", 300}});
    EXPECT_EQ(m.data("get_registers"), registers);
}

TEST_F(ToolsTest, BreakpointStopsStepsAndGoesBackExactly)
{
    const uint16_t clock = stopInShowClock();
    const Json before = m.data("get_registers");
    EXPECT_EQ(before["pc"], clock);

    Json status = m.data("step_into");
    EXPECT_EQ(status["pc"], clock + 3) << "LD HL,(nn)";
    EXPECT_EQ(status["stop_reason"], "step");
    EXPECT_NE(m.data("get_registers"), before);
    status = m.data("reverse_step");
    EXPECT_EQ(status["pc"], clock);
    EXPECT_EQ(m.data("get_registers"), before) << "back one instruction, exactly";

    // Out of the routine, to the address its caller pushed; then run to the poll's HALT.
    const uint16_t sp = m.data("get_registers")["sp"];
    const std::string pushed = m.data("read_memory", {{"area", "cpu"}, {"address", sp}, {"length", 2}})["hex"];
    status = m.data("step_out");
    EXPECT_EQ(status["state"], "paused");
    EXPECT_EQ(status["pc"], std::stoi(pushed.substr(2, 2) + pushed.substr(0, 2), nullptr, 16));
    const uint16_t poll = m.symbol("poll");
    status = m.data("run_to", {{"address", poll}});
    EXPECT_EQ(status["pc"], poll);
    EXPECT_EQ(status["stop_reason"], "run to");
    // Past the HALT (and the interrupt that ends it), then over PUSH BC and the CALL.
    status = m.data("run_to", {{"address", poll + 1}});
    EXPECT_EQ(status["pc"], poll + 1);
    status = m.data("step_over", {{"count", 2}});
    EXPECT_EQ(status["pc"], poll + 5) << "PUSH BC, then CALL showClock run whole";

    // Back to the last breakpoint hit.
    const int id = m.data("set_breakpoint", {{"kind", "exec"}, {"address", clock}})["id"];
    status = m.data("reverse_continue");
    EXPECT_EQ(status["pc"], clock);
    EXPECT_EQ(status["stop_reason"], "breakpoint " + std::to_string(id));
    const Json list = m.data("list_breakpoints")["breakpoints"];
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["kind"], "exec");
    EXPECT_EQ(list[0]["address"], clock);

    // Frames, and rewinding them.
    const uint64_t frame = m.data("get_status")["frame"];
    m.data("remove_breakpoint", {{"id", id}});
    status = m.data("step_frames", {{"count", 3}});
    EXPECT_EQ(status["frame"], frame + 3);
    status = m.data("rewind", {{"frames", 2}});
    EXPECT_EQ(status["frame"], frame + 1);
}

TEST_F(ToolsTest, ResumeWaitsOnlyAsLongAsAsked)
{
    Json status = m.data("resume");
    EXPECT_EQ(status["state"], "running") << "no wait asked for";
    status = m.data("pause");
    EXPECT_EQ(status["state"], "paused");
    EXPECT_EQ(status["stop_reason"], "user");
    // Nothing stops it: the wait ends with the machine running (at most the passes the
    // machine is given, or the time).
    DirectAccess brief(m.control, 5);
    const uint64_t frame = m.session.frames();
    const ToolResult waited = callTool(*findTool("resume"), {{"until_stop_ms", 60000}}, brief);
    EXPECT_EQ(waited.structured.value()["state"], "running");
    EXPECT_LE(m.session.frames(), frame + 6);
    const std::string text = waited.content[0]["text"].get<std::string>();
    EXPECT_EQ(text.find("within 60000 ms"), std::string::npos) << "it did not wait that long: " << text;
    EXPECT_NE(text.find("given up"), std::string::npos) << text;
    // Given passes enough, the time runs out first.
    DirectAccess patient(m.control, 100000000);
    const ToolResult timed = callTool(*findTool("resume"), {{"until_stop_ms", 50}}, patient);
    EXPECT_NE(timed.content[0]["text"].get<std::string>().find("no stop within 50 ms"), std::string::npos);
}

TEST_F(ToolsTest, RegistersAreSetAndReadBack)
{
    m.data("pause");
    struct Set {
        const char* name;
        unsigned value;
        const char* field;
        unsigned expected;
    };
    const Set sets[] = {
        {"af", 0x1234, "af", 0x1234}, {"a", 0x56, "af", 0x5634}, {"f", 0x78, "af", 0x5678},
        {"bc", 0x9ABC, "bc", 0x9ABC}, {"b", 0x01, "bc", 0x01BC}, {"c", 0x02, "bc", 0x0102},
        {"de", 0xDEF0, "de", 0xDEF0}, {"d", 0x11, "de", 0x11F0}, {"e", 0x22, "de", 0x1122},
        {"hl", 0x3344, "hl", 0x3344}, {"h", 0x55, "hl", 0x5544}, {"l", 0x66, "hl", 0x5566},
        {"af_", 0xA1A2, "af_", 0xA1A2}, {"bc_", 0xB1B2, "bc_", 0xB1B2}, {"de_", 0xD1D2, "de_", 0xD1D2},
        {"hl_", 0xE1E2, "hl_", 0xE1E2}, {"ix", 0x1111, "ix", 0x1111}, {"iy", 0x2222, "iy", 0x2222},
        {"sp", 0xE000, "sp", 0xE000}, {"i", 0xFE, "i", 0xFE}, {"im", 2, "im", 2}, {"im", 1, "im", 1},
        {"pc", 0x0291, "pc", 0x0291},
    };
    for (const Set& set : sets) {
        const Json registers = m.data("set_register", {{"name", set.name}, {"value", set.value}});
        EXPECT_EQ(registers[set.field], set.expected) << set.name;
        EXPECT_EQ(m.data("get_registers")[set.field], set.expected) << set.name;
    }
    m.data("set_register", {{"name", "iff1"}, {"value", 1}});
    m.data("set_register", {{"name", "iff2"}, {"value", 0}});
    const Json registers = m.data("get_registers");
    EXPECT_EQ(registers["iff1"], true);
    EXPECT_EQ(registers["iff2"], false);
    EXPECT_EQ(m.session.machine().cpu.PC, 0x0291);
    // Stepping from the new PC runs the instruction there (a HALT: it halts).
    m.data("step_into");
    EXPECT_EQ(m.data("get_registers")["halted"], true);
}

TEST_F(ToolsTest, MemoryAreasReadAndWrite)
{
    m.data("pause");
    Mtx& machine = m.session.machine();
    EXPECT_EQ(m.data("write_memory", {{"area", "cpu"}, {"address", 0xC000}, {"hex", "deadBEEF"}})["written"], 4);
    EXPECT_EQ(m.data("read_memory", {{"area", "cpu"}, {"address", 0xC000}, {"length", 4}})["hex"], "DEADBEEF");
    EXPECT_EQ(m.data("read_memory", {{"area", "page"}, {"page", 0}, {"address", 0xC000}, {"length", 4}})["hex"], "DEADBEEF")
        << "common RAM is page 0";
    EXPECT_EQ(machine.memory.page[0][0xC003], 0xEF);
    // Numbers written with a point, as some clients send every number, are taken as they are.
    EXPECT_EQ(m.data("read_memory", {{"area", "cpu"}, {"address", 49154.0}, {"length", 2.0}})["hex"], "BEEF");

    m.data("write_memory", {{"area", "page"}, {"page", 5}, {"address", 0xFFFF}, {"hex", "7E"}});
    EXPECT_EQ(machine.memory.page[5][0xFFFF], 0x7E);
    m.data("write_memory", {{"area", "vram"}, {"address", 0x3FFE}, {"hex", "0102"}});
    EXPECT_EQ(machine.vdp.vram[0x3FFF], 0x02);
    EXPECT_EQ(m.data("read_memory", {{"area", "vram"}, {"address", 0x3FFE}, {"length", 2}})["hex"], "0102");

    // The CPU's view of the ROM slot: the page mapped there changes.
    const unsigned rom = machine.memory.romPage;
    m.data("write_memory", {{"area", "cpu"}, {"address", 0x0010}, {"hex", "C9"}});
    EXPECT_EQ(machine.memory.page[rom][0x0010], 0xC9);

    const std::string whole = m.data("read_memory", {{"area", "cpu"}, {"address", 0}, {"length", 65536}})["hex"];
    ASSERT_EQ(whole.size(), 131072u);
    for (unsigned address : {0x0000u, 0x1234u, 0x8000u, 0xC001u, 0xFFFFu}) {
        char expected[3];
        std::snprintf(expected, sizeof expected, "%02X", memRead(machine.memory, uint16_t(address)));
        EXPECT_EQ(whole.substr(2 * address, 2), expected) << address;
    }
    // A write of the whole area in one go is accepted.
    EXPECT_EQ(m.data("write_memory", {{"area", "page"}, {"page", 9}, {"address", 0}, {"hex", std::string(131072, 'A')}})["written"],
              65536);
}

TEST_F(ToolsTest, DisassemblyFollowsTheInstructionsWithSymbols)
{
    const uint16_t poll = m.symbol("poll");
    const Json lines = m.data("disassemble", {{"address", poll}, {"count", 4}})["lines"];
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0]["label"], "poll");
    EXPECT_EQ(lines[0]["text"], "HALT");
    EXPECT_EQ(lines[0]["bytes"], "76");
    EXPECT_EQ(lines[0]["cycles"], 4);
    EXPECT_EQ(lines[2]["text"], "CALL showClock");
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(lines[i]["address"].get<unsigned>(),
                  lines[i - 1]["address"].get<unsigned>() + lines[i - 1]["bytes"].get<std::string>().size() / 2);
    // Wraps at the top of memory; defaults to the PC.
    EXPECT_EQ(m.data("disassemble", {{"address", 0xFFFF}, {"count", 2}})["lines"][1]["address"].get<unsigned>() < 4, true);
    m.data("pause");
    EXPECT_EQ(m.data("disassemble", {{"count", 1}})["lines"][0]["address"], m.session.machine().cpu.PC);
}

TEST_F(ToolsTest, CallStackAndTraceAnswerForThePastAndAreKeptFromTheirFirstCall)
{
    Json stack = m.data("get_call_stack");
    EXPECT_TRUE(stack["kept"].get<bool>());
    EXPECT_TRUE(m.control.debugger().watching);
    EXPECT_TRUE(m.data("get_trace", {{"count", 5}})["tracing"].get<bool>());
    const uint16_t clock = stopInShowClock();
    stack = m.data("get_call_stack")["frames"];
    ASSERT_FALSE(stack.empty());
    const Json& innermost = stack.back();
    EXPECT_EQ(innermost["kind"], "call");
    EXPECT_EQ(innermost["target"], clock);
    EXPECT_EQ(innermost["label"], "showClock");
    EXPECT_EQ(innermost["return_to"].get<unsigned>(), innermost["from"].get<unsigned>() + 3);
    const uint16_t sp = m.data("get_registers")["sp"];
    EXPECT_EQ(innermost["sp"], sp);
    const std::string pushed = m.data("read_memory", {{"area", "cpu"}, {"address", sp}, {"length", 2}})["hex"];
    EXPECT_EQ(innermost["return_to"], std::stoi(pushed.substr(2, 2) + pushed.substr(0, 2), nullptr, 16));

    // The newest entries last: the CALL that came here is the last that ran (the
    // instruction stopped at has not run, and is traced when it does).
    const Json entries = m.data("get_trace", {{"count", 3}})["entries"];
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2]["text"], "CALL showClock");
    EXPECT_EQ(entries[2]["pc"], innermost["from"]);
    EXPECT_EQ(m.data("get_registers")["pc"], clock);

    EXPECT_FALSE(m.data("get_trace", {{"keep", false}})["tracing"].get<bool>());
    EXPECT_FALSE(m.control.debugger().tracing);
    EXPECT_FALSE(m.data("get_call_stack", {{"keep", false}})["kept"].get<bool>());
    EXPECT_FALSE(m.control.debugger().watching);

    // Asked again after a gap (the routine has long returned meanwhile): what ran up to
    // now, the gap included (run again from the rewind history), then kept on.
    m.data("step_frames", {{"count", 3}});
    const Json rebuilt = m.data("get_trace", {{"count", 1}});
    ASSERT_EQ(rebuilt["entries"].size(), 1u);
    EXPECT_EQ(rebuilt["from_frame"], 0);
    EXPECT_GT(rebuilt["entries"][0]["cycle"].get<uint64_t>(), entries[2]["cycle"].get<uint64_t>());
    const Json afterGap = m.data("get_call_stack"); // held: a loop over a temporary's member reads freed memory
    const unsigned spNow = m.data("get_registers")["sp"].get<unsigned>();
    for (const Json& frame : afterGap["frames"])
        EXPECT_GE(frame["sp"].get<unsigned>(), spNow) << frame.dump();
    const Json pc = m.data("get_registers")["pc"];
    m.data("step_into");
    const Json after = m.data("get_trace", {{"count", 2}})["entries"];
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0]["cycle"], rebuilt["entries"][0]["cycle"]);
    EXPECT_EQ(after[1]["pc"], pc) << "the instruction stepped is the newest";
}

TEST_F(ToolsTest, DevicesAreDescribed)
{
    m.data("step_frames", {{"count", 40}});
    const Json video = m.data("get_video_state");
    const VdpState& vdp = m.session.machine().vdp;
    ASSERT_EQ(video["registers"].size(), 8u);
    for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(video["registers"][i], vdp.registers[i]);
    EXPECT_EQ(video["decoded"].size(), 14u);
    EXPECT_EQ(video["blanked"], displayBlanked(vdp));
    EXPECT_EQ(video["backdrop"], backdropColour(vdp));
    EXPECT_EQ(video["mode"], vdp.mode);

    // A sprite put in the attribute table is listed where it is drawn; the end marker ends
    // the drawn ones, and every entry is listed with the reason it is not drawn.
    m.data("write_memory", {{"area", "vram"}, {"address", unsigned(vdp.registers[5] & 0x7F) * 0x80},
                            {"hex", "1F2A0387D0"}});
    const Json sprites = m.data("list_sprites");
    ASSERT_EQ(sprites["sprites"].size(), 32u);
    if (m.data("get_video_state")["mode_code"] != 3) {
        EXPECT_EQ(sprites["sprites"][0]["y"], 0x1F);
        EXPECT_EQ(sprites["sprites"][0]["screen_y"], 0x1F);
        EXPECT_EQ(sprites["sprites"][0]["x"], 0x2A);
        EXPECT_EQ(sprites["sprites"][0]["screen_x"], 0x2A) << "the early clock is not modelled: drawn where it is";
        EXPECT_EQ(sprites["sprites"][0]["pattern"], 3);
        EXPECT_EQ(sprites["sprites"][0]["colour"], 7);
        EXPECT_TRUE(sprites["sprites"][0]["drawn"]);
        EXPECT_EQ(sprites["sprites"][1]["why_not"], "end mark");
        EXPECT_EQ(sprites["sprites"][2]["why_not"], "after the end mark");
    } else {
        EXPECT_EQ(sprites["sprites"][0]["why_not"], "no sprites in Text mode");
    }

    const Json ctc = m.data("get_ctc_state");
    ASSERT_EQ(ctc["channels"].size(), 4u);
    const CtcState& chip = m.session.machine().ctc;
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(ctc["channels"][i]["time_constant"], chip.channel[i].timeConstant);
        EXPECT_EQ(ctc["channels"][i]["running"], chip.channel[i].running);
    }
    EXPECT_TRUE(ctc["channels"][0]["running"].get<bool>() || ctc["channels"][1]["running"].get<bool>() ||
                ctc["channels"][2]["running"].get<bool>() || ctc["channels"][3]["running"].get<bool>())
        << "the ROM's clock runs on a channel";

    const Json sound = m.data("get_sound_state");
    ASSERT_EQ(sound["channels"].size(), 3u);
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_EQ(sound["channels"][i]["period"], m.session.machine().sound.tonePeriod[i]);
        const int attenuation = sound["channels"][i]["attenuation"];
        ASSERT_TRUE(attenuation >= 0 && attenuation < 16);
        EXPECT_EQ(volumeTable[attenuation], m.session.machine().sound.volume[i]);
    }
}

TEST_F(ToolsTest, KeysAndTypedTextReachTheKeyboard)
{
    m.data("pause");
    m.call("press_keys", {{"keys", {"a", "SHIFT", "Enter", "NonUSBackslash"}}, {"frames", 2}});
    m.data("step_frames", {{"count", 1}});
    Json keyboard = m.data("get_keyboard_state");
    std::set<std::string> pressed(keyboard["pressed"].begin(), keyboard["pressed"].end());
    EXPECT_EQ(pressed, (std::set<std::string>{"A", "Shift", "Enter", "NonUSBackslash"}));
    EXPECT_EQ(keyboard["rows"][5].get<unsigned>() & 1u, 1u) << "A is row 5, column 0";
    m.data("step_frames", {{"count", 2}});
    EXPECT_TRUE(m.data("get_keyboard_state")["pressed"].empty()) << "let go after their frames";

    EXPECT_FALSE(m.call("type_text", {{"text", "Hi\\n"}})["isError"].get<bool>());
    EXPECT_TRUE(m.data("get_keyboard_state")["typing"].get<bool>());
    m.data("step_frames", {{"count", 200}, {"until_stop_ms", 60000}});
    EXPECT_FALSE(m.data("get_keyboard_state")["typing"].get<bool>());
}

// While a recording is replayed the keyboard is the recording's: typing and holding keys
// are refused (never reported as done), and the keyboard state does not claim typing.
TEST_F(ToolsTest, TypingAndKeysAreRefusedDuringAReplay)
{
    Recording recording;
    recording.startState = encodeState(m.session.machine());
    recording.end = machinePosition(m.session.machine());
    recording.end.slice += 100000;
    std::string error;
    ASSERT_TRUE(m.session.startReplay(recording, "test.rec", error)) << error;
    ASSERT_TRUE(m.session.replaying());
    EXPECT_NE(m.error("type_text", {{"text", "Hi"}}).find("type_text: the machine is replaying"), std::string::npos);
    EXPECT_NE(m.error("press_keys", {{"keys", {"a"}}}).find("press_keys: the machine is replaying"), std::string::npos);
    EXPECT_FALSE(m.data("get_keyboard_state")["typing"].get<bool>());
}

// File names with line breaks are shown escaped in the messages of the tape and state tools
// (a name cannot add lines of its own to what a client shows).
TEST_F(ToolsTest, FileNamesInMessagesAreEscaped)
{
    const fs::path tape = folder / "two\nlines.mtx";
    std::ofstream(tape) << "tape";
    const fs::path state = folder / "state\nfile";
    const auto text = [](const Json& result) { return result["content"][0]["text"].get<std::string>(); };
    for (const std::string& said : {text(m.call("mount_tape", {{"path", tape.string()}})),
                                   text(m.call("mount_tape", {{"path", (folder / "no\nsuch").string()}})),
                                   text(m.call("save_state", {{"path", state.string()}})),
                                   text(m.call("load_state", {{"path", state.string()}})),
                                   text(m.call("load_state", {{"path", (folder / "no\nsuch").string()}}))}) {
        // One line of account, then (for a result with data) one line of JSON.
        EXPECT_LE(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("\\n"), std::string::npos) << said;
    }
}

TEST_F(ToolsTest, ScreenshotIsThePictureAsPng)
{
    m.data("step_frames", {{"count", 20}});
    const Json result = m.call("screenshot");
    ASSERT_FALSE(result["isError"].get<bool>());
    const Json& image = result["content"][0];
    EXPECT_EQ(image["type"], "image");
    EXPECT_EQ(image["mimeType"], "image/png");
    const std::vector<uint8_t> png = fromBase64(image["data"]);
    const Mtx& machine = m.session.machine();
    EXPECT_EQ(png, consolePng(machine.frame, displayBlanked(machine.vdp), backdropColour(machine.vdp)))
        << "the same bytes as --screenshot writes";
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ((png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19]), consoleWidth);
    EXPECT_EQ((png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23]), consoleHeight);
}

TEST_F(ToolsTest, StatesSaveAndLoadByPathAndSlot)
{
    m.data("step_frames", {{"count", 5}});
    const fs::path file = folder / "a.state";
    EXPECT_EQ(m.data("save_state", {{"path", file.string()}})["saved"], file.string());
    const Json saved = m.data("get_registers");
    const std::string ram = m.data("read_memory", {{"area", "cpu"}, {"address", 0xC000}, {"length", 256}})["hex"];
    m.data("step_frames", {{"count", 5}});
    m.data("write_memory", {{"area", "cpu"}, {"address", 0xC000}, {"hex", "FFFF"}});
    m.data("load_state", {{"path", file.string()}});
    EXPECT_EQ(m.data("get_registers"), saved);
    EXPECT_EQ(m.data("read_memory", {{"area", "cpu"}, {"address", 0xC000}, {"length", 256}})["hex"], ram);

    // Something that is no state file is refused and the machine left alone.
    { std::ofstream(folder / "junk.state") << "not a state"; }
    m.data("step_into");
    const Json now = m.data("get_registers");
    EXPECT_NE(m.error("load_state", {{"path", (folder / "junk.state").string()}}), "");
    EXPECT_NE(m.error("load_state", {{"path", folder.string()}}), "") << "a folder";
    EXPECT_NE(m.error("save_state", {{"path", (folder / "no" / "such" / "x.state").string()}}), "");
    EXPECT_EQ(m.data("get_registers"), now);

    // Slots live under XDG_DATA_HOME.
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string restore = old ? old : "";
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    EXPECT_EQ(m.data("save_state", {{"slot", 2}})["saved"], "slot 2");
    EXPECT_TRUE(fs::exists(folder / "ollendor" / "states" / "slot2.state"));
    m.data("step_frames", {{"count", 2}});
    m.data("load_state", {{"slot", 2}});
    EXPECT_EQ(m.data("get_registers"), now);
    EXPECT_NE(m.error("load_state", {{"slot", 3}}), "") << "an empty slot";
    if (old)
        setenv("XDG_DATA_HOME", restore.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

TEST_F(ToolsTest, TapesAreListedAndMounted)
{
    m.session.setTapeFolder(folder);
    { std::ofstream(folder / "game.mtx") << "12345"; }
    { std::ofstream(folder / "another") << "1"; }
    fs::create_directory(folder / "sub");
    Json tapes = m.data("list_tapes");
    ASSERT_EQ(tapes["tapes"].size(), 2u) << "files only";
    EXPECT_EQ(tapes["tapes"][0]["name"], "another");
    EXPECT_EQ(tapes["tapes"][1]["name"], "game.mtx");
    EXPECT_EQ(tapes["tapes"][1]["size"], 5);
    EXPECT_TRUE(tapes["mounted"].is_null());

    m.call("mount_tape", {{"path", (folder / "game.mtx").string()}});
    EXPECT_EQ(m.session.mountedTape(), folder / "game.mtx");
    EXPECT_EQ(m.data("list_tapes")["mounted"], (folder / "game.mtx").string());
    m.call("unmount_tape");
    EXPECT_FALSE(m.session.mountedTape().has_value());

    m.session.setTapeFolder(folder / "absent");
    tapes = m.data("list_tapes");
    EXPECT_TRUE(tapes["tapes"].empty());
}

TEST_F(ToolsTest, SymbolsLoadAndLookUp)
{
    { std::ofstream(folder / "labels") << "mine:\tequ $C123\nbad line here\nalso equ 0xC123\n"; }
    const Json loaded = m.data("load_symbols", {{"path", (folder / "labels").string()}});
    EXPECT_EQ(loaded["added"], 2);
    EXPECT_EQ(loaded["problem_count"], 1);
    EXPECT_EQ(loaded["problems"].size(), 1u);
    EXPECT_EQ(m.symbol("mine"), 0xC123);
    const Json named = m.data("lookup_symbol", {{"address", 0xC123}});
    EXPECT_EQ(named["names"].size(), 2u);
    EXPECT_EQ(m.data("lookup_symbol", {{"address", 0xC125}})["nearest"], "mine+$2");
    m.data("write_memory", {{"area", "cpu"}, {"address", 0xC000}, {"hex", "CD23C1"}});
    EXPECT_EQ(m.data("disassemble", {{"address", 0xC000}, {"count", 1}})["lines"][0]["text"], "CALL mine");
}

TEST_F(ToolsTest, QuitAsksTheRunToEnd)
{
    EXPECT_FALSE(m.access.quitRequested());
    EXPECT_FALSE(m.call("quit")["isError"].get<bool>());
    EXPECT_TRUE(m.access.quitRequested());
}
