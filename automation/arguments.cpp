#include "automation/arguments.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace ollendor {

namespace {

const char* kindOf(const Json& value)
{
    switch (value.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::boolean: return "a boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: return "a whole number";
    case Json::value_t::number_float: return "a fractional number";
    case Json::value_t::string: return "a string";
    case Json::value_t::array: return "an array";
    case Json::value_t::object: return "an object";
    default: return "something else";
    }
}

std::string name(const std::string& key)
{
    std::string text = clipped(key);
    text.insert(text.begin(), '\'');
    text += '\'';
    return text;
}

// The whole number a value holds, if it is one; `beyond` when it does not fit 64 bits (the
// number then is the nearest end). A number written with a point or an exponent is whole
// when its fraction is zero ("5.0", "1e3"), as JSON Schema counts integers.
bool wholeNumber(const Json& value, int64_t& number, bool& beyond)
{
    constexpr int64_t most = std::numeric_limits<int64_t>::max();
    beyond = false;
    if (value.is_number_unsigned()) {
        const uint64_t u = value.get<uint64_t>();
        beyond = u > uint64_t(most);
        number = beyond ? most : int64_t(u);
        return true;
    }
    if (value.is_number_integer()) {
        number = value.get<int64_t>();
        return true;
    }
    if (value.is_number_float()) {
        const double d = value.get<double>();
        if (!std::isfinite(d) || std::trunc(d) != d)
            return false;
        // 2^63 is the first double past int64_t's range.
        beyond = d >= 9223372036854775808.0 || d < -9223372036854775808.0;
        number = beyond ? (d > 0 ? most : std::numeric_limits<int64_t>::min()) : int64_t(d);
        return true;
    }
    return false;
}

std::string checkValue(const std::string& what, const Json& schema, const Json& value)
{
    if (schema.contains("type") && schema["type"].is_array()) {
        // One of several types (an address: a number, or text naming one): the value is
        // checked as the type it has.
        for (const Json& each : schema["type"]) {
            const std::string type = each.get<std::string>();
            if ((type == "integer" && value.is_number()) || (type == "string" && value.is_string()) ||
                (type == "boolean" && value.is_boolean()) || (type == "array" && value.is_array())) {
                Json one = schema;
                one["type"] = type;
                return checkValue(what, one, value);
            }
        }
        std::string types;
        for (const Json& each : schema["type"])
            types += (types.empty() ? "" : " or ") + each.get<std::string>();
        return what + " must be " + types + ", not " + kindOf(value);
    }
    const std::string type = schema.value("type", "");
    if (type == "integer") {
        int64_t number = 0;
        bool beyond = false;
        if (!wholeNumber(value, number, beyond))
            return what + " must be a whole number, not " + kindOf(value);
        const int64_t low = schema.value("minimum", std::numeric_limits<int64_t>::min());
        const int64_t high = schema.value("maximum", std::numeric_limits<int64_t>::max());
        if (number < low || number > high || beyond)
            return what + " must be from " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
                   clipped(value.dump(), 24);
        return {};
    }
    if (type == "string") {
        if (!value.is_string())
            return what + " must be a string, not " + kindOf(value);
        const std::string& text = value.get_ref<const std::string&>();
        if (schema.contains("enum")) {
            for (const Json& allowed : schema["enum"])
                if (allowed == value)
                    return {};
            std::string list;
            for (const Json& allowed : schema["enum"])
                list += (list.empty() ? "" : ", ") + allowed.get<std::string>();
            return what + " must be one of " + list + ", not '" + clipped(text) + "'";
        }
        if (text.size() < schema.value("minLength", size_t(0)))
            return what + " must not be empty";
        if (text.size() > schema.value("maxLength", std::numeric_limits<size_t>::max()))
            return what + " is too long (at most " + std::to_string(schema["maxLength"].get<size_t>()) + " characters)";
        return {};
    }
    if (type == "boolean") {
        if (!value.is_boolean())
            return what + " must be true or false, not " + kindOf(value);
        return {};
    }
    if (type == "array") {
        if (!value.is_array())
            return what + " must be an array, not " + kindOf(value);
        if (value.size() < schema.value("minItems", size_t(0)))
            return what + " must hold at least " + std::to_string(schema["minItems"].get<size_t>()) + " item(s)";
        if (value.size() > schema.value("maxItems", std::numeric_limits<size_t>::max()))
            return what + " holds too many items (at most " + std::to_string(schema["maxItems"].get<size_t>()) + ")";
        for (size_t i = 0; i < value.size(); ++i) {
            std::string error = checkValue("item " + std::to_string(i) + " of " + what, schema["items"], value[i]);
            if (!error.empty())
                return error;
        }
        return {};
    }
    return what + " cannot be checked (the tool's schema is broken)";
}

} // namespace

std::string checkArguments(const Json& schema, const Json& arguments)
{
    static const Json none = Json::object();
    const Json& args = arguments.is_null() ? none : arguments;
    if (!args.is_object())
        return std::string("the arguments must be an object, not ") + kindOf(args);
    const Json& properties = schema.contains("properties") ? schema["properties"] : none;
    for (const auto& [key, value] : args.items()) {
        if (!properties.contains(key)) {
            std::string expected;
            for (const auto& [known, unused] : properties.items())
                expected += (expected.empty() ? "" : ", ") + known;
            return "unknown argument " + name(key) +
                   (expected.empty() ? " (this tool takes none)" : " (it takes: " + expected + ")");
        }
        std::string error = checkValue(name(key), properties[key], value);
        if (!error.empty())
            return error;
    }
    if (schema.contains("required"))
        for (const Json& required : schema["required"])
            if (!args.contains(required.get<std::string>()))
                return "missing argument " + name(required.get<std::string>());
    return {};
}

} // namespace ollendor
