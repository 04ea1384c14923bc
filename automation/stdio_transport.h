// The stdio transport: one JSON-RPC message per line on standard input, one answer per
// line on standard output (nothing else is written there while it runs).
//
// A reader thread splits the input into lines (a line longer than maxMessageBytes is
// skipped to its end and answered with a parse error, never held whole), and a few
// workers answer them in turn: each message is carried out after the one before it,
// except that a request waiting for the machine (resume with until_stop_ms) lets the next
// ones go meanwhile, so a pause can reach a machine a client waits on (a request beyond
// maxStdioWaiters answers without waiting). The reader polls,
// so stop() ends it even while the input stays open. An output that can no longer be
// written (the program ignores SIGPIPE) ends the client as the end of the input does.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "automation/protocol.h"

namespace ollendor {

// Requests waiting for the machine at once; one more is answered at once without waiting.
// Fewer than the workers, so a worker is always free for the requests after them (a pause
// that would end the waits).
inline constexpr int maxStdioWaiters = 7;

class StdioTransport {
public:
    // Reads `input` and writes `output` (file descriptors: 0 and 1 in the program).
    StdioTransport(MachineAccess& machine, int input = 0, int output = 1);
    ~StdioTransport();
    StdioTransport(const StdioTransport&) = delete;
    StdioTransport& operator=(const StdioTransport&) = delete;

    void start();
    // Ends the reader and the workers (answers being written are finished).
    void stop();
    // The input has ended (or failed, or the output can no longer be written) and every
    // message read has been answered: the client is gone.
    bool finished() const;

private:
    void readInput();
    void work();
    struct Line {
        std::string text;
        bool tooLong = false; // dropped: longer than maxMessageBytes
    };
    void deliver(Line line);
    void write(const std::string& text);

    void passTurn(bool& passed);

    MachineAccess& machine_;
    int input_, output_;
    std::thread reader_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Line> lines_;
    size_t queuedBytes_ = 0;            // the text of lines_
    unsigned busy_ = 0;                 // lines being answered
    std::atomic<int> waiters_{0};       // of them, waiting for the machine
    bool turnFree_ = true;              // the next line may start
    std::atomic<bool> stopping_{false};
    std::atomic<bool> inputEnded_{false};
    std::atomic<bool> outputFailed_{false};
    std::atomic<bool> finished_{false};
    std::mutex writeMutex_;
};

} // namespace ollendor
