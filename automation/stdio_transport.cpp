#include "automation/stdio_transport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>

#include <poll.h>
#include <unistd.h>

namespace ollendor {

namespace {

constexpr unsigned workerCount = maxStdioWaiters + 1;
// The reader waits beyond these (the client is ahead of the answers): a bound on the
// memory that lines waiting for their turn can hold.
constexpr size_t maxQueuedLines = 64;
constexpr size_t maxQueuedBytes = 4 * maxMessageBytes;
constexpr int pollMillis = 50;

// The machine as one message sees it: when the message starts waiting for the machine,
// the next message may start.
// A wait ends early once the client is gone: no one is left to answer. At most
// maxStdioWaiters wait at once: a worker stays free for the lines after them.
class TurnAccess final : public MachineAccess {
public:
    TurnAccess(MachineAccess& machine, std::function<void()> onWait, const std::atomic<bool>& gone,
               const std::atomic<bool>& inputEnded, std::atomic<int>& waiters)
        : machine_(machine), onWait_(std::move(onWait)), gone_(gone), inputEnded_(inputEnded), waiters_(waiters) {}
    bool run(const std::function<void(Control&)>& job, std::string& error) override { return machine_.run(job, error); }
    bool startWait() override
    {
        if (++waiters_ > maxStdioWaiters || !machine_.startWait()) {
            --waiters_;
            return false;
        }
        onWait_();
        return true;
    }
    void endWait() override
    {
        --waiters_;
        machine_.endWait();
    }
    // The client is gone when its output fails or its input ends: a wait ends at once
    // (nothing is left to read a later answer, and a headless run ends with its input).
    bool idle() override { return !gone_ && !inputEnded_ && machine_.idle(); }
    void requestQuit() override { machine_.requestQuit(); }
    FileReach fileReach() const override { return {true, {}}; }

private:
    MachineAccess& machine_;
    std::function<void()> onWait_;
    const std::atomic<bool>& gone_;
    const std::atomic<bool>& inputEnded_;
    std::atomic<int>& waiters_;
};

} // namespace

StdioTransport::StdioTransport(MachineAccess& machine, int input, int output)
    : machine_(machine), input_(input), output_(output)
{
}

StdioTransport::~StdioTransport()
{
    stop();
}

void StdioTransport::start()
{
    reader_ = std::thread([this] { readInput(); });
    for (unsigned i = 0; i < workerCount; ++i)
        workers_.emplace_back([this] { work(); });
}

void StdioTransport::stop()
{
    {
        // Set under the mutex: a waiter that has just checked its predicate and is about to
        // sleep would otherwise miss this notification and sleep for ever (a lost wake-up).
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (reader_.joinable())
        reader_.join();
    for (std::thread& worker : workers_)
        if (worker.joinable())
            worker.join();
    workers_.clear();
}

bool StdioTransport::finished() const
{
    return finished_ || outputFailed_;
}

void StdioTransport::deliver(Line line)
{
    if (!line.text.empty() && line.text.back() == '\r')
        line.text.pop_back();
    if (!line.tooLong && line.text.find_first_not_of(" \t") == std::string::npos)
        return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        return (lines_.size() < maxQueuedLines && (lines_.empty() || queuedBytes_ + line.text.size() <= maxQueuedBytes)) ||
               stopping_;
    });
    if (stopping_)
        return;
    queuedBytes_ += line.text.size();
    lines_.push_back(std::move(line));
    changed_.notify_all();
}

void StdioTransport::readInput()
{
    std::string line;
    bool skipping = false; // in a line too long to keep: dropped up to its end
    char buffer[65536];
    bool ended = false;
    while (!stopping_ && !outputFailed_) {
        // The output is watched too: a pipe whose reader has gone reports an error at once,
        // so a client that vanished ends even a request waiting for the machine.
        pollfd descriptors[2] = {{input_, POLLIN, 0}, {output_, 0, 0}};
        const int ready = ::poll(descriptors, 2, pollMillis);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready > 0 && (descriptors[1].revents & (POLLERR | POLLHUP))) {
            outputFailed_ = true;
            break;
        }
        if (ready == 0 || (ready > 0 && descriptors[0].revents == 0))
            continue;
        if (ready < 0) {
            ended = true;
            break;
        }
        if (!(descriptors[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            ended = true; // not a descriptor that can be read (POLLNVAL)
            break;
        }
        const ssize_t got = ::read(input_, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0) {
            ended = true; // the end of the input, or it failed: the client is gone
            break;
        }
        const char* next = buffer;
        const char* const end = buffer + got;
        while (next < end) {
            const char* newline = static_cast<const char*>(std::memchr(next, '\n', size_t(end - next)));
            const char* stop = newline ? newline : end;
            if (!skipping) {
                if (line.size() + size_t(stop - next) > maxMessageBytes) {
                    line.clear();
                    line.shrink_to_fit();
                    skipping = true;
                } else {
                    line.append(next, stop);
                }
            }
            if (newline) {
                deliver(Line{std::move(line), skipping}); // a dropped line is answered as a parse error
                line.clear();
                skipping = false;
            }
            next = stop + (newline ? 1 : 0);
        }
    }
    if (!ended)
        return; // stopped: the input may still be open, and is no longer read
    // A last line without its newline is still a message.
    if (skipping || !line.empty())
        deliver(Line{std::move(line), skipping});
    std::lock_guard lock(mutex_);
    inputEnded_ = true;
    if (lines_.empty() && busy_ == 0)
        finished_ = true;
    changed_.notify_all();
}

void StdioTransport::work()
{
    for (;;) {
        Line line;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return (!lines_.empty() && turnFree_) || stopping_ || (inputEnded_ && lines_.empty()); });
            if (stopping_ || lines_.empty())
                return;
            line = std::move(lines_.front());
            lines_.pop_front();
            queuedBytes_ -= line.text.size();
            ++busy_;
            turnFree_ = false;
            changed_.notify_all(); // room for the reader
        }
        bool passed = false;
        TurnAccess machine(machine_, [&] { passTurn(passed); }, outputFailed_, inputEnded_, waiters_);
        std::optional<std::string> answer;
        if (line.tooLong) {
            answer = messageText(errorMessage(nullptr, rpc::parseError,
                                              "Parse error: the message is longer than " +
                                                  std::to_string(maxMessageBytes) + " bytes"));
        } else {
            ClientSession session; // the stdio client's session holds nothing this server relies on
            answer = McpProtocol::handleText(line.text, session, machine);
        }
        if (answer)
            write(*answer);
        passTurn(passed);
        std::lock_guard lock(mutex_);
        --busy_;
        if (inputEnded_ && lines_.empty() && busy_ == 0)
            finished_ = true;
    }
}

void StdioTransport::passTurn(bool& passed)
{
    if (passed)
        return;
    passed = true;
    std::lock_guard lock(mutex_);
    turnFree_ = true;
    changed_.notify_all();
}

void StdioTransport::write(const std::string& text)
{
    std::lock_guard lock(writeMutex_);
    if (outputFailed_)
        return;
    const std::string line = text + "\n";
    size_t done = 0;
    int waitedWhileStopping = 0;
    while (done < line.size()) {
        // A page at a time once the output can take more, so that a client that stops
        // reading cannot hold the writer past the end of the run.
        pollfd descriptor{output_, POLLOUT, 0};
        const int ready = ::poll(&descriptor, 1, pollMillis);
        if (ready == 0 || (ready < 0 && errno == EINTR)) {
            if (stopping_ && ++waitedWhileStopping * pollMillis > 2000) {
                outputFailed_ = true;
                return;
            }
            continue;
        }
        const size_t chunk = std::min<size_t>(line.size() - done, 4096);
        const ssize_t wrote = ready > 0 ? ::write(output_, line.data() + done, chunk) : -1;
        if (wrote < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (wrote <= 0) {
            // A closed pipe or a full disk: no answer can reach the client any more.
            std::fprintf(stderr, "ollendor: the automation client's output cannot be written; it is taken as gone\n");
            outputFailed_ = true;
            return;
        }
        done += size_t(wrote);
    }
}

} // namespace ollendor
