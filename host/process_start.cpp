#include "host/process_start.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace ollendor {

namespace {
bool closedAtStart[3] = {};
} // namespace

bool standardDescriptorWasClosed(int descriptor)
{
    return descriptor >= 0 && descriptor <= 2 && closedAtStart[descriptor];
}

void openStandardDescriptors()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        closedAtStart[descriptor] = true;
        // open gives the lowest free descriptor: this one, as those below are open.
        const int opened = ::open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            ::dup2(opened, descriptor);
            ::close(opened);
        }
    }
}

void ignoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace ollendor
