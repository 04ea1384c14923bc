// SDL's video start-up loads and unloads system libraries whose allocations outlive
// SDL_QuitSubSystem; under the leak checker those would fail every test that opens a
// window, so what is allocated while SDL's video is up is not counted as a leak.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define OLLENDOR_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OLLENDOR_LSAN 1
#endif
#endif
#ifdef OLLENDOR_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace ollendor {

inline void ignoreSdlAllocations(bool ignore)
{
#ifdef OLLENDOR_LSAN
    if (ignore)
        __lsan_disable();
    else
        __lsan_enable();
#else
    (void)ignore;
#endif
}

// For a test's scope: allocations made meanwhile are not counted as leaks.
class SdlAllocationsIgnored {
public:
    SdlAllocationsIgnored() { ignoreSdlAllocations(true); }
    ~SdlAllocationsIgnored() { ignoreSdlAllocations(false); }
    SdlAllocationsIgnored(const SdlAllocationsIgnored&) = delete;
    SdlAllocationsIgnored& operator=(const SdlAllocationsIgnored&) = delete;
};

} // namespace ollendor
