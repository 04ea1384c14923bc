#include "host/quit_signal.h"

#include <csignal>

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
}

bool quitSignalled()
{
    return signalled != 0;
}

void clearQuitSignal()
{
    signalled = 0;
}
