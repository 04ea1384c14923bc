#include "automation/tools.h"

#include <exception>

#include "automation/arguments.h"
#include "automation/tool_support.h"
#include "debug/address_text.h"

namespace ollendor {

const std::vector<Tool>& toolList()
{
    static const std::vector<Tool> tools = [] {
        std::vector<Tool> all;
        addRunTools(all);
        addCpuTools(all);
        addDebugTools(all);
        addDeviceTools(all);
        addInputTools(all);
        addProgramTools(all);
        addHistoryTools(all);
        for (Tool& tool : all)
            annotateTool(tool);
        return all;
    }();
    return tools;
}

const Tool* findTool(std::string_view name)
{
    for (const Tool& tool : toolList())
        if (tool.name == name)
            return &tool;
    return nullptr;
}

namespace {

// Addresses given as text become numbers before the tool sees them: numbers at once,
// symbols on the loop's thread (the table lives there). Empty when all went well.
std::string resolveAddresses(const Tool& tool, Json& arguments, MachineAccess& machine)
{
    if (!tool.inputSchema.contains("properties"))
        return {};
    std::vector<std::string> needSymbols;
    for (const auto& [key, property] : tool.inputSchema["properties"].items()) {
        if (!tool::isAddressSchema(property) || !arguments.contains(key) || !arguments[key].is_string())
            continue;
        const std::string& text = arguments[key].get_ref<const std::string&>();
        if (!isNumberText(text)) {
            needSymbols.push_back(key);
            continue;
        }
        arguments[key] = *readAddressText(text, nullptr).value;
    }
    if (!needSymbols.empty()) {
        std::string error;
        std::string wrong;
        const bool ran = machine.run([&](Control& control) {
            for (const std::string& key : needSymbols) {
                const AddressText read = readAddressText(arguments[key].get<std::string>(), &control.symbols());
                if (!read.value) {
                    wrong = "'" + key + "': " + read.error;
                    return;
                }
                arguments[key] = *read.value;
            }
        }, error);
        if (!ran)
            return error;
        if (!wrong.empty())
            return wrong;
    }
    // In range, now that they are numbers.
    for (const std::string& key : needSymbols)
        if (const std::string error = checkArguments(
                {{"type", "object"}, {"properties", {{key, {{"type", "integer"},
                                                            {"minimum", tool.inputSchema["properties"][key]["minimum"]},
                                                            {"maximum", tool.inputSchema["properties"][key]["maximum"]}}}}}},
                {{key, arguments[key]}});
            !error.empty())
            return error;
    for (const auto& [key, property] : tool.inputSchema["properties"].items())
        if (tool::isAddressSchema(property) && arguments.contains(key) && arguments[key].is_number()) {
            const int64_t value = arguments[key].get<int64_t>();
            if (value > property["maximum"].get<int64_t>())
                return "'" + key + "' must be from 0 to " + std::to_string(property["maximum"].get<int64_t>()) +
                       ", not " + std::to_string(value);
        }
    return {};
}

} // namespace

ToolResult callTool(const Tool& tool, const Json& arguments, MachineAccess& machine)
{
    const std::string wrong = checkArguments(tool.inputSchema, arguments);
    if (!wrong.empty())
        return tool::failure(tool.name + ": " + wrong);
    try {
        Json resolved = arguments.is_null() ? Json::object() : arguments;
        if (const std::string error = resolveAddresses(tool, resolved, machine); !error.empty())
            return tool::failure(tool.name + ": " + error);
        return tool.call(resolved, machine);
    } catch (const std::exception& error) {
        return tool::failure(tool.name + ": internal error: " + error.what());
    }
}

Json toolResultJson(const ToolResult& result)
{
    Json json = {{"content", result.content}, {"isError", result.isError}};
    if (result.structured)
        json["structuredContent"] = *result.structured;
    return json;
}

} // namespace ollendor
