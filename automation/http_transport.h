// The Streamable HTTP transport on 127.0.0.1 only: POST /mcp takes one JSON-RPC message
// and answers it with one JSON response (202 and no body for a notification); GET gets
// 405, as the server opens no streams of its own; DELETE ends the session.
//
// Sessions: the answer to initialize carries a new Mcp-Session-Id, which every later
// request must carry (400 without one, 404 for one the server does not know). A request
// whose Origin is not a page of this machine (localhost, 127.0.0.1, [::1]), or whose Host
// names another machine, is refused with 403: a web page elsewhere cannot reach the
// server through the browser (DNS rebinding). With a token, every request must carry it
// as "Authorization: Bearer TOKEN" (401 otherwise).
//
// At most 64 sessions are open at once; beyond that a new one is refused (503) unless one
// has not been used for two minutes, which then ends to make room.
//
// Requests are answered by a pool of threads. A request that waits for the machine
// (resume with until_stop_ms) holds one: at most maxHttpWaiters wait at once (others
// answer at once), and a wait ends as soon as its client closes the connection.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "automation/protocol.h"

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace ollendor {

inline constexpr int maxHttpWaiters = 8;

struct HttpSettings {
    int port = 0;      // 0: any free port
    std::string token; // empty: none required
    std::vector<std::filesystem::path> readableFolders = {}; // load_binary reads files inside these alone
};

class HttpTransport {
public:
    HttpTransport(MachineAccess& machine, HttpSettings settings);
    ~HttpTransport();
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    // Binds 127.0.0.1 and starts serving; false with the reason when the port cannot be had.
    bool start(std::string& error);
    // The port served (the one chosen, with port 0).
    int port() const { return port_; }
    // Stops serving; requests being answered are finished first.
    void stop();

    // Whether an Origin or Host header value names this machine (exposed for the tests).
    static bool localOrigin(const std::string& origin);
    static bool localHost(const std::string& host);

private:
    bool admitted(const httplib::Request& request, httplib::Response& response) const;
    void post(const httplib::Request& request, httplib::Response& response);
    void remove(const httplib::Request& request, httplib::Response& response);
    std::shared_ptr<ClientSession> newSession(std::string& id);
    std::shared_ptr<ClientSession> findSession(const std::string& id);

    MachineAccess& machine_;
    HttpSettings settings_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex sessionsMutex_;
    std::map<std::string, std::shared_ptr<ClientSession>> sessions_;
    std::map<std::string, std::chrono::steady_clock::time_point> lastUsed_; // each session's last request
    std::atomic<int> waiters_{0};          // requests waiting for the machine now
    std::atomic<bool> listenEnded_{false}; // the server thread's listening returned
    std::atomic<int> listeningSocket_{-1}; // the socket bound (the library keeps it to itself)
};

} // namespace ollendor
