// The automation server as the program runs it: the transports asked for on the command
// line, the queue they hand requests to, and the loop's side of it.
//
//   AutomationServer server(settings);
//   server.start(error);                                  // binds the port, starts reading
//   loop.setService([&] { return server.service(control); });
//   loop.run();
//   server.stop();                                        // before the control goes
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/machine_access.h"
#include "automation/protocol.h"
#include "automation/request_queue.h"

namespace ollendor {

class StdioTransport;
class HttpTransport;

struct AutomationSettings {
    bool stdio = false;            // --mcp-stdio
    std::optional<int> httpPort;   // --mcp-http PORT (0: any free port)
    std::string token;             // --mcp-token
    bool endWhenInputEnds = false; // headless: the run ends with standard input
    // load_binary over HTTP reads files inside these folders alone (the ROM and tape folders,
    // --load-dir); over standard input any file.
    std::vector<std::filesystem::path> readableFolders;
};

class AutomationServer {
public:
    explicit AutomationServer(AutomationSettings settings);
    ~AutomationServer();

    // Starts the transports; false, with the reason, when one cannot start.
    bool start(std::string& error);
    // The port the HTTP transport serves (0 without one).
    int httpPort() const;

    // The loop's thread, once per pass: carries out the requests waiting. False when the
    // run is to end: the client asked to quit, or standard input ended (headless).
    bool service(Control& control);

    // Called from a transport's thread whenever a request is queued: the loop wakes to
    // carry it out (see Loop::wake). Before start.
    void setWake(std::function<void()> wake) { queue_.setWake(std::move(wake)); }

    // Lets every waiting request go and stops the transports; after the loop, before the
    // control and the session go.
    void stop();

private:
    AutomationSettings settings_;
    RequestQueue queue_;
    QueuedAccess access_{queue_};
    std::unique_ptr<StdioTransport> stdio_;
    std::unique_ptr<HttpTransport> http_;
    bool inputGoneReported_ = false;
};

} // namespace ollendor
