#include "host/quit_signal.h"

#include <csignal>

#include "host/process_start.h"

namespace ollendor {

namespace {
volatile std::sig_atomic_t signalled = 0; // set by the handler, read by the event pump

extern "C" void onQuitSignal(int)
{
    signalled = 1;
}
} // namespace

void installQuitSignals()
{
    std::signal(SIGINT, onQuitSignal);
    std::signal(SIGTERM, onQuitSignal);
    struct sigaction hangUp {};
    if (::sigaction(SIGHUP, nullptr, &hangUp) != 0 || hangUp.sa_handler != SIG_IGN)
        std::signal(SIGHUP, onQuitSignal);
    ignoreBrokenPipes();
    // Past a file size limit (ulimit -f) a write then fails with EFBIG, reported and
    // cleaned up like a full disk, instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool quitSignalled()
{
    return signalled != 0;
}

void clearQuitSignal()
{
    signalled = 0;
}

} // namespace ollendor
