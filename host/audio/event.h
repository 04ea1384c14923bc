// A manual-reset event: once set it stays set, waking every waiter, until reset.
// The sound thread waits on two of them; the audio device and the sound chip set them.
#pragma once

#include <condition_variable>
#include <mutex>

namespace ollendor {

class ManualResetEvent {
public:
    void set()
    {
        {
            std::lock_guard lock(mutex_);
            signalled_ = true;
        }
        changed_.notify_all();
    }

    void reset()
    {
        std::lock_guard lock(mutex_);
        signalled_ = false;
    }

    void wait()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return signalled_; });
    }

    bool isSet()
    {
        std::lock_guard lock(mutex_);
        return signalled_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};

} // namespace ollendor
