// How the tools reach the machine: through the loop's request queue when the server runs
// in the program, or directly (the tests and the fuzz target, which play the loop's part
// themselves).
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <vector>
#include <functional>
#include <string>
#include <thread>

#include "automation/request_queue.h"
#include "control/control.h"

namespace ollendor {

class MachineAccess {
public:
    virtual ~MachineAccess() = default;
    // Carries the job out where the machine lives; false (with the reason) when it was not
    // carried out.
    virtual bool run(const std::function<void(Control&)>& job, std::string& error) = 0;
    // A request that waits for the machine (the next stop) starts waiting (false: it may
    // not wait now, and answers at once), then lets some time pass at a time; idle gives
    // false when it is to give up (the run is ending, the client is gone). Every started
    // wait is ended with endWait.
    virtual bool startWait() { return true; }
    virtual void endWait() {}
    virtual bool idle() = 0;
    // The client asked to quit: the run ends once the answer is given.
    virtual void requestQuit() = 0;
    // Which files a request may read by name (load_binary's path): any (a client on
    // standard input runs as the user who started it), or only those inside these folders
    // (over HTTP: those the user named). Nothing unless a transport says otherwise.
    struct FileReach {
        bool any = false;
        std::vector<std::filesystem::path> folders;
    };
    virtual FileReach fileReach() const { return {}; }
};

// The program's: jobs go through the queue the loop drains.
class QueuedAccess final : public MachineAccess {
public:
    explicit QueuedAccess(RequestQueue& queue) : queue_(queue) {}
    bool run(const std::function<void(Control&)>& job, std::string& error) override
    {
        return queue_.run(job, error);
    }
    bool idle() override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !queue_.closed();
    }
    void requestQuit() override { quit_ = true; }
    bool quitRequested() const { return quit_; }

private:
    RequestQueue& queue_;
    std::atomic<bool> quit_{false};
};

// The caller's thread is the loop: jobs run at once, and time passing is a pass of the
// loop (a frame while the machine runs), at most `passesPerWait` for one request.
class DirectAccess final : public MachineAccess {
public:
    explicit DirectAccess(Control& control, unsigned passesPerWait = 600)
        : control_(control), passesPerWait_(passesPerWait) {}
    bool run(const std::function<void(Control&)>& job, std::string&) override
    {
        job(control_);
        return true;
    }
    bool startWait() override
    {
        passes_ = 0;
        return true;
    }
    bool idle() override
    {
        if (++passes_ > passesPerWait_)
            return false;
        control_.runFrame();
        return true;
    }
    void requestQuit() override { quit_ = true; }
    bool quitRequested() const { return quit_; }
    FileReach fileReach() const override { return {true, {}}; }

private:
    Control& control_;
    unsigned passesPerWait_;
    unsigned passes_ = 0;
    bool quit_ = false;
};

} // namespace ollendor
