#include "host/host.h"

#include <cassert>

namespace {
Host* installed = nullptr;
}

void installHost(Host& host)
{
    installed = &host;
}

Host& host()
{
    assert(installed && "no host installed");
    return *installed;
}
