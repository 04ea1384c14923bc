#include "host/test_host.h"

namespace ollendor {

namespace {
// Lets a TestHost put back whatever was installed before it without reading the
// installed host through host(), which asserts when there is none.
Host* current = nullptr;
} // namespace

TestHost::TestHost() : previous_(current)
{
    current = this;
    installHost(*this);
}

TestHost::~TestHost()
{
    current = previous_;
    if (previous_)
        installHost(*previous_);
    else
        uninstallHost(*this);
}

void TestHost::advanceMillis(unsigned ms)
{
    millis = uint16_t((millis + ms) % 1000);
}

void TestHost::releaseAll()
{
    for (bool& key : keys)
        key = false;
}

uint16_t TestHost::systemMillis()
{
    ++millisReads;
    const uint16_t now = millis;
    advanceMillis(millisPerRead);
    return now;
}

void TestHost::sleepMillis(unsigned ms)
{
    ++sleepCalls;
    sleptMillis += ms;
    advanceMillis(ms * millisPerSleepStep);
}

bool TestHost::keyDown(uint8_t virtualKey)
{
    return keys[virtualKey];
}

int16_t TestHost::capsLockState()
{
    return capsLock;
}

void TestHost::messageBox(const char* caption, const char* text)
{
    messages.push_back({caption, text});
}

bool TestHost::pumpMessages()
{
    ++pumpCalls;
    if (onPump)
        onPump();
    if (!pumpAnswers.empty()) {
        const bool answer = pumpAnswers.front();
        pumpAnswers.pop_front();
        return answer;
    }
    if (quitAfterFrames >= 0 && renderCalls >= static_cast<unsigned long>(quitAfterFrames))
        return false;
    return true;
}

void TestHost::renderFrame()
{
    ++renderCalls;
    if (onRender)
        onRender();
}

} // namespace ollendor
