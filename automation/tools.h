// The tools the server offers: each with its name, a line saying what it does, the schema
// of its arguments, the schema of what it returns (when it returns data), and one small
// function that validates what the schema cannot say, calls the control API on the loop's
// thread and builds the result (structured content plus a short text).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/json_rpc.h"
#include "automation/machine_access.h"

namespace ollendor {

struct ToolResult {
    Json content = Json::array();  // MCP content items: text, image
    std::optional<Json> structured; // structuredContent, when the tool has an output schema
    bool isError = false;
};

struct Tool {
    std::string name;
    std::string description;
    Json inputSchema;
    Json outputSchema; // null: the tool returns no structured data
    std::function<ToolResult(const Json& arguments, MachineAccess& machine)> call;
    // Filled in by toolList from the table in tool_annotations.cpp: a title for people and
    // the hints a client uses to decide whether to ask before calling.
    std::string title = {};
    Json annotations = {};
};

// The title and hints of every tool by name (tool_annotations.cpp); false for a name it
// does not know.
bool annotateTool(Tool& tool);

// Every tool, in the order tools/list gives them.
const std::vector<Tool>& toolList();
const Tool* findTool(std::string_view name);

// Checks the arguments against the tool's schema, then runs it. Never throws: whatever
// goes wrong is an error result saying what.
ToolResult callTool(const Tool& tool, const Json& arguments, MachineAccess& machine);

// The MCP result object of a tool call.
Json toolResultJson(const ToolResult& result);

// The tool table's parts, one file each.
void addRunTools(std::vector<Tool>& tools);
void addCpuTools(std::vector<Tool>& tools);
void addDebugTools(std::vector<Tool>& tools);
void addDeviceTools(std::vector<Tool>& tools);
void addInputTools(std::vector<Tool>& tools);
void addProgramTools(std::vector<Tool>& tools);
void addHistoryTools(std::vector<Tool>& tools);

} // namespace ollendor
