#include "automation/tools.h"

#include <exception>

#include "automation/arguments.h"
#include "automation/tool_support.h"

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

ToolResult callTool(const Tool& tool, const Json& arguments, MachineAccess& machine)
{
    const std::string wrong = checkArguments(tool.inputSchema, arguments);
    if (!wrong.empty())
        return tool::failure(tool.name + ": " + wrong);
    try {
        return tool.call(arguments.is_null() ? Json::object() : arguments, machine);
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
