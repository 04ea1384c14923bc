#include "host/host.h"

#include <cassert>

namespace {
Host* installed = nullptr;
}

void installHost(Host& host)
{
    installed = &host;
}

void uninstallHost(Host& host)
{
    if (installed == &host)
        installed = nullptr;
}

Host& host()
{
    assert(installed && "no host installed");
    return *installed;
}
