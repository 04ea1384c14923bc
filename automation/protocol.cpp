#include "automation/protocol.h"

#include "automation/tools.h"

namespace ollendor {

namespace {

constexpr const char* otherVersions[] = {"2025-11-25", "2025-03-26"};

const Json& toolListJson()
{
    static const Json list = [] {
        Json tools = Json::array();
        for (const Tool& tool : toolList()) {
            Json entry = {{"name", tool.name}, {"description", tool.description}, {"inputSchema", tool.inputSchema}};
            if (!tool.title.empty())
                entry["title"] = tool.title;
            if (!tool.annotations.is_null())
                entry["annotations"] = tool.annotations;
            if (!tool.outputSchema.is_null())
                entry["outputSchema"] = tool.outputSchema;
            tools.push_back(std::move(entry));
        }
        return Json{{"tools", std::move(tools)}};
    }();
    return list;
}

Json initialize(const Json& params, ClientSession& session);
Json callToolMethod(const Json& id, const Json& params, MachineAccess& machine);

bool validId(const Json& id)
{
    return id.is_string() || id.is_number_integer() || id.is_number_unsigned();
}

} // namespace

bool supportedProtocolVersion(std::string_view version)
{
    if (version == latestProtocolVersion)
        return true;
    for (const char* other : otherVersions)
        if (version == other)
            return true;
    return false;
}

bool McpProtocol::isInitializeRequest(const Json& message)
{
    return message.is_object() && message.contains("id") && message.contains("method") &&
           message["method"] == "initialize";
}

std::optional<std::string> McpProtocol::handleText(std::string_view text, ClientSession& session,
                                                   MachineAccess& machine)
{
    const ParsedMessage parsed = parseMessage(text);
    if (!parsed.ok)
        return messageText(errorMessage(nullptr, rpc::parseError, "Parse error: " + parsed.error));
    const std::optional<Json> answer = handle(parsed.value, session, machine);
    if (!answer)
        return std::nullopt;
    return messageText(*answer);
}

std::optional<Json> McpProtocol::handle(const Json& message, ClientSession& session, MachineAccess& machine)
{
    if (message.is_array())
        return errorMessage(nullptr, rpc::invalidRequest, "Invalid request: batches are not supported");
    if (!message.is_object())
        return errorMessage(nullptr, rpc::invalidRequest, "Invalid request: a message is a JSON object");
    const bool hasId = message.contains("id");
    const Json id = hasId && validId(message["id"]) ? message["id"] : Json();
    if (hasId && id.is_null())
        return errorMessage(nullptr, rpc::invalidRequest, "Invalid request: an id is a string or a whole number");
    if (!message.contains("jsonrpc") || message["jsonrpc"] != "2.0")
        return errorMessage(id, rpc::invalidRequest, "Invalid request: \"jsonrpc\" must be \"2.0\"");
    if (!message.contains("method")) {
        if (hasId && (message.contains("result") || message.contains("error")))
            return std::nullopt; // a response: this server sends no requests, so none is awaited
        return errorMessage(id, rpc::invalidRequest, "Invalid request: no method");
    }
    if (!message["method"].is_string())
        return errorMessage(id, rpc::invalidRequest, "Invalid request: the method must be a string");
    const std::string& method = message["method"].get_ref<const std::string&>();
    static const Json noParams = Json::object();
    const Json& params = message.contains("params") ? message["params"] : noParams;

    if (!hasId)
        return std::nullopt; // notifications/initialized, notifications/cancelled, ...: nothing to answer
    if (!params.is_object())
        return errorMessage(id, rpc::invalidParams, "Invalid params: params must be an object");
    if (method == "initialize")
        return resultMessage(id, initialize(params, session));
    if (method == "ping")
        return resultMessage(id, Json::object());
    if (method == "tools/list")
        return resultMessage(id, toolListJson());
    if (method == "tools/call")
        return callToolMethod(id, params, machine);
    return errorMessage(id, rpc::methodNotFound, "Method not found: " + clipped(method, 60));
}

namespace {

Json initialize(const Json& params, ClientSession& session)
{
    std::string version = latestProtocolVersion;
    if (params.contains("protocolVersion") && params["protocolVersion"].is_string() &&
        supportedProtocolVersion(params["protocolVersion"].get<std::string>()))
        version = params["protocolVersion"].get<std::string>();
    session.initialized = true;
    session.protocolVersion = version;
    return {{"protocolVersion", version},
            {"capabilities", {{"tools", {{"listChanged", false}}}}},
            {"serverInfo", {{"name", "ollendor"}, {"title", "Ollendor"}, {"version", "1.0"}}},
            {"instructions",
             "Controls a running Memotech MTX emulator: run, pause, step (also backwards), breakpoints, "
             "registers, memory, disassembly, devices, screenshots, keys, tapes and saved states. Addresses are "
             "numbers 0-65535; memory goes as hex text."}};
}

Json callToolMethod(const Json& id, const Json& params, MachineAccess& machine)
{
    if (!params.contains("name") || !params["name"].is_string())
        return errorMessage(id, rpc::invalidParams, "Invalid params: tools/call needs the tool's name");
    const std::string& name = params["name"].get_ref<const std::string&>();
    const Tool* tool = findTool(name);
    if (!tool)
        return errorMessage(id, rpc::invalidParams, "Unknown tool: " + clipped(name, 60));
    const Json arguments = params.contains("arguments") ? params["arguments"] : Json::object();
    return resultMessage(id, toolResultJson(callTool(*tool, arguments, machine)));
}

} // namespace

} // namespace ollendor
