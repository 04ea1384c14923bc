#include "automation/http_transport.h"

#include <algorithm>
#include <chrono>
#include <random>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include "automation/http_guard.h"

namespace ollendor {

namespace {

constexpr const char* endpoint = "/mcp";
constexpr size_t maxSessions = 64;
// A session unused this long may be ended to make room for a new one.
constexpr auto sessionIdleBeforeDropped = std::chrono::minutes(2);
constexpr size_t threadCount = 48;

void answerJson(httplib::Response& response, int status, const Json& message)
{
    response.status = status;
    response.set_content(messageText(message), "application/json");
}

void refuse(httplib::Response& response, int status, const std::string& why)
{
    answerJson(response, status, errorMessage(nullptr, rpc::invalidRequest, why));
}

// Lower case, for comparing host names.
std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

// "localhost", "127.0.0.1" or "[::1]", with or without ":port".
bool localAuthority(const std::string& authority)
{
    std::string host = lower(authority);
    if (!host.empty() && host[0] == '[') {
        const size_t close = host.find(']');
        if (close == std::string::npos)
            return false;
        const std::string rest = host.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || rest.find_first_not_of("0123456789", 1) != std::string::npos))
            return false;
        return host.substr(0, close + 1) == "[::1]";
    }
    const size_t colon = host.find(':');
    if (colon != std::string::npos) {
        if (host.find_first_not_of("0123456789", colon + 1) != std::string::npos)
            return false;
        host.resize(colon);
    }
    return host == "localhost" || host == "127.0.0.1";
}

// The same in time whatever the texts hold, so a wrong token tells nothing of the right one.
bool sameText(const std::string& a, const std::string& b)
{
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < a.size(); ++i)
        difference = static_cast<unsigned char>(difference | (a[i] ^ b[i % (b.empty() ? 1 : b.size())]));
    return difference == 0 && !b.empty();
}

// The socket of the connection a request came on: the one the calling thread serves.
int connectionSocket()
{
    return GuardedServer::currentSocket();
}

// The client closed its end (or the connection broke): no one is left to answer.
bool connectionClosed(int fd)
{
    if (fd < 0)
        return false;
    pollfd descriptor{fd, POLLRDHUP, 0};
    return ::poll(&descriptor, 1, 0) > 0 && (descriptor.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
}

// The machine as one HTTP request sees it: waits are counted, and end with the connection.
class RequestAccess final : public MachineAccess {
public:
    RequestAccess(MachineAccess& machine, std::atomic<int>& waiters, const std::vector<std::filesystem::path>& folders)
        : machine_(machine), waiters_(waiters), folders_(folders) {}
    bool run(const std::function<void(Control&)>& job, std::string& error) override { return machine_.run(job, error); }
    bool startWait() override
    {
        if (++waiters_ > maxHttpWaiters) {
            --waiters_;
            return false;
        }
        socket_ = connectionSocket();
        return machine_.startWait();
    }
    void endWait() override
    {
        --waiters_;
        machine_.endWait();
    }
    bool idle() override { return !connectionClosed(socket_) && machine_.idle(); }
    void requestQuit() override { machine_.requestQuit(); }
    // Any local process may reach the port: only the folders the user named are read.
    FileReach fileReach() const override { return {false, folders_}; }

private:
    MachineAccess& machine_;
    std::atomic<int>& waiters_;
    const std::vector<std::filesystem::path>& folders_;
    int socket_ = -1;
};

std::string randomSessionId()
{
    std::random_device random;
    std::string id;
    static constexpr char digits[] = "0123456789abcdef";
    for (int i = 0; i < 32; ++i)
        id += digits[random() & 15];
    return id;
}

} // namespace

bool HttpTransport::localOrigin(const std::string& origin)
{
    for (const char* scheme : {"http://", "https://"}) {
        const std::string prefix = scheme;
        if (lower(origin).rfind(prefix, 0) == 0)
            return localAuthority(origin.substr(prefix.size()));
    }
    return false;
}

bool HttpTransport::localHost(const std::string& host)
{
    return localAuthority(host);
}

HttpTransport::HttpTransport(MachineAccess& machine, HttpSettings settings)
    : machine_(machine), settings_(std::move(settings)), server_(std::make_unique<GuardedServer>())
{
}

HttpTransport::~HttpTransport()
{
    stop();
}

bool HttpTransport::start(std::string& error)
{
    httplib::Server& server = *server_;
    // Connections that have had no request admitted are capped (see http_guard.h), so
    // workers are always left for admitted clients.
    server.new_task_queue = [] { return new httplib::ThreadPool(threadCount); };
    server.set_payload_max_length(maxMessageBytes);
    server.set_keep_alive_timeout(2);
    server.set_read_timeout(3);
    server.set_write_timeout(5);
    // The library's default also sets SO_REUSEPORT, which would let a second server (any
    // program of this user) take the same port and half of the connections: only a quick
    // restart's SO_REUSEADDR here, so a port in use is refused.
    server.set_socket_options([this](int socket) {
        int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listeningSocket_ = socket;
    });
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        return admitted(request, response) ? httplib::Server::HandlerResponse::Unhandled
                                           : httplib::Server::HandlerResponse::Handled;
    });
    server.Post(endpoint, [this](const httplib::Request& request, httplib::Response& response) { post(request, response); });
    server.Get(endpoint, [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Allow", "POST, DELETE");
        refuse(response, 405, "this server opens no event streams; POST a message instead");
    });
    server.Delete(endpoint, [this](const httplib::Request& request, httplib::Response& response) { remove(request, response); });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        answerJson(response, 500, errorMessage(nullptr, rpc::internalError, "internal error"));
    });

    if (settings_.port == 0) {
        port_ = server.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) {
            error = "cannot listen on 127.0.0.1 (no port could be had)";
            return false;
        }
    } else if (!server.bind_to_port("127.0.0.1", settings_.port)) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(settings_.port) + " (is the port in use?)";
        return false;
    } else {
        port_ = settings_.port;
    }
    // The library listens with a backlog of 5: a burst of clients connecting at once would
    // find the queue full. Listening again sets the system's largest backlog.
    if (listeningSocket_ >= 0)
        ::listen(listeningSocket_, SOMAXCONN);
    thread_ = std::thread([this] {
        server_->listen_after_bind();
        listenEnded_ = true;
    });
    // stop() only reaches a server that has started listening: until then it would leave
    // the thread waiting in accept for good.
    while (!server.is_running() && !listenEnded_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (listenEnded_) {
        thread_.join();
        error = "cannot serve on 127.0.0.1:" + std::to_string(port_);
        return false;
    }
    return true;
}

void HttpTransport::stop()
{
    if (!thread_.joinable())
        return;
    server_->stop();
    thread_.join();
}

bool HttpTransport::admitted(const httplib::Request& request, httplib::Response& response) const
{
    // A refused request's body is never read: the connection ends with the answer, so what
    // is left of it cannot be taken for the next request.
    response.set_header("Connection", "close");
    if (request.has_header("Host") && !localHost(request.get_header_value("Host"))) {
        refuse(response, 403, "Forbidden: the Host header names another machine");
        return false;
    }
    if (request.has_header("Origin") && !localOrigin(request.get_header_value("Origin"))) {
        refuse(response, 403, "Forbidden: requests from that origin are not accepted");
        return false;
    }
    if (!settings_.token.empty()) {
        const std::string given = request.get_header_value("Authorization");
        const std::string prefix = "bearer "; // the scheme's name in any case, as HTTP has it
        if (given.size() <= prefix.size() || lower(given.substr(0, prefix.size())) != prefix ||
            !sameText(given.substr(prefix.size()), settings_.token)) {
            response.set_header("WWW-Authenticate", "Bearer");
            refuse(response, 401, "Unauthorized: this server needs its token (Authorization: Bearer TOKEN)");
            return false;
        }
    }
    response.headers.erase("Connection");
    GuardedServer::admitCurrentConnection();
    return true;
}

std::shared_ptr<ClientSession> HttpTransport::newSession(std::string& id)
{
    std::lock_guard lock(sessionsMutex_);
    const auto now = std::chrono::steady_clock::now();
    if (sessions_.size() >= maxSessions) {
        // Room is made only by a session nobody has used for a while: one in use is never
        // ended for a newcomer (a client opening session after session would end everyone's).
        auto idlest = std::min_element(lastUsed_.begin(), lastUsed_.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
        if (idlest == lastUsed_.end() || now - idlest->second < sessionIdleBeforeDropped)
            return nullptr;
        sessions_.erase(idlest->first);
        lastUsed_.erase(idlest);
    }
    do
        id = randomSessionId();
    while (sessions_.count(id));
    auto session = std::make_shared<ClientSession>();
    sessions_[id] = session;
    lastUsed_[id] = now;
    return session;
}

std::shared_ptr<ClientSession> HttpTransport::findSession(const std::string& id)
{
    std::lock_guard lock(sessionsMutex_);
    const auto found = sessions_.find(id);
    if (found == sessions_.end())
        return nullptr;
    lastUsed_[id] = std::chrono::steady_clock::now();
    return found->second;
}

void HttpTransport::post(const httplib::Request& request, httplib::Response& response)
{
    const std::string type = lower(request.get_header_value("Content-Type"));
    if (type.rfind("application/json", 0) != 0) {
        refuse(response, 415, "Unsupported Media Type: a message is sent as application/json");
        return;
    }
    if (request.has_header("MCP-Protocol-Version") &&
        !supportedProtocolVersion(request.get_header_value("MCP-Protocol-Version"))) {
        refuse(response, 400, "Bad Request: unsupported MCP-Protocol-Version");
        return;
    }
    const ParsedMessage parsed = parseMessage(request.body);
    if (!parsed.ok) {
        answerJson(response, 400, errorMessage(nullptr, rpc::parseError, "Parse error: " + parsed.error));
        return;
    }
    std::shared_ptr<ClientSession> session;
    std::string id;
    if (McpProtocol::isInitializeRequest(parsed.value)) {
        session = newSession(id);
        if (!session) {
            refuse(response, 503,
                   "Service Unavailable: " + std::to_string(maxSessions) +
                       " sessions are open and in use; end one (DELETE /mcp with its Mcp-Session-Id) first");
            return;
        }
        response.set_header("Mcp-Session-Id", id);
    } else {
        id = request.get_header_value("Mcp-Session-Id");
        if (id.empty()) {
            refuse(response, 400, "Bad Request: Mcp-Session-Id header is required (initialize first)");
            return;
        }
        session = findSession(id);
        if (!session) {
            refuse(response, 404, "Not Found: no such session (it ended, or the server restarted)");
            return;
        }
    }
    // Sessions are not shared between threads for their content: each request works on
    // its own copy of what initialize agreed.
    ClientSession state;
    {
        std::lock_guard lock(sessionsMutex_);
        state = *session;
    }
    RequestAccess access(machine_, waiters_, settings_.readableFolders);
    const std::optional<Json> answer = McpProtocol::handle(parsed.value, state, access);
    if (state.initialized) {
        std::lock_guard lock(sessionsMutex_);
        *session = state;
    }
    if (!answer) {
        response.status = 202;
        return;
    }
    answerJson(response, 200, *answer);
}

void HttpTransport::remove(const httplib::Request& request, httplib::Response& response)
{
    const std::string id = request.get_header_value("Mcp-Session-Id");
    std::lock_guard lock(sessionsMutex_);
    if (id.empty() || !sessions_.erase(id)) {
        refuse(response, 404, "Not Found: no such session");
        return;
    }
    lastUsed_.erase(id);
    response.status = 204;
}

} // namespace ollendor
