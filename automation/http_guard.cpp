#include "automation/http_guard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ollendor {

namespace {

using Clock = std::chrono::steady_clock;

// Waits are cut into slices this long, so a stopping server or a connection closed to
// make room is noticed soon.
constexpr int sliceMillis = 50;

// The connection the calling thread serves (each is served by one thread from start to end).
thread_local GuardedServer::Connection* currentConnection = nullptr;
thread_local std::mutex* currentMutex = nullptr; // the server's, which guards the flags

std::string addressText(const sockaddr_storage& address)
{
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof text);
    else if (address.ss_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text, sizeof text);
    return text;
}

int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return 0;
}

// One connection's bytes, read with the deadline of the request being read.
class GuardedStream final : public httplib::Stream {
public:
    GuardedStream(int socket, std::chrono::seconds readTimeout, std::chrono::seconds writeTimeout,
                  const std::atomic<socket_t>& serverSocket, std::function<bool()> giveWay)
        : socket_(socket), readTimeout_(readTimeout), writeTimeout_(writeTimeout), serverSocket_(serverSocket),
          giveWay_(std::move(giveWay))
    {
    }

    void setDeadline(Clock::time_point deadline) { deadline_ = deadline; }

    bool is_readable() const override { return available_ > 0 || waitFor(POLLIN, readTimeout_, true); }
    bool is_writable() const override { return waitFor(POLLOUT, writeTimeout_, false); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (available_ == 0) {
            if (!waitFor(POLLIN, readTimeout_, true))
                return -1;
            ssize_t got;
            do
                got = ::recv(socket_, buffer_, sizeof buffer_, 0);
            while (got < 0 && errno == EINTR);
            if (got <= 0)
                return got;
            start_ = 0;
            available_ = size_t(got);
        }
        const size_t count = std::min(size, available_);
        std::memcpy(ptr, buffer_ + start_, count);
        start_ += count;
        available_ -= count;
        return ssize_t(count);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!waitFor(POLLOUT, writeTimeout_, false))
            return -1;
        ssize_t sent;
        do
            sent = ::send(socket_, ptr, size, MSG_NOSIGNAL);
        while (sent < 0 && errno == EINTR);
        return sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            ip = addressText(address);
            port = portOf(address);
        }
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            ip = addressText(address);
            port = portOf(address);
        }
    }

    socket_t socket() const override { return socket_; }

    // Waits until the connection can be read or written, in slices: false when the
    // timeout passes, the request's deadline passes (reading), or the server stops.
    bool waitFor(short events, std::chrono::seconds timeout, bool reading) const
    {
        const Clock::time_point until = std::min(Clock::now() + timeout, reading ? deadline_ : Clock::time_point::max());
        for (;;) {
            if (serverSocket_ == INVALID_SOCKET || (reading && giveWay_()))
                return false;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
            if (left <= 0)
                return false;
            pollfd descriptor{socket_, events, 0};
            const int ready = ::poll(&descriptor, 1, int(std::min<long long>(left, sliceMillis)));
            if (ready > 0)
                return true; // an error or hang-up shows in the read or write that follows
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

private:
    int socket_;
    std::chrono::seconds readTimeout_, writeTimeout_;
    const std::atomic<socket_t>& serverSocket_;
    std::function<bool()> giveWay_; // reading: the connection is to make room for newer ones
    Clock::time_point deadline_ = Clock::time_point::max();
    char buffer_[4096];
    size_t start_ = 0, available_ = 0;
};

} // namespace

void GuardedServer::admitCurrentConnection()
{
    if (!currentConnection)
        return;
    std::lock_guard lock(*currentMutex);
    currentConnection->admitted = true;
}

int GuardedServer::currentSocket()
{
    return currentConnection ? currentConnection->socket : -1;
}

size_t GuardedServer::unadmittedCount()
{
    std::lock_guard lock(mutex_);
    return size_t(std::count_if(connections_.begin(), connections_.end(),
                                [](const Connection& c) { return !c.admitted; }));
}

bool GuardedServer::makesRoom(const Connection& connection)
{
    std::lock_guard lock(mutex_);
    if (connection.admitted || Clock::now() - connection.started < limits_.grace)
        return false;
    // Newer connections (later in the list) with nothing admitted: this one gives way to
    // them when there are as many as may be open at once.
    size_t newer = 0;
    bool after = false;
    for (const Connection& c : connections_) {
        if (&c == &connection)
            after = true;
        else if (after && !c.admitted)
            ++newer;
    }
    return newer >= limits_.unadmittedConnections;
}

bool GuardedServer::process_and_close_socket(socket_t sock)
{
    std::list<Connection>::iterator self;
    {
        std::lock_guard lock(mutex_);
        self = connections_.insert(connections_.end(), Connection{sock, Clock::now()});
    }
    currentConnection = &*self;
    currentMutex = &mutex_;
    Connection& connection = *self;

    GuardedStream stream(sock, std::chrono::seconds(read_timeout_sec_), std::chrono::seconds(write_timeout_sec_),
                         svr_sock_, [this, &connection] { return makesRoom(connection); });
    // The library's keep-alive loop: a request at a time while the client keeps the
    // connection, up to the most it allows on one.
    for (size_t count = keep_alive_max_count_; count > 0; --count) {
        stream.setDeadline(Clock::time_point::max());
        if (!stream.waitFor(POLLIN, std::chrono::seconds(keep_alive_timeout_sec_), true))
            break;
        // The request's bytes from now on, headers and body, have a time limit.
        stream.setDeadline(Clock::now() + limits_.requestDeadline);
        bool connectionClosed = false;
        if (!process_request(stream, count == 1, connectionClosed, nullptr) || connectionClosed)
            break;
    }

    currentConnection = nullptr;
    currentMutex = nullptr;
    {
        std::lock_guard lock(mutex_);
        connections_.erase(self);
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return true;
}

} // namespace ollendor
