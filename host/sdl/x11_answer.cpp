#include "host/sdl/x11_answer.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <X11/Xlib.h>

namespace ollendor {

DisplayAnswer askX11Display(const char* name, std::chrono::milliseconds limit)
{
    struct Asking {
        std::mutex mutex;
        std::condition_variable done;
        bool answered = false;
        DisplayAnswer answer = DisplayAnswer::silent;
    };
    auto asking = std::make_shared<Asking>();
    std::thread([asking, name = std::string(name)] {
        Display* display = XOpenDisplay(name.c_str());
        if (display)
            XCloseDisplay(display);
        const std::lock_guard lock(asking->mutex);
        asking->answer = display ? DisplayAnswer::answered : DisplayAnswer::refused;
        asking->answered = true;
        asking->done.notify_one();
    }).detach();
    std::unique_lock lock(asking->mutex);
    asking->done.wait_for(lock, limit, [&] { return asking->answered; });
    return asking->answered ? asking->answer : DisplayAnswer::silent;
}

} // namespace ollendor
