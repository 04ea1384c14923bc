#include "automation/request_queue.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace ollendor {

bool RequestQueue::run(const Job& job, std::string& error)
{
    Pending pending;
    pending.job = &job;
    std::unique_lock lock(mutex_);
    if (closed_) {
        error = "the emulator is shutting down";
        return false;
    }
    waiting_.push_back(&pending);
    if (wake_) {
        lock.unlock();
        wake_();
        lock.lock();
    }
    finished_.wait(lock, [&] { return pending.done || (closed_ && !pending.taken); });
    if (!pending.done) {
        // Closed before the loop took it: it is still in the queue, which owns no copy.
        waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), &pending), waiting_.end());
        error = "the emulator is shutting down";
        return false;
    }
    error = std::move(pending.error);
    return error.empty();
}

void RequestQueue::drain(Control& control)
{
    std::vector<Pending*> jobs;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || waiting_.empty())
            return;
        jobs.assign(waiting_.begin(), waiting_.end());
        waiting_.clear();
        for (Pending* pending : jobs)
            pending->taken = true;
    }
    for (Pending* pending : jobs) {
        std::string error;
        try {
            (*pending->job)(control);
        } catch (const std::exception& exception) {
            error = std::string("internal error: ") + exception.what();
        }
        std::lock_guard lock(mutex_);
        pending->error = std::move(error);
        pending->done = true;
    }
    finished_.notify_all();
}

void RequestQueue::close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    finished_.notify_all();
}

bool RequestQueue::closed() const
{
    std::lock_guard lock(mutex_);
    return closed_;
}

} // namespace ollendor
