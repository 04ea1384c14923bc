// The HTTP server's connections, guarded against clients that hold them without finishing
// a request: each request (its headers and its body) must arrive within a deadline, and
// only so many connections may be open at once that have not yet had a request admitted
// (past the Host, Origin and token checks); a new one closes the oldest of those. So
// clients that drip a header line now and then, however many, cannot keep the workers
// from a rightful client.
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
        bool admitted = false;
        bool closedForRoom = false; // shut down to make room for a newer one
    };

private:
    bool process_and_close_socket(socket_t sock) override;

    ConnectionLimits limits_;
    std::mutex mutex_;
    std::list<Connection> connections_; // oldest first
};

} // namespace ollendor
