// Requests for the machine, handed from the server's threads to the loop's thread.
//
// The transports read and answer on threads of their own; nothing but the loop's thread
// touches the machine. A transport thread puts a job in the queue and waits; the loop
// drains the queue once per pass (between frames, or every few milliseconds while paused)
// and carries the jobs out there, between instructions; a job put in wakes the loop from
// its sleep, so it is carried out at once while paused and between frames while running. Once the queue is closed (the run
// is ending) no job is taken any more and every waiting thread is let go.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace ollendor {

class Control;

class RequestQueue {
public:
    using Job = std::function<void(Control&)>;

    // Any thread but the loop's: carries the job out on the loop's thread and waits for
    // it. False when it was not carried out (the queue is closed); `error` then says why,
    // or gives the message of an exception the job threw.
    bool run(const Job& job, std::string& error);

    // The loop's thread: carries out every job waiting now.
    void drain(Control& control);

    // Called (on the requesting thread) each time a job is put in the queue, so that the
    // loop need not sleep out its pause or pacing before it drains it. Set before any
    // request can come.
    void setWake(std::function<void()> wake) { wake_ = std::move(wake); }

    // No job is taken from now on; waiting threads whose job was not started return false.
    void close();
    bool closed() const;

private:
    struct Pending {
        const Job* job = nullptr;
        bool taken = false; // the loop has it: the waiter must wait for it to finish
        bool done = false;
        std::string error;
    };

    mutable std::mutex mutex_;
    std::condition_variable finished_;
    std::deque<Pending*> waiting_;
    bool closed_ = false;
    std::function<void()> wake_;
};

} // namespace ollendor
