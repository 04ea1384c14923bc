#include "automation/json_rpc.h"

namespace ollendor {

namespace {

// The deepest nesting of arrays and objects in the text, counting outside strings only;
// stops counting once past the limit.
int nestingDepth(std::string_view text)
{
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > deepest && (deepest = depth) > maxJsonDepth)
                return deepest;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

} // namespace

ParsedMessage parseMessage(std::string_view text)
{
    ParsedMessage parsed;
    if (text.size() > maxMessageBytes) {
        parsed.error = "the message is longer than " + std::to_string(maxMessageBytes) + " bytes";
        return parsed;
    }
    if (nestingDepth(text) > maxJsonDepth) {
        parsed.error = "the message is nested deeper than " + std::to_string(maxJsonDepth) + " levels";
        return parsed;
    }
    parsed.value = Json::parse(text, nullptr, false);
    if (parsed.value.is_discarded()) {
        parsed.value = Json();
        parsed.error = "the message is not valid JSON";
        return parsed;
    }
    parsed.ok = true;
    return parsed;
}

std::string messageText(const Json& message)
{
    return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json resultMessage(const Json& id, Json result)
{
    return Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

Json errorMessage(const Json& id, int code, const std::string& message)
{
    return Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

std::string clipped(std::string_view text, size_t limit)
{
    if (text.size() <= limit)
        return std::string(text);
    size_t cut = limit;
    // Back to the start of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut)) + "...";
}

} // namespace ollendor
