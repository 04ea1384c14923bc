// JSON-RPC 2.0 messages as the MCP transports carry them: one JSON object per message.
//
// Parsing is bounded before the JSON library sees the text: a message longer than
// maxMessageBytes or nested deeper than maxJsonDepth is refused as a parse error, so no
// message can make the server use unbounded memory or stack.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace ollendor {

using Json = nlohmann::json;

namespace rpc {
inline constexpr int parseError = -32700;
inline constexpr int invalidRequest = -32600;
inline constexpr int methodNotFound = -32601;
inline constexpr int invalidParams = -32602;
inline constexpr int internalError = -32603;
} // namespace rpc

// Far more than the largest request (a write_memory of 64 KiB is 128 KiB of hex).
inline constexpr size_t maxMessageBytes = 4u << 20;
inline constexpr int maxJsonDepth = 64;

struct ParsedMessage {
    bool ok = false;
    Json value;        // when ok
    std::string error; // why not
};

ParsedMessage parseMessage(std::string_view text);

// The message as one line of text (a string that is not valid UTF-8 is repaired, never
// refused: the text always goes out).
std::string messageText(const Json& message);

Json resultMessage(const Json& id, Json result);
Json errorMessage(const Json& id, int code, const std::string& message);

// At most `limit` bytes of a text from a client, cut at a character boundary, with "..."
// when cut: for quoting it in an error.
std::string clipped(std::string_view text, size_t limit = 40);

} // namespace ollendor
