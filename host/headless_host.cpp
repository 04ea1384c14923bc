#include "host/headless_host.h"

#include <cstdio>

#include "host/quit_signal.h"

HeadlessHost::HeadlessHost(unsigned frameLimit, const KeyTypist& typist,
                           std::function<void()> frameStep)
    : frameLimit(frameLimit), typist(typist), frameStep(std::move(frameStep))
{
}

uint16_t HeadlessHost::systemMillis()
{
    micros += microsPerClockReading;
    return uint16_t(micros / 1000 % 1000);
}

void HeadlessHost::sleepMillis(unsigned millis)
{
    micros += uint64_t(millis) * 1000;
}

bool HeadlessHost::keyDown(uint8_t virtualKey)
{
    return typist.keyDown(virtualKey);
}

void HeadlessHost::messageBox(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

bool HeadlessHost::pumpMessages()
{
    if (quitRequested || quitSignalled())
        return false;
    return frameLimit == 0 || frames < frameLimit;
}

void HeadlessHost::renderFrame()
{
    frameStep();
    ++frames;
    typist.frame();
}

AppWindow& HeadlessDesktop::createMainWindow(const char*, std::span<const MenuEntry>,
                                             std::function<void(int)>)
{
    return mainWindow;
}

void HeadlessDesktop::showMessage(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

namespace {
class HeadlessPlatform : public Platform {
public:
    explicit HeadlessPlatform(const PlatformSettings& settings)
        : headlessHost(settings.frameLimit, settings.typist, settings.frameStep),
          memoryToolkit([this] { return headlessHost.seconds(); }), headlessDesktop(headlessHost)
    {
    }
    Host& host() override { return headlessHost; }
    Toolkit& toolkit() override { return memoryToolkit; }
    Desktop& desktop() override { return headlessDesktop; }
    AudioDevice* audioDevice() override { return nullptr; }

private:
    HeadlessHost headlessHost;
    MemoryToolkit memoryToolkit;
    HeadlessDesktop headlessDesktop;
};
} // namespace

std::unique_ptr<Platform> createHeadlessPlatform(const PlatformSettings& settings)
{
    return std::make_unique<HeadlessPlatform>(settings);
}
