// The round trip of an automation request: get_registers over standard input and output,
// 1,000 times, against a headless run of the program paused and one running at the
// machine's own speed; the median and the 90th percentile. The same in the window (the
// desktop loop drawing and presenting) when there is an X display to open it on: run the
// bench under tests/e2e/with_x_server.sh for one of its own. The program is
// build/ollendor, or the one OLLENDOR_PROGRAM names (to compare two builds side by side).
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench.h"

namespace {

class Child {
public:
    explicit Child(const std::vector<std::string>& arguments)
    {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char*> argv;
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        to_ = in[1];
        from_ = out[0];
    }
    ~Child()
    {
        if (to_ >= 0)
            ::close(to_); // headless, the run ends with its input
        if (pid_ > 0) {
            int status = 0;
            for (int i = 0; i < 200 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i)
                ::usleep(10000);
            if (::waitpid(pid_, &status, WNOHANG) == 0) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
            }
        }
        if (from_ >= 0)
            ::close(from_);
    }
    bool send(const std::string& line)
    {
        const std::string whole = line + "\n";
        return ::write(to_, whole.data(), whole.size()) == ssize_t(whole.size());
    }
    // The next line that holds `needle` (others, such as notifications, are skipped);
    // empty after 10 s or at the end of the output.
    std::string lineWith(const std::string& needle)
    {
        for (;;) {
            const size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                if (line.find(needle) != std::string::npos)
                    return line;
                continue;
            }
            pollfd descriptor{from_, POLLIN, 0};
            if (::poll(&descriptor, 1, 10000) <= 0)
                return {};
            char chunk[65536];
            const ssize_t got = ::read(from_, chunk, sizeof chunk);
            if (got <= 0)
                return {};
            buffer_.append(chunk, size_t(got));
        }
    }

private:
    pid_t pid_ = -1;
    int to_ = -1, from_ = -1;
    std::string buffer_;
};

void measure(const char* what, std::vector<std::string> extra, bool windowed = false)
{
    const char* chosen = std::getenv("OLLENDOR_PROGRAM");
    const std::string program = chosen ? chosen : OLLENDOR_BINARY_DIR "/ollendor";
    char folder[] = "/tmp/ollendor-latency-XXXXXX"; // an empty ROM folder: the built-in ROM
    if (!::mkdtemp(folder))
        return;
    std::vector<std::string> arguments{program, "--mcp-stdio", "--rom-dir", folder};
    if (!windowed)
        arguments.insert(arguments.begin() + 1, "--headless");
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    std::vector<double> millis;
    {
        Child child(arguments);
        child.send(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"protocolVersion":"2025-06-18",)"
                   R"("capabilities":{},"clientInfo":{"name":"latency-bench","version":"1"}}})");
        if (child.lineWith(R"("id":0)").empty()) {
            std::printf("latency %-15s: the program did not answer (%s)\n", what, program.c_str());
            ::rmdir(folder);
            return;
        }
        child.send(R"({"jsonrpc":"2.0","method":"notifications/initialized"})");
        for (int i = 1; i <= 1000; ++i) {
            const std::string id = std::to_string(i);
            const auto start = std::chrono::steady_clock::now();
            child.send(R"({"jsonrpc":"2.0","id":)" + id +
                       R"(,"method":"tools/call","params":{"name":"get_registers","arguments":{}}})");
            if (child.lineWith(R"({"id":)" + id + ",").empty()) // the answer's fields come in name order
                break;
            millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    ::rmdir(folder);
    if (millis.empty())
        return;
    std::sort(millis.begin(), millis.end());
    std::printf("latency %-15s: get_registers round trip over stdio, %zu calls: median %.3f ms, 90%% %.3f ms, "
                "max %.3f ms\n",
                what, millis.size(), millis[millis.size() / 2], millis[millis.size() * 9 / 10], millis.back());
}

void latency()
{
    measure("paused", {"--paused"});
    measure("running", {});
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::printf("latency window         : no X display (run the bench under tests/e2e/with_x_server.sh)\n");
        return;
    }
    measure("window paused", {"--paused"}, true);
    measure("window running", {}, true);
}

const BenchSection latencySection("latency", 60, latency);

} // namespace
