// The Model Context Protocol over JSON-RPC 2.0, whatever carries it: the lifecycle
// (initialize, notifications/initialized, ping), tools/list and tools/call.
//
// A message is answered on the thread that hands it in; the tools reach the machine
// through the MachineAccess given with it, so the same protocol runs in the program
// (through the loop's queue), in the tests and in the fuzz target (directly).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/json_rpc.h"
#include "automation/machine_access.h"

namespace ollendor {

// The version this server speaks; a client asking for one of the others listed in
// supportedProtocolVersion gets that one.
inline constexpr const char* latestProtocolVersion = "2025-06-18";
bool supportedProtocolVersion(std::string_view version);

// What the server knows of one client (one standard input, one HTTP session).
struct ClientSession {
    bool initialized = false;    // the initialize request was answered
    std::string protocolVersion; // as agreed then
};

class McpProtocol {
public:
    // One message: the answer, or nothing for a notification or a response.
    static std::optional<Json> handle(const Json& message, ClientSession& session, MachineAccess& machine);
    // The same for a message as text; text that is not JSON is answered with a parse error.
    static std::optional<std::string> handleText(std::string_view text, ClientSession& session,
                                                 MachineAccess& machine);

    static bool isInitializeRequest(const Json& message);
};

} // namespace ollendor
