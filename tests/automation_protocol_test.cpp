// The automation server's protocol: JSON-RPC framing and errors, the MCP lifecycle, the
// tool list and its schemas, and every tool's results against its own output schema.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <unistd.h>

#include "automation/arguments.h"
#include "automation/protocol.h"
#include "automation/tool_support.h"
#include "tests/support/automation_harness.h"

using namespace ollendor;

namespace {

class ProtocolTest : public testing::Test {
protected:
    // The answer to a line, parsed; null when there is none.
    Json answer(const std::string& line)
    {
        ClientSession session;
        const std::optional<std::string> text = McpProtocol::handleText(line, session, machine.access);
        if (!text)
            return nullptr;
        EXPECT_EQ(text->find('\n'), std::string::npos) << "one line per message";
        return Json::parse(*text);
    }
    int errorCode(const std::string& line)
    {
        const Json reply = answer(line);
        EXPECT_TRUE(reply.is_object() && reply.contains("error")) << line << " -> " << reply.dump();
        return reply.is_object() && reply.contains("error") ? reply["error"].value("code", 0) : 0;
    }

    AutomationHarness machine;
};

// Every object schema within an output schema, by its path ("result", "result.sprites[]").
void objectSchemas(const Json& schema, const std::string& path, std::set<std::string>& paths)
{
    if (schema.contains("properties")) {
        paths.insert(path);
        for (const auto& [name, property] : schema["properties"].items())
            objectSchemas(property, path + "." + name, paths);
    }
    if (schema.contains("items"))
        objectSchemas(schema["items"], path + "[]", paths);
}

// What misfit leaves out: a property the schema does not name (a field added or renamed
// where the result is filled but not in the schema). Notes the path of every object met.
std::string unlisted(const Json& schema, const Json& value, const std::string& path, std::set<std::string>& met)
{
    if (value.is_object() && schema.contains("properties")) {
        met.insert(path);
        for (const auto& [name, each] : value.items()) {
            if (!schema["properties"].contains(name))
                return path + "." + name + " is not in the output schema";
            if (std::string why = unlisted(schema["properties"][name], each, path + "." + name, met); !why.empty())
                return why;
        }
    }
    if (value.is_array() && schema.contains("items"))
        for (const Json& item : value)
            if (std::string why = unlisted(schema["items"], item, path + "[]", met); !why.empty())
                return why;
    return {};
}

} // namespace

TEST_F(ProtocolTest, MalformedMessagesGetTheMatchingJsonRpcErrors)
{
    EXPECT_EQ(errorCode("not json"), rpc::parseError);
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":1,"), rpc::parseError) << "cut short";
    EXPECT_EQ(errorCode(std::string("{\"a\":\"\xFF\xFE\"}")), rpc::parseError) << "not UTF-8";
    EXPECT_EQ(errorCode("[{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\"}]"), rpc::invalidRequest) << "batch";
    EXPECT_EQ(errorCode("42"), rpc::invalidRequest);
    EXPECT_EQ(errorCode("{\"id\":1,\"method\":\"ping\"}"), rpc::invalidRequest) << "no jsonrpc";
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"1.0\",\"id\":1,\"method\":\"ping\"}"), rpc::invalidRequest);
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":1}"), rpc::invalidRequest) << "no method";
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":7}"), rpc::invalidRequest);
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":[1],\"method\":\"ping\"}"), rpc::invalidRequest);
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":true,\"method\":\"ping\"}"), rpc::invalidRequest);
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"resources/list\"}"), rpc::methodNotFound);
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\",\"params\":[1]}"), rpc::invalidParams);
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"tools/call\",\"params\":{}}"), rpc::invalidParams);
    EXPECT_EQ(errorCode("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"tools/call\",\"params\":{\"name\":\"format_disk\"}}"),
              rpc::invalidParams);

    // The id comes back as given, a string or a number; a bad one as null.
    EXPECT_EQ(answer("{\"jsonrpc\":\"2.0\",\"id\":\"a-1\",\"method\":\"no/such\"}")["id"], "a-1");
    EXPECT_EQ(answer("{\"jsonrpc\":\"2.0\",\"id\":18446744073709551615,\"method\":\"ping\"}")["id"],
              Json(18446744073709551615ull));
    EXPECT_TRUE(answer("{\"jsonrpc\":\"2.0\",\"id\":{},\"method\":\"ping\"}")["id"].is_null());
}

TEST_F(ProtocolTest, SizeAndNestingAreBoundedBeforeParsing)
{
    const auto nested = [](int depth) {
        return "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\",\"params\":{\"x\":" + std::string(size_t(depth - 2), '[') +
               std::string(size_t(depth - 2), ']') + "}}";
    };
    EXPECT_EQ(answer(nested(maxJsonDepth))["result"], Json::object());
    EXPECT_EQ(errorCode(nested(maxJsonDepth + 1)), rpc::parseError);
    EXPECT_EQ(errorCode(std::string(1000000, '[')), rpc::parseError);
    // Brackets inside strings are text, not nesting.
    EXPECT_EQ(answer("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\",\"params\":{\"s\":\"" + std::string(1000, '[') +
                     "\\\"\"}}")["result"],
              Json::object());
    std::string huge = "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\",\"params\":{\"s\":\"";
    huge += std::string(maxMessageBytes, 'x') + "\"}}";
    const Json reply = answer(huge);
    EXPECT_EQ(reply["error"]["code"], rpc::parseError);
    EXPECT_NE(reply["error"]["message"].get<std::string>().find("longer than"), std::string::npos);
}

TEST_F(ProtocolTest, LifecycleNegotiatesTheVersionAndNotificationsGetNoAnswer)
{
    for (const char* version : {"2025-06-18", "2025-11-25", "2025-03-26"}) {
        ClientSession session;
        const Json request = {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"},
                              {"params", {{"protocolVersion", version}, {"capabilities", Json::object()},
                                          {"clientInfo", {{"name", "t"}, {"version", "1"}}}}}};
        const Json reply = *McpProtocol::handle(request, session, machine.access);
        EXPECT_EQ(reply["result"]["protocolVersion"], version);
        EXPECT_TRUE(session.initialized);
        EXPECT_EQ(reply["result"]["capabilities"]["tools"]["listChanged"], false);
        EXPECT_EQ(reply["result"]["serverInfo"]["name"], "ollendor");
    }
    const Json old = answer(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2024-11-05"}})");
    EXPECT_EQ(old["result"]["protocolVersion"], latestProtocolVersion) << "an unknown version gets ours";

    EXPECT_TRUE(answer(R"({"jsonrpc":"2.0","method":"notifications/initialized"})").is_null());
    EXPECT_TRUE(answer(R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":3}})").is_null());
    EXPECT_TRUE(answer(R"({"jsonrpc":"2.0","method":"no/such/notification"})").is_null());
    EXPECT_TRUE(answer(R"({"jsonrpc":"2.0","id":5,"result":{}})").is_null()) << "a response from the client";
    EXPECT_EQ(answer(R"({"jsonrpc":"2.0","id":2,"method":"ping"})"), (Json{{"jsonrpc", "2.0"}, {"id", 2}, {"result", Json::object()}}));
}

TEST_F(ProtocolTest, ToolListGivesEveryToolWithStrictInputSchemas)
{
    const Json list = answer(R"({"jsonrpc":"2.0","id":1,"method":"tools/list"})")["result"]["tools"];
    std::set<std::string> names;
    for (const Json& tool : list) {
        const std::string name = tool["name"];
        EXPECT_TRUE(names.insert(name).second) << "listed twice: " << name;
        EXPECT_EQ(tool["inputSchema"]["type"], "object") << name;
        EXPECT_EQ(tool["inputSchema"]["additionalProperties"], false) << name;
        for (const auto& [property, schema] : tool["inputSchema"]["properties"].items())
            EXPECT_TRUE(schema.contains("description")) << name << "." << property;
        if (tool.contains("outputSchema")) {
            EXPECT_EQ(tool["outputSchema"]["type"], "object") << name;
        }
    }
    for (const char* expected :
         {"get_status", "pause", "resume", "step_into", "step_over", "step_out", "step_frames", "run_to",
          "reverse_step", "reverse_continue", "get_registers", "set_register", "read_memory", "write_memory",
          "disassemble", "set_breakpoint", "remove_breakpoint", "list_breakpoints", "get_call_stack", "get_trace",
          "get_video_state", "list_sprites", "get_ctc_state", "get_sound_state", "get_keyboard_state", "screenshot",
          "type_text", "press_keys", "list_tapes", "mount_tape", "save_state", "load_state", "rewind", "load_symbols",
          "lookup_symbol", "quit"})
        EXPECT_TRUE(names.count(expected)) << expected;
}

// Each tool with arguments it accepts: the structured content has every property its
// output schema promises, of the promised type (what an SDK client checks), and nothing
// the schema does not name; every object the schema describes (the items of each list
// too) is met by some result, so that a field renamed on one side only cannot hide in a
// list that was empty.
TEST_F(ProtocolTest, EveryToolsResultFitsItsOutputSchema)
{
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("ollendor-protocol-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch / "tapes");
    { std::ofstream(scratch / "labels") << "here equ $C000\nbad line here\n"; }
    { std::ofstream(scratch / "tapes" / "one.mtx") << "x"; }
    machine.session.setTapeFolder(scratch / "tapes");
    // Kept from here on, so that the later calls list frames and entries.
    machine.data("get_call_stack");
    machine.data("get_trace");
    machine.data("step_frames", {{"count", 40}});
    const std::string state = (scratch / "s.state").string();
    const std::vector<std::pair<std::string, Json>> valid = {
        {"get_status", Json::object()}, {"pause", Json::object()}, {"step_into", {{"count", 3}}},
        {"step_over", Json::object()}, {"step_out", {{"until_stop_ms", 0}}}, {"pause", Json::object()},
        {"set_breakpoint", {{"kind", "exec"}, {"address", 0x0291}}}, {"step_frames", {{"count", 2}}},
        {"reverse_step", Json::object()}, {"reverse_continue", Json::object()}, {"remove_breakpoint", {{"id", 1}}},
        {"run_to", {{"address", 0x0291}}}, {"step_frames", {{"count", 2}}}, {"rewind", {{"frames", 1}}},
        {"get_registers", Json::object()}, {"set_register", {{"name", "bc"}, {"value", 0x1234}}},
        {"read_memory", {{"area", "vram"}, {"address", 0}, {"length", 16}}},
        {"write_memory", {{"area", "page"}, {"page", 2}, {"address", 0x8000}, {"hex", "00FF"}}},
        {"disassemble", {{"count", 3}}}, {"set_breakpoint", {{"kind", "write"}, {"address", 0xC000}, {"end", 0xC0FF}}},
        {"enable_breakpoint", {{"id", 2}, {"enabled", false}}}, {"list_breakpoints", Json::object()},
        {"clear_breakpoints", Json::object()}, {"get_call_stack", Json::object()},
        {"get_trace", {{"count", 2}}}, {"get_video_state", Json::object()}, {"list_sprites", Json::object()},
        {"get_ctc_state", Json::object()}, {"get_sound_state", Json::object()}, {"get_keyboard_state", Json::object()},
        {"list_tapes", Json::object()}, {"lookup_symbol", {{"address", 0x0291}}},
        {"list_symbols", {{"filter", "clock"}, {"limit", 2}}}, {"get_memory_map", Json::object()},
        {"get_history", Json::object()},
        {"search_memory", {{"text", "MTX"}}}, {"load_binary", {{"hex", "76"}, {"address", "0xC000"}}},
        {"reset", Json::object()}, {"remove_symbols", {{"names", {"noSuchName"}}}}, {"save_state", {{"path", state}}},
        {"load_state", {{"path", state}}}, {"load_symbols", {{"path", (scratch / "labels").string()}}},
        {"resume", Json::object()}, {"get_call_stack", Json::object()}, {"pause", Json::object()},
        {"step_into", {{"count", 20}}}, {"get_trace", {{"count", 5}}}, {"get_call_stack", Json::object()},
    };
    std::set<std::string> covered;
    std::map<std::string, std::set<std::string>> met;
    for (const auto& [name, arguments] : valid) {
        const Tool* tool = findTool(name);
        ASSERT_NE(tool, nullptr) << name;
        const Json result = machine.call(name, arguments);
        ASSERT_FALSE(result["isError"].get<bool>()) << name << ": " << result.dump();
        EXPECT_EQ(result["content"][0]["type"], "text") << name;
        EXPECT_FALSE(result["content"][0]["text"].get<std::string>().empty()) << name;
        if (!tool->outputSchema.is_null()) {
            ASSERT_TRUE(result.contains("structuredContent")) << name;
            EXPECT_EQ(misfit(tool->outputSchema, result["structuredContent"]), "") << name;
            EXPECT_EQ(unlisted(tool->outputSchema, result["structuredContent"], "result", met[name]), "") << name;
        }
        covered.insert(name);
    }
    for (const Tool& tool : toolList()) {
        if (tool.outputSchema.is_null())
            continue;
        if (!covered.count(tool.name))
            ADD_FAILURE() << tool.name << " has an output schema that no case here checked";
        // An object of the schema no result held is a part nothing here compared.
        std::set<std::string> described;
        objectSchemas(tool.outputSchema, "result", described);
        for (const std::string& path : described)
            EXPECT_TRUE(met[tool.name].count(path)) << tool.name << ": no result here held " << path;
        EXPECT_EQ(tool.outputSchema.value("additionalProperties", true), false) << tool.name;
    }
    std::filesystem::remove_all(scratch);
}

// A result is filled through the same fields that make its schema: a field named, typed or
// left out otherwise than the schema says is refused where the result is made.
TEST(AutomationShape, FillsOnlyWhatItsSchemaSays)
{
    const tool::Shape shape{{"pc", tool::outInteger()}, {"label", tool::outString()},
                            {"start", tool::outNullable("integer")}, {"rows", tool::outArray(tool::outInteger())}};
    EXPECT_EQ(shape.schema()["required"], Json::array({"pc", "label", "start", "rows"}));
    const Json made = shape({{"pc", 5}, {"label", "x"}, {"start", nullptr}, {"rows", {1, 2}}});
    EXPECT_EQ(made, (Json{{"pc", 5}, {"label", "x"}, {"start", nullptr}, {"rows", {1, 2}}}));
    EXPECT_EQ(misfit(shape.schema(), made), "");
    EXPECT_THROW(shape({{"PC", 5}, {"label", "x"}, {"start", 1}, {"rows", Json::array()}}), std::logic_error) << "renamed";
    EXPECT_THROW(shape({{"label", "x"}, {"start", 1}, {"rows", Json::array()}}), std::logic_error) << "left out";
    EXPECT_THROW(shape({{"pc", "5"}, {"label", "x"}, {"start", 1}, {"rows", Json::array()}}), std::logic_error) << "a string";
    EXPECT_THROW(shape({{"pc", 5}, {"label", "x"}, {"start", 1}, {"rows", {1, "2"}}}), std::logic_error) << "an item";
    EXPECT_THROW(shape({{"pc", 5}, {"pc", 6}, {"label", "x"}, {"start", 1}, {"rows", Json::array()}}), std::logic_error);
}

TEST(AutomationArguments, SchemaChecksSayWhatIsWrong)
{
    const Json schema = Json::parse(R"({"type":"object","additionalProperties":false,"required":["n"],
        "properties":{"n":{"type":"integer","minimum":1,"maximum":10},
                      "s":{"type":"string","maxLength":3,"minLength":1},
                      "e":{"type":"string","enum":["x","y"]},
                      "b":{"type":"boolean"},
                      "l":{"type":"array","items":{"type":"string","maxLength":2},"minItems":1,"maxItems":2}}})");
    const auto check = [&](const char* arguments) { return checkArguments(schema, Json::parse(arguments)); };
    EXPECT_EQ(check(R"({"n":1})"), "");
    EXPECT_EQ(check(R"({"n":10,"s":"abc","e":"y","b":false,"l":["ab","c"]})"), "");
    EXPECT_EQ(check(R"({})"), "missing argument 'n'");
    EXPECT_EQ(check(R"([])"), "the arguments must be an object, not an array");
    EXPECT_EQ(check(R"({"n":0})"), "'n' must be from 1 to 10, not 0");
    EXPECT_EQ(check(R"({"n":11})"), "'n' must be from 1 to 10, not 11");
    EXPECT_EQ(check(R"({"n":-9223372036854775808})"), "'n' must be from 1 to 10, not -9223372036854775808");
    EXPECT_EQ(check(R"({"n":18446744073709551615})"), "'n' must be from 1 to 10, not 18446744073709551615");
    EXPECT_EQ(check(R"({"n":2.5})"), "'n' must be a whole number, not a fractional number");
    // A whole number written with a point or an exponent is still one (as JSON Schema has it).
    EXPECT_EQ(check(R"({"n":5.0})"), "");
    EXPECT_EQ(check(R"({"n":1e1})"), "");
    EXPECT_EQ(check(R"({"n":11.0})"), "'n' must be from 1 to 10, not 11.0");
    EXPECT_EQ(check(R"({"n":1e300})"), "'n' must be from 1 to 10, not 1e+300");
    EXPECT_EQ(check(R"({"n":-1e300})"), "'n' must be from 1 to 10, not -1e+300");
    EXPECT_EQ(check(R"({"n":"5"})"), "'n' must be a whole number, not a string");
    EXPECT_EQ(check(R"({"n":null})"), "'n' must be a whole number, not null");
    EXPECT_EQ(check(R"({"n":1,"s":""})"), "'s' must not be empty");
    EXPECT_EQ(check(R"({"n":1,"s":"abcd"})"), "'s' is too long (at most 3 characters)");
    EXPECT_EQ(check(R"({"n":1,"e":"z"})"), "'e' must be one of x, y, not 'z'");
    EXPECT_EQ(check(R"({"n":1,"b":1})"), "'b' must be true or false, not a whole number");
    EXPECT_EQ(check(R"({"n":1,"l":[]})"), "'l' must hold at least 1 item(s)");
    EXPECT_EQ(check(R"({"n":1,"l":["a","b","c"]})"), "'l' holds too many items (at most 2)");
    EXPECT_EQ(check(R"({"n":1,"l":["abc"]})"), "item 0 of 'l' is too long (at most 2 characters)");
    EXPECT_EQ(check(R"({"n":1,"zz":1})"), "unknown argument 'zz' (it takes: b, e, l, n, s)");
    const std::string longName(500, 'k');
    EXPECT_LT(checkArguments(schema, Json{{"n", 1}, {longName, 1}}).size(), 120u) << "a client's text is quoted short";
}

TEST(AutomationJson, OutgoingTextIsValidWhateverItHolds)
{
    const Json message = {{"text", std::string("bad \xC3 bytes \xFF")}};
    std::string text;
    EXPECT_NO_THROW(text = messageText(message));
    EXPECT_TRUE(parseMessage(text).ok) << text;
    EXPECT_EQ(clipped("\xC3\xA9\xC3\xA9\xC3\xA9", 3), "\xC3\xA9...") << "cut at a character's start";
}
