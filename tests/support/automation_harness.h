// The automation server's tools over a control on the built-in ROM, called the way the
// protocol calls them, with the test's thread as the loop (DirectAccess).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "automation/machine_access.h"
#include "automation/tools.h"
#include "machine/rom_set.h"

namespace ollendor {

class AutomationHarness {
public:
    AutomationHarness() : session(builtinRomSet()), rewind(120), control(session, rewind), access(control) {}

    // The whole result object of a tool call, as tools/call answers it.
    Json call(const std::string& name, const Json& arguments = Json::object())
    {
        const Tool* tool = findTool(name);
        EXPECT_NE(tool, nullptr) << name;
        if (!tool)
            return Json::object();
        return toolResultJson(callTool(*tool, arguments, access));
    }
    // The structured content of a call that must succeed.
    Json data(const std::string& name, const Json& arguments = Json::object())
    {
        const Json result = call(name, arguments);
        EXPECT_FALSE(result.value("isError", true)) << name << " " << arguments.dump() << ": " << result.dump();
        return result.value("structuredContent", Json::object());
    }
    // The text of a call that must be refused.
    std::string error(const std::string& name, const Json& arguments)
    {
        const Json result = call(name, arguments);
        EXPECT_TRUE(result.value("isError", false)) << name << " " << arguments.dump() << " was accepted";
        if (!result.contains("content") || result["content"].empty())
            return {};
        return result["content"][0].value("text", "");
    }
    uint16_t symbol(const char* name) { return uint16_t(data("lookup_symbol", {{"name", name}}).value("address", 0)); }

    Session session;
    RewindBuffer rewind;
    Control control;
    DirectAccess access;
};

// Standard base64 back to bytes (the screenshot's PNG).
inline std::vector<uint8_t> fromBase64(const std::string& text)
{
    std::vector<uint8_t> bytes;
    uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        int value;
        if (c >= 'A' && c <= 'Z') value = c - 'A';
        else if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
        else if (c >= '0' && c <= '9') value = c - '0' + 52;
        else if (c == '+') value = 62;
        else if (c == '/') value = 63;
        else continue; // padding
        group = group << 6 | uint32_t(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(uint8_t(group >> bits));
        }
    }
    return bytes;
}

// What an output schema promises: the types of properties and items, and the required
// ones present. Gives what does not fit, or "".
inline std::string misfit(const Json& schema, const Json& value, const std::string& where = "result")
{
    if (schema.contains("type")) {
        const Json types = schema["type"].is_array() ? schema["type"] : Json::array({schema["type"]});
        bool fits = false;
        for (const Json& type : types) {
            const std::string t = type;
            fits = fits || (t == "object" && value.is_object()) || (t == "array" && value.is_array()) ||
                   (t == "string" && value.is_string()) || (t == "boolean" && value.is_boolean()) ||
                   (t == "integer" && (value.is_number_integer())) || (t == "number" && value.is_number()) ||
                   (t == "null" && value.is_null());
        }
        if (!fits)
            return where + " is " + value.dump() + ", not " + types.dump();
    }
    if (value.is_object()) {
        const Json required = schema.value("required", Json::array());
        for (const Json& name : required)
            if (!value.contains(name.get<std::string>()))
                return where + " lacks " + name.get<std::string>();
        const Json properties = schema.value("properties", Json::object());
        for (const auto& [name, property] : properties.items())
            if (value.contains(name))
                if (std::string why = misfit(property, value[name], where + "." + name); !why.empty())
                    return why;
    }
    if (value.is_array() && schema.contains("items"))
        for (size_t i = 0; i < value.size(); ++i)
            if (std::string why = misfit(schema["items"], value[i], where + "[" + std::to_string(i) + "]"); !why.empty())
                return why;
    return {};
}

} // namespace ollendor
