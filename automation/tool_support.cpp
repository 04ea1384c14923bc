#include "automation/tool_support.h"

#include <cstdio>
#include <stdexcept>

namespace ollendor::tool {

Json object(std::initializer_list<Property> properties, std::initializer_list<const char*> required)
{
    Json schema = {{"type", "object"}, {"properties", Json::object()}, {"additionalProperties", false}};
    for (const auto& [name, property] : properties)
        schema["properties"][name] = property;
    if (required.size() > 0) {
        schema["required"] = Json::array();
        for (const char* name : required)
            schema["required"].push_back(name);
    }
    return schema;
}

Json integer(int64_t minimum, int64_t maximum, const std::string& description)
{
    return {{"type", "integer"}, {"minimum", minimum}, {"maximum", maximum}, {"description", description}};
}

Json text(const std::string& description, size_t maxLength, size_t minLength)
{
    Json schema = {{"type", "string"}, {"maxLength", maxLength}, {"description", description}};
    if (minLength > 0)
        schema["minLength"] = minLength;
    return schema;
}

Json choice(std::initializer_list<const char*> values, const std::string& description)
{
    Json schema = {{"type", "string"}, {"enum", Json::array()}, {"description", description}};
    for (const char* value : values)
        schema["enum"].push_back(value);
    return schema;
}

Json choice(const std::vector<std::string>& values, const std::string& description)
{
    Json schema = {{"type", "string"}, {"enum", values}, {"description", description}};
    return schema;
}

Json flag(const std::string& description)
{
    return {{"type", "boolean"}, {"description", description}};
}

Json list(Json items, size_t minItems, size_t maxItems, const std::string& description)
{
    return {{"type", "array"}, {"items", std::move(items)}, {"minItems", minItems}, {"maxItems", maxItems},
            {"description", description}};
}

Json address(const std::string& description)
{
    return addressIn(0xFFFF, description);
}

Json addressIn(int64_t maximum, const std::string& description)
{
    return {{"type", Json::array({"integer", "string"})},
            {"minimum", 0},
            {"maximum", maximum},
            {"maxLength", 256},
            {"description", description + "; a number, or text: 0x8000, $8000 or 8000h (hex), 32768 (decimal), "
                                          "a symbol, symbol+N"}};
}

bool isAddressSchema(const Json& schema)
{
    return schema.contains("type") && schema["type"] == Json::array({"integer", "string"});
}

Json output(std::initializer_list<Property> properties)
{
    Json schema = {{"type", "object"}, {"properties", Json::object()}, {"required", Json::array()},
                   {"additionalProperties", false}};
    for (const auto& [name, property] : properties) {
        schema["properties"][name] = property;
        schema["required"].push_back(name);
    }
    return schema;
}

Json output(const Json& properties)
{
    Json schema = {{"type", "object"}, {"properties", properties}, {"required", Json::array()},
                   {"additionalProperties", false}};
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        schema["required"].push_back(it.key());
    return schema;
}

Shape::Shape(std::initializer_list<Property> fields) : schema_(output(fields)) {}

Json Shape::operator()(std::initializer_list<Property> values) const
{
    const Json& fields = schema_["properties"];
    Json object = Json::object();
    for (const auto& [name, value] : values) {
        if (!fields.contains(name))
            throw std::logic_error(std::string("the result's field '") + name + "' is not in its output schema");
        if (object.contains(name))
            throw std::logic_error(std::string("the result's field '") + name + "' is given twice");
        if (!fitsType(fields[name], value))
            throw std::logic_error(std::string("the result's field '") + name + "' is " + value.type_name() +
                                   ", not " + fields[name]["type"].dump());
        object[name] = value;
    }
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        if (!object.contains(it.key()))
            throw std::logic_error("the result lacks the field '" + it.key() + "' of its output schema");
    return object;
}

namespace {
bool isOfType(const std::string& type, const Json& value)
{
    return (type == "object" && value.is_object()) || (type == "array" && value.is_array()) ||
           (type == "string" && value.is_string()) || (type == "boolean" && value.is_boolean()) ||
           (type == "integer" && value.is_number_integer()) || (type == "number" && value.is_number()) ||
           (type == "null" && value.is_null());
}

bool isOf(const Json& schema, const Json& value)
{
    if (!schema.is_object() || !schema.contains("type"))
        return true;
    const Json& type = schema["type"];
    if (type.is_string())
        return isOfType(type.get_ref<const std::string&>(), value);
    for (const Json& each : type)
        if (each.is_string() && isOfType(each.get_ref<const std::string&>(), value))
            return true;
    return false;
}
} // namespace

bool fitsType(const Json& schema, const Json& value)
{
    if (!isOf(schema, value))
        return false;
    if (value.is_array() && schema.contains("items"))
        for (const Json& item : value)
            if (!isOf(schema["items"], item))
                return false;
    return true;
}

Json outInteger() { return {{"type", "integer"}}; }
Json outString() { return {{"type", "string"}}; }
Json outBoolean() { return {{"type", "boolean"}}; }
Json outArray(Json items) { return {{"type", "array"}, {"items", std::move(items)}}; }
Json outNullable(const char* type) { return {{"type", Json::array({type, "null"})}}; }

ToolResult success(Json structured, const std::string& text)
{
    // Many clients hand the model only the text: it holds the whole result, the short
    // account first and then the structured result as JSON.
    ToolResult result;
    std::string whole = text;
    while (!whole.empty() && whole.back() == '\n')
        whole.pop_back();
    whole += '\n';
    whole += structured.dump();
    result.content.push_back({{"type", "text"}, {"text", std::move(whole)}});
    result.structured = std::move(structured);
    return result;
}

ToolResult successText(const std::string& text)
{
    ToolResult result;
    result.content.push_back({{"type", "text"}, {"text", text}});
    return result;
}

ToolResult failure(const std::string& message)
{
    ToolResult result;
    result.content.push_back({{"type", "text"}, {"text", message}});
    result.isError = true;
    return result;
}

int64_t number(const Json& arguments, const char* name, int64_t otherwise)
{
    if (!arguments.is_object() || !arguments.contains(name))
        return otherwise;
    return arguments[name].get<int64_t>();
}

bool has(const Json& arguments, const char* name)
{
    return arguments.is_object() && arguments.contains(name);
}

std::string string(const Json& arguments, const char* name)
{
    if (!has(arguments, name))
        return {};
    return arguments[name].get<std::string>();
}

bool pathArgument(const Json& arguments, const char* name, std::filesystem::path& path, std::string& error)
{
    const std::string text = string(arguments, name);
    if (text.empty()) {
        error = std::string("'") + name + "' must not be empty";
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        error = std::string("'") + name + "' holds a NUL character, which no file name can";
        return false;
    }
    path = text;
    return true;
}

std::string hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "$%04X", value & 0xFFFF);
    return text;
}

std::string hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "$%02X", value & 0xFF);
    return text;
}

} // namespace ollendor::tool
