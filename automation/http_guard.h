// The HTTP server's connections, guarded against clients that hold them without finishing
// a request: each request (its headers and its body) must arrive within a deadline, and
// only so many connections may be open at once that have not yet had a request admitted
// (past the Host, Origin and token checks): beyond that the oldest of them give way to the
// newer ones, each once it has had a short grace to send its request. So clients that
// drip a header line now and then, however many and however often they connect again,
// cannot keep the workers from a rightful client for longer than about the grace.
//
// cpp-httplib reads requests itself; GuardedServer takes over its per-connection loop
// (the keep-alive loop around each request) and gives it a stream of its own whose reads
// keep the deadline.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <mutex>

#include <httplib.h>

namespace ollendor {

struct ConnectionLimits {
    std::chrono::milliseconds requestDeadline{5000}; // the whole of one request, headers and body
    size_t unadmittedConnections = 16;              // open at once without an admitted request
    std::chrono::milliseconds grace{100};            // a connection's time before it may give way
};

class GuardedServer : public httplib::Server {
public:
    explicit GuardedServer(ConnectionLimits limits = {}) : limits_(limits) {}

    // Called by an admitted request's handler on its connection's thread: the connection
    // is no longer one that may be closed to make room.
    static void admitCurrentConnection();
    // The socket of the connection the calling thread serves, or -1 (a handler's).
    static int currentSocket();
    // Connections open now that have had no request admitted (for the tests).
    size_t unadmittedCount();

    struct Connection {
        int socket;
        std::chrono::steady_clock::time_point started;
        bool admitted = false; // a request on it passed the checks
    };

private:
    bool process_and_close_socket(socket_t sock) override;
    // Whether a connection with nothing admitted is to close for newer ones.
    bool makesRoom(const Connection& connection);

    ConnectionLimits limits_;
    std::mutex mutex_;
    std::list<Connection> connections_; // oldest first
};

} // namespace ollendor
