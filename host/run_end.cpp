#include "host/run_end.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace ollendor {

namespace {
void (*registered)() = nullptr;          // the run's finisher, null between runs
std::atomic<bool> finishing = false;     // the finisher has started (it runs once)

extern "C" void finishAtExit()
{
    finishRun();
}
} // namespace

void setRunFinisher(void (*finisher)())
{
    static const bool atExitRegistered = std::atexit(finishAtExit) == 0;
    (void)atExitRegistered;
    registered = finisher;
    finishing = false;
}

void finishRun()
{
    if (!registered || finishing.exchange(true))
        return;
    registered();
}

void abandonRun(const char* message)
{
    finishRun();
    std::fprintf(stderr, "ollendor: %s\n", message);
    std::fflush(nullptr);
    _exit(1);
}

} // namespace ollendor
