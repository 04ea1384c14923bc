#include "host/headless_host.h"

#include <chrono>
#include <cstdio>

#include "host/quit_signal.h"

namespace ollendor {

AppWindow& HeadlessDesktop::createMainWindow(const char*, std::span<const MenuEntry>,
                                             std::function<void(int)>)
{
    return mainWindow;
}

void HeadlessDesktop::showMessage(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

bool HeadlessDesktop::pump()
{
    return !(quitRequested || quitSignalled());
}

namespace {

double monotonicSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

class HeadlessPlatform : public Platform {
public:
    HeadlessPlatform() : memoryToolkit(monotonicSeconds) {}
    Toolkit& toolkit() override { return memoryToolkit; }
    Desktop& desktop() override { return headlessDesktop; }
    AudioDevice* audioDevice() override { return nullptr; }
    bool keyDown(uint8_t) override { return false; }
    int16_t capsLockState() override { return 0; }

private:
    MemoryToolkit memoryToolkit;
    HeadlessDesktop headlessDesktop;
};

} // namespace

std::unique_ptr<Platform> createHeadlessPlatform(const PlatformSettings&)
{
    return std::make_unique<HeadlessPlatform>();
}

} // namespace ollendor
