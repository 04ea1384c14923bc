// The automation server's transports and the queue between them and the loop: requests
// carried out on the loop's thread, stdio lines in turn (a waiting request lets the next
// ones go), and the HTTP server's sessions and refusals, each over a real pipe or socket.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <chrono>
#include <csignal>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <poll.h>
#include <unistd.h>

#include <httplib.h>

#include "automation/http_transport.h"
#include "automation/machine_access.h"
#include "automation/request_queue.h"
#include "automation/stdio_transport.h"
#include "machine/rom_set.h"

using namespace ollendor;
using namespace std::chrono_literals;

namespace {

// The program's arrangement: a loop thread running the machine and draining the queue
// once per pass, the transports on threads of their own.
class LoopThread {
public:
    LoopThread() : session(builtinRomSet()), rewind(60), control(session, rewind)
    {
        control.pause();
        thread = std::thread([this] {
            while (!stop) {
                queue.drain(control);
                if (!control.runFrame())
                    std::this_thread::sleep_for(2ms);
            }
        });
    }
    ~LoopThread()
    {
        queue.close();
        stop = true;
        thread.join();
    }

    Session session;
    RewindBuffer rewind;
    Control control;
    RequestQueue queue;
    QueuedAccess access{queue};
    std::atomic<bool> stop{false};
    std::thread thread;
};

// A pipe pair standing in for standard input and output.
struct Pipes {
    Pipes()
    {
        EXPECT_EQ(pipe(toServer), 0);
        EXPECT_EQ(pipe(fromServer), 0);
    }
    ~Pipes()
    {
        for (int fd : {toServer[0], toServer[1], fromServer[0], fromServer[1]})
            if (fd >= 0)
                close(fd);
    }
    void send(const std::string& text)
    {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t wrote = write(toServer[1], text.data() + done, text.size() - done);
            ASSERT_GT(wrote, 0);
            done += size_t(wrote);
        }
    }
    void closeInput()
    {
        close(toServer[1]);
        toServer[1] = -1;
    }
    // The next answer line, or "" after the timeout.
    std::string line(std::chrono::milliseconds timeout = 10s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const size_t newline = pending.find('\n');
            if (newline != std::string::npos) {
                std::string text = pending.substr(0, newline);
                pending.erase(0, newline + 1);
                return text;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return {};
            pollfd descriptor{fromServer[0], POLLIN, 0};
            if (::poll(&descriptor, 1, int(left.count())) <= 0)
                continue;
            char buffer[65536];
            const ssize_t got = read(fromServer[0], buffer, sizeof buffer);
            if (got <= 0)
                return {};
            pending.append(buffer, size_t(got));
        }
    }
    Json answer() { return Json::parse(line()); }

    int toServer[2] = {-1, -1};
    int fromServer[2] = {-1, -1};
    std::string pending;
};

std::string toolCall(int id, const std::string& name, const Json& arguments = Json::object())
{
    return messageText({{"jsonrpc", "2.0"}, {"id", id}, {"method", "tools/call"},
                        {"params", {{"name", name}, {"arguments", arguments}}}}) + "\n";
}

} // namespace

TEST(AutomationQueue, JobsRunOnTheLoopThreadAndClosingLetsWaitersGo)
{
    RequestQueue queue;
    Session session(builtinRomSet());
    RewindBuffer rewind(4);
    Control control(session, rewind);
    std::thread::id ranOn;
    std::string error;
    std::thread client([&] {
        EXPECT_TRUE(queue.run([&](Control&) { ranOn = std::this_thread::get_id(); }, error));
    });
    while (ranOn == std::thread::id()) {
        queue.drain(control);
        std::this_thread::sleep_for(1ms);
    }
    client.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // A job that throws is an error for its caller, not for the loop.
    std::thread thrower([&] {
        std::string why;
        EXPECT_FALSE(queue.run([](Control&) { throw std::runtime_error("boom"); }, why));
        EXPECT_NE(why.find("boom"), std::string::npos);
    });
    std::this_thread::sleep_for(20ms);
    queue.drain(control);
    thrower.join();

    // Nobody drains any more: closing lets the waiting caller go, and later ones at once.
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        std::string why;
        EXPECT_FALSE(queue.run([](Control&) { ADD_FAILURE() << "carried out after close"; }, why));
        EXPECT_EQ(why, "the emulator is shutting down");
        returned = true;
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(returned);
    queue.close();
    waiter.join();
    EXPECT_FALSE(queue.run([](Control&) {}, error));
    queue.drain(control); // nothing to do, and no crash
}

TEST(AutomationStdio, LinesAreAnsweredInTurnAndBadLinesGetErrors)
{
    LoopThread loop;
    Pipes pipes;
    StdioTransport transport(loop.access, pipes.toServer[0], pipes.fromServer[1]);
    transport.start();

    // In order: each sees what the one before it did.
    pipes.send(toolCall(1, "write_memory", {{"area", "cpu"}, {"address", 0xC000}, {"hex", "11"}}) +
               toolCall(2, "write_memory", {{"area", "cpu"}, {"address", 0xC000}, {"hex", "22"}}) +
               toolCall(3, "read_memory", {{"area", "cpu"}, {"address", 0xC000}, {"length", 1}}));
    for (int id = 1; id <= 3; ++id) {
        const Json reply = pipes.answer();
        EXPECT_EQ(reply["id"], id);
        if (id == 3) {
            EXPECT_EQ(reply["result"]["structuredContent"]["hex"], "22");
        }
    }

    // A line too long to keep, binary bytes, CR LF endings and blank lines.
    pipes.send(std::string(maxMessageBytes + 10, 'x') + "\n");
    EXPECT_EQ(pipes.answer()["error"]["code"], rpc::parseError);
    pipes.send(std::string("\x00\xFF\xFE{\x01", 5) + "\n\n   \n");
    EXPECT_EQ(pipes.answer()["error"]["code"], rpc::parseError);
    pipes.send("{\"jsonrpc\":\"2.0\",\"id\":4,\"method\":\"ping\"}\r\n");
    EXPECT_EQ(pipes.answer()["id"], 4);

    // A request waiting for the machine lets the next one go: the pause reaches the machine
    // the resume waits on, and the resume then reports that stop.
    // The two answers come from two workers, in either order.
    pipes.send(toolCall(5, "resume", {{"until_stop_ms", 20000}}) + toolCall(6, "pause"));
    Json first = pipes.answer();
    Json second = pipes.answer();
    if (first["id"] == 5)
        std::swap(first, second);
    EXPECT_EQ(first["id"], 6);
    EXPECT_EQ(second["id"], 5);
    EXPECT_EQ(second["result"]["structuredContent"]["state"], "paused");
    EXPECT_EQ(second["result"]["structuredContent"]["stop_reason"], "user");

    // The end of the input: once everything is answered, the client is gone.
    pipes.send("{\"jsonrpc\":\"2.0\",\"id\":7,\"method\":\"ping\"}");
    pipes.closeInput();
    EXPECT_EQ(pipes.answer()["id"], 7) << "a last line without its newline";
    for (int i = 0; i < 200 && !transport.finished(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(transport.finished());
    transport.stop();
}

TEST(AutomationStdio, WaitsLeaveRoomForAPauseAfterThem)
{
    LoopThread loop;
    Pipes pipes;
    StdioTransport transport(loop.access, pipes.toServer[0], pipes.fromServer[1]);
    transport.start();

    // More waits than may wait at once, then a pause: the pause is carried out at once and
    // ends the waits; the wait with no room answers at once, saying it did not wait.
    std::string waits;
    for (int id = 1; id <= maxStdioWaiters + 1; ++id)
        waits += toolCall(id, "resume", {{"until_stop_ms", 30000}});
    pipes.send(waits + toolCall(100, "pause"));
    const auto start = std::chrono::steady_clock::now();
    int refused = 0, stoppedByPause = 0;
    bool pauseAnswered = false;
    for (int i = 0; i < maxStdioWaiters + 2; ++i) {
        const std::string line = pipes.line(5s);
        ASSERT_FALSE(line.empty()) << "answer " << i << " did not come";
        const Json reply = Json::parse(line);
        const Json& result = reply["result"];
        if (reply["id"] == 100) {
            pauseAnswered = true;
            continue;
        }
        if (result["content"][0]["text"].get<std::string>().find("not waiting") != std::string::npos)
            ++refused;
        else if (result["structuredContent"]["stop_reason"] == "user")
            ++stoppedByPause;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(pauseAnswered);
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(stoppedByPause, maxStdioWaiters);
    loop.queue.close();
    transport.stop();
}

// A wait ended by another request's pause says so, even when that request has let the
// machine run on again by the time the wait answers.
TEST(AutomationStdio, AWaitEndedByAnotherRequestsPauseSaysSo)
{
    LoopThread loop;
    Pipes pipes;
    StdioTransport transport(loop.access, pipes.toServer[0], pipes.fromServer[1]);
    transport.start();
    pipes.send(toolCall(1, "resume", {{"until_stop_ms", 20000}}));
    std::this_thread::sleep_for(200ms);
    pipes.send(toolCall(2, "pause") + toolCall(3, "resume"));
    for (int i = 0; i < 3; ++i) {
        const Json reply = pipes.answer();
        if (reply["id"] != 1)
            continue;
        const std::string text = reply["result"]["content"][0]["text"];
        EXPECT_NE(text.find("another request"), std::string::npos) << text;
    }
    loop.queue.close();
    transport.stop();
}

TEST(AutomationStdio, StopEndsAWaitingRequestAndAnOpenInput)
{
    LoopThread loop;
    Pipes pipes;
    StdioTransport transport(loop.access, pipes.toServer[0], pipes.fromServer[1]);
    transport.start();
    pipes.send(toolCall(1, "resume", {{"until_stop_ms", 60000}}));
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    loop.queue.close(); // what the server does first when the run ends
    transport.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "no wait for the client or the minute";
    EXPECT_FALSE(transport.finished()) << "the input is still open";
}

TEST(AutomationStdio, AnOutputThatCannotBeWrittenEndsTheClient)
{
    // As the program does from its start (host/quit_signal.h): a closed pipe is an error
    // of the write, not a signal that ends the process.
    std::signal(SIGPIPE, SIG_IGN);
    LoopThread loop;
    Pipes pipes;
    close(pipes.fromServer[0]);
    pipes.fromServer[0] = -1;
    StdioTransport transport(loop.access, pipes.toServer[0], pipes.fromServer[1]);
    transport.start();
    pipes.send("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\"}\n");
    for (int i = 0; i < 400 && !transport.finished(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(transport.finished());
    transport.stop();
}

TEST(AutomationStdio, AClientThatVanishesWhileARequestWaitsEndsItAtOnce)
{
    std::signal(SIGPIPE, SIG_IGN);
    LoopThread loop;
    Pipes pipes;
    StdioTransport transport(loop.access, pipes.toServer[0], pipes.fromServer[1]);
    transport.start();
    pipes.send(toolCall(1, "resume", {{"until_stop_ms", 60000}}));
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(transport.finished());
    const auto start = std::chrono::steady_clock::now();
    close(pipes.fromServer[0]); // the client is gone, its input still open
    pipes.fromServer[0] = -1;
    for (int i = 0; i < 400 && !transport.finished(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(transport.finished());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    loop.queue.close();
    transport.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "the waiting request did not hold the end";
}

TEST(AutomationHttp, OriginsAndHostsOfThisMachineOnly)
{
    for (const char* local : {"http://localhost", "http://localhost:3000", "https://127.0.0.1:8443", "http://[::1]:80",
                              "HTTP://LOCALHOST"})
        EXPECT_TRUE(HttpTransport::localOrigin(local)) << local;
    for (const char* other : {"http://evil.example", "http://localhost.evil.example", "http://127.0.0.1.evil.example",
                              "http://localhost:80@evil.example", "null", "file://", "http://[::1].evil", "localhost",
                              "http://127.0.0.2", "http://localhost:x"})
        EXPECT_FALSE(HttpTransport::localOrigin(other)) << other;
    for (const char* host : {"localhost", "127.0.0.1:9000", "[::1]:9000"})
        EXPECT_TRUE(HttpTransport::localHost(host)) << host;
    for (const char* host : {"evil.example", "evil.example:9000", "127.0.0.1.nip.io", ""})
        EXPECT_FALSE(HttpTransport::localHost(host)) << host;
}

TEST(AutomationHttp, SessionsTokensAndRefusals)
{
    LoopThread loop;
    HttpTransport transport(loop.access, HttpSettings{0, "tok"});
    std::string error;
    ASSERT_TRUE(transport.start(error)) << error;
    ASSERT_GT(transport.port(), 0);
    httplib::Client client("127.0.0.1", transport.port());
    client.set_read_timeout(10, 0);
    const httplib::Headers auth = {{"Authorization", "Bearer tok"}};
    const std::string initialize =
        R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2025-03-26"}})";
    const std::string ping = R"({"jsonrpc":"2.0","id":2,"method":"ping"})";

    auto response = client.Post("/mcp", initialize, "application/json");
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 401) << "no token";
    response = client.Post("/mcp", {{"Authorization", "Bearer to"}}, initialize, "application/json");
    EXPECT_EQ(response->status, 401) << "a wrong token";
    response = client.Post("/mcp", {{"Authorization", "Basic tok"}}, initialize, "application/json");
    EXPECT_EQ(response->status, 401) << "another scheme";
    // The scheme's name is not case sensitive; the token is.
    response = client.Post("/mcp", {{"Authorization", "bearer tok"}}, R"({"jsonrpc":"2.0","id":1,"method":"ping"})",
                           "application/json");
    EXPECT_EQ(response->status, 400) << "past the token check, to the missing session";
    response = client.Post("/mcp", {{"Authorization", "Bearer TOK"}}, initialize, "application/json");
    EXPECT_EQ(response->status, 401);
    response = client.Post("/mcp", {{"Authorization", "Bearer tok"}, {"Origin", "http://evil.example"}}, initialize,
                           "application/json");
    EXPECT_EQ(response->status, 403);

    response = client.Post("/mcp", auth, initialize, "application/json");
    ASSERT_EQ(response->status, 200);
    const std::string id = response->get_header_value("Mcp-Session-Id");
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(Json::parse(response->body)["result"]["protocolVersion"], "2025-03-26");
    httplib::Headers session = auth;
    session.emplace("Mcp-Session-Id", id);

    response = client.Post("/mcp", session, ping, "application/json");
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(Json::parse(response->body)["id"], 2);
    response = client.Post("/mcp", auth, ping, "application/json");
    EXPECT_EQ(response->status, 400) << "no session";
    httplib::Headers unknown = auth;
    unknown.emplace("Mcp-Session-Id", "0123");
    EXPECT_EQ(client.Post("/mcp", unknown, ping, "application/json")->status, 404);
    EXPECT_EQ(client.Post("/mcp", session, ping, "text/plain")->status, 415);
    httplib::Headers badVersion = session;
    badVersion.emplace("MCP-Protocol-Version", "1999-01-01");
    EXPECT_EQ(client.Post("/mcp", badVersion, ping, "application/json")->status, 400);
    response = client.Post("/mcp", session, "{\"jsonrpc\":", "application/json");
    EXPECT_EQ(response->status, 400);
    EXPECT_EQ(Json::parse(response->body)["error"]["code"], rpc::parseError);
    EXPECT_EQ(client.Post("/mcp", session, R"({"jsonrpc":"2.0","method":"notifications/initialized"})",
                          "application/json")->status, 202);
    EXPECT_EQ(client.Get("/mcp", session)->status, 405);
    EXPECT_EQ(client.Post("/elsewhere", session, ping, "application/json")->status, 404);
    response = client.Post("/mcp", session, std::string(maxMessageBytes + 1, ' '), "application/json");
    EXPECT_TRUE(!response || response->status == 413) << "too large";

    // A tool through the queue, on the loop's thread.
    response = client.Post("/mcp", session, toolCall(3, "get_status"), "application/json");
    EXPECT_EQ(Json::parse(response->body)["result"]["structuredContent"]["state"], "paused");

    EXPECT_EQ(client.Delete("/mcp", session)->status, 204);
    EXPECT_EQ(client.Post("/mcp", session, ping, "application/json")->status, 404) << "the session ended";

    loop.queue.close();
    transport.stop();
}

TEST(AutomationHttp, ManyClientsAtOnceAndOnesThatGiveUp)
{
    LoopThread loop;
    HttpTransport transport(loop.access, HttpSettings{0, ""});
    std::string error;
    ASSERT_TRUE(transport.start(error)) << error;
    const int port = transport.port();
    std::mutex mutex;
    std::vector<std::string> problems;
    std::vector<std::thread> clients;
    for (int i = 0; i < 24; ++i) {
        clients.emplace_back([&, i] {
            const auto problem = [&](const std::string& what) {
                std::lock_guard lock(mutex);
                problems.push_back("client " + std::to_string(i) + ": " + what);
            };
            httplib::Client client("127.0.0.1", port);
            client.set_read_timeout(20, 0);
            auto init = client.Post("/mcp", R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})",
                                    "application/json");
            if (!init || init->status != 200)
                return problem("initialize: " + (init ? std::to_string(init->status) : httplib::to_string(init.error())));
            const httplib::Headers session = {{"Mcp-Session-Id", init->get_header_value("Mcp-Session-Id")}};
            const bool givesUp = i % 3 == 0;
            if (givesUp)
                client.set_read_timeout(0, 50000); // leaves while the server waits for the machine
            const std::string body = givesUp || i % 2 ? toolCall(2, "resume", {{"until_stop_ms", 300}}) : toolCall(2, "get_status");
            auto reply = client.Post("/mcp", session, body, "application/json");
            if (givesUp)
                return;
            if (!reply || reply->status != 200 || !Json::parse(reply->body).contains("result"))
                problem("call: " + (reply ? std::to_string(reply->status) + " " + reply->body : httplib::to_string(reply.error())));
        });
    }
    for (std::thread& client : clients)
        client.join();
    for (const std::string& problem : problems)
        ADD_FAILURE() << problem;
    // The server still answers, and stops promptly.
    httplib::Client client("127.0.0.1", port);
    auto reply = client.Post("/mcp", R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})", "application/json");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    const auto start = std::chrono::steady_clock::now();
    loop.queue.close();
    transport.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
}

// A raw connection that sends one request and keeps its end open until closed.
class RawRequest {
public:
    RawRequest(int port, const std::string& session, const std::string& body)
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const std::string request = "POST /mcp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                                    "Mcp-Session-Id: " + session + "\r\nContent-Length: " + std::to_string(body.size()) +
                                    "\r\n\r\n" + body;
        EXPECT_EQ(send(fd_, request.data(), request.size(), 0), ssize_t(request.size()));
    }
    ~RawRequest() { close(fd_); }

private:
    int fd_ = -1;
};

TEST(AutomationHttp, WaitsAreCappedAndEndWithTheirConnection)
{
    LoopThread loop;
    std::string unused;
    loop.queue.run([](Control& control) { control.resume(); }, unused); // nothing will stop it
    HttpTransport transport(loop.access, HttpSettings{0, ""});
    std::string error;
    ASSERT_TRUE(transport.start(error)) << error;
    httplib::Client client("127.0.0.1", transport.port());
    auto init = client.Post("/mcp", R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})", "application/json");
    ASSERT_TRUE(init);
    const std::string session = init->get_header_value("Mcp-Session-Id");
    const httplib::Headers headers = {{"Mcp-Session-Id", session}};
    const auto waitText = [&](int ms) {
        auto reply = client.Post("/mcp", headers, toolCall(9, "resume", {{"until_stop_ms", ms}}), "application/json");
        return reply ? Json::parse(reply->body)["result"]["content"][0]["text"].get<std::string>() : std::string();
    };

    std::vector<std::unique_ptr<RawRequest>> waiting;
    for (int i = 0; i < maxHttpWaiters; ++i)
        waiting.push_back(std::make_unique<RawRequest>(transport.port(), session, toolCall(i, "resume", {{"until_stop_ms", 30000}})));
    std::this_thread::sleep_for(300ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(waitText(20000).find("not waiting"), std::string::npos) << "one more than may wait";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);

    waiting.clear(); // the clients leave: their waits end
    std::this_thread::sleep_for(300ms);
    EXPECT_NE(waitText(200).find("no stop within 200 ms"), std::string::npos) << "room to wait again";
    loop.queue.close();
    const auto stopping = std::chrono::steady_clock::now();
    transport.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 5s);
}

// Connections that send a header line now and then and never finish their request, more
// of them than there are workers, do not keep a client with the token from its answer:
// the oldest of the connections with nothing admitted are closed to make room, and each
// request must arrive whole within its deadline.
TEST(AutomationHttp, DrippingConnectionsDoNotHoldTheServer)
{
    LoopThread loop;
    HttpTransport transport(loop.access, HttpSettings{0, "tok"});
    std::string error;
    ASSERT_TRUE(transport.start(error)) << error;
    std::atomic<bool> dripping{true};
    std::vector<int> drips;
    for (int i = 0; i < 64; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(transport.port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const std::string start = "POST /mcp HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        send(fd, start.data(), start.size(), MSG_NOSIGNAL);
        drips.push_back(fd);
    }
    std::thread dripper([&] {
        while (dripping) {
            for (int fd : drips)
                send(fd, "X-Drip: 1\r\n", 11, MSG_NOSIGNAL);
            std::this_thread::sleep_for(100ms);
        }
    });
    std::this_thread::sleep_for(300ms); // every dripping connection has been taken up

    httplib::Client client("127.0.0.1", transport.port());
    client.set_connection_timeout(20, 0);
    client.set_read_timeout(20, 0);
    const auto start = std::chrono::steady_clock::now();
    auto reply = client.Post("/mcp", {{"Authorization", "Bearer tok"}},
                             R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})", "application/json");
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_LT(took, 5s) << "the answer waited for the dripping connections";

    // No request is read for longer than its deadline: a dripping connection is closed.
    int closed = 0;
    for (int fd : drips) {
        // The server may answer the unfinished request (400) before it closes its end.
        char buffer[4096];
        ssize_t got;
        while ((got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
        }
        closed += got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK); // an end, or reset
    }
    EXPECT_GT(closed, 0);
    dripping = false;
    dripper.join();
    for (int fd : drips)
        close(fd);
    loop.queue.close();
    transport.stop();
}

// Beyond the most sessions at once, a new one is refused with a reason; the sessions in use
// all go on.
TEST(AutomationHttp, SessionsBeyondTheMostAreRefusedNotOthersEnded)
{
    LoopThread loop;
    HttpTransport transport(loop.access, HttpSettings{0, ""});
    std::string error;
    ASSERT_TRUE(transport.start(error)) << error;
    httplib::Client client("127.0.0.1", transport.port());
    const std::string initialize = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";
    std::vector<std::string> ids;
    for (int i = 0; i < 64; ++i) {
        auto reply = client.Post("/mcp", initialize, "application/json");
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->status, 200);
        ids.push_back(reply->get_header_value("Mcp-Session-Id"));
    }
    auto refused = client.Post("/mcp", initialize, "application/json");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 503);
    EXPECT_NE(refused->body.find("64 sessions are open"), std::string::npos) << refused->body;
    const std::string ping = R"({"jsonrpc":"2.0","id":2,"method":"ping"})";
    EXPECT_EQ(client.Post("/mcp", {{"Mcp-Session-Id", ids.front()}}, ping, "application/json")->status, 200);
    EXPECT_EQ(client.Delete("/mcp", {{"Mcp-Session-Id", ids.back()}})->status, 204);
    EXPECT_EQ(client.Post("/mcp", initialize, "application/json")->status, 200) << "room again";
    loop.queue.close();
    transport.stop();
}

TEST(AutomationHttp, APortInUseIsReported)
{
    LoopThread loop;
    HttpTransport first(loop.access, HttpSettings{0, ""});
    std::string error;
    ASSERT_TRUE(first.start(error));
    HttpTransport second(loop.access, HttpSettings{first.port(), ""});
    EXPECT_FALSE(second.start(error));
    EXPECT_NE(error.find("cannot listen on 127.0.0.1:" + std::to_string(first.port())), std::string::npos) << error;
    loop.queue.close();
}

// load_binary's path: over standard input any file is read; over HTTP only files inside
// the folders the user named, with links and ".." resolved first.
TEST(AutomationTransports, LoadBinaryReadsAnyPathOverStdioAndNamedFoldersOnlyOverHttp)
{
    const std::filesystem::path root = std::filesystem::temp_directory_path() / ("ollendor-load-" + std::to_string(getpid()));
    const std::filesystem::path named = root / "named", outside = root / "named-not";
    std::filesystem::create_directories(named / "sub");
    std::filesystem::create_directories(outside);
    auto write = [](const std::filesystem::path& file, const std::string& bytes) {
        FILE* out = std::fopen(file.c_str(), "wb");
        ASSERT_TRUE(out);
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    };
    write(named / "sub" / "in.bin", "\x11\x22");
    write(outside / "out.bin", "\x33\x44");
    std::filesystem::create_symlink(outside / "out.bin", named / "link.bin");

    LoopThread loop;
    auto loaded = [&](const Json& reply) {
        return reply.contains("result") && !reply["result"].value("isError", false);
    };
    {
        Pipes pipes;
        StdioTransport transport(loop.access, pipes.toServer[0], pipes.fromServer[1]);
        transport.start();
        pipes.send(toolCall(1, "load_binary", {{"path", (outside / "out.bin").string()}, {"address", "0xC000"}}) +
                   toolCall(2, "read_memory", {{"area", "cpu"}, {"address", 0xC000}, {"length", 2}}) +
                   toolCall(3, "load_binary", {{"path", (root / "none.bin").string()}, {"address", 0xC000}}) +
                   toolCall(4, "load_binary", {{"path", (outside / "out.bin").string()}, {"hex", "00"}, {"address", 0}}));
        EXPECT_TRUE(loaded(pipes.answer())) << "stdio: any path";
        EXPECT_EQ(pipes.answer()["result"]["structuredContent"]["hex"], "3344");
        const Json missing = pipes.answer();
        EXPECT_NE(missing.dump().find("no such file"), std::string::npos) << missing.dump();
        EXPECT_NE(pipes.answer().dump().find("either 'hex' or 'path'"), std::string::npos);
        transport.stop();
    }

    HttpTransport transport(loop.access, HttpSettings{0, "", {named}});
    std::string error;
    ASSERT_TRUE(transport.start(error)) << error;
    httplib::Client client("127.0.0.1", transport.port());
    client.set_read_timeout(10, 0);
    auto init = client.Post("/mcp", R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})", "application/json");
    ASSERT_TRUE(init);
    const httplib::Headers headers = {{"Mcp-Session-Id", init->get_header_value("Mcp-Session-Id")}};
    auto call = [&](const std::string& name, const Json& arguments) {
        auto reply = client.Post("/mcp", headers, toolCall(5, name, arguments), "application/json");
        return reply ? Json::parse(reply->body) : Json();
    };
    EXPECT_TRUE(loaded(call("load_binary", {{"path", (named / "sub" / "in.bin").string()}, {"address", 0xC000}})));
    EXPECT_EQ(call("read_memory", {{"area", "cpu"}, {"address", 0xC000}, {"length", 2}})["result"]["structuredContent"]["hex"],
              "1122");
    for (const std::filesystem::path& refused :
         {outside / "out.bin", named / "link.bin", named / "sub" / ".." / ".." / "named-not" / "out.bin"}) {
        const Json reply = call("load_binary", {{"path", refused.string()}, {"address", 0xC000}});
        EXPECT_FALSE(loaded(reply)) << refused;
        EXPECT_NE(reply.dump().find("only inside the folders"), std::string::npos) << reply.dump();
    }
    EXPECT_EQ(call("read_memory", {{"area", "cpu"}, {"address", 0xC000}, {"length", 2}})["result"]["structuredContent"]["hex"],
              "1122") << "nothing of a refused file reached memory";
    transport.stop();
    std::filesystem::remove_all(root);
}
