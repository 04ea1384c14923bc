// A scripted host for tests: everything the machine asks of the platform, under the
// test's control and on record.
//
//   TestHost h;            // installs itself; the previous host comes back when h dies
//   h.press(0x41);         // the A key is down until release(0x41)
//   h.capsLock = 1;        // what capsLockState() answers
//   h.millis = 990;        // the clock's millisecond field; see the clock fields below
//   h.quitAfterFrames = 3; // pumpMessages answers false once 3 frames were rendered
//   ... run machine code ...
//   h.renderCalls, h.sleepCalls, h.messages ...
//
// Nothing here sleeps or waits: sleepMillis only advances the scripted clock.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/host.h"

namespace ollendor {

class TestHost : public Host {
public:
    // Installs this host; the destructor reinstalls the one installed before, if any.
    TestHost();
    ~TestHost() override;
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // --- Clock. systemMillis() answers millis, then adds millisPerRead to it; sleepMillis(n)
    // adds n × millisPerSleepStep. The field wraps from 999 to 0 like the real one.
    uint16_t millis = 0;
    unsigned millisPerRead = 0;
    unsigned millisPerSleepStep = 1;
    void advanceMillis(unsigned ms); // moves the clock on, wrapping at 1000

    // --- Keys, by Windows virtual-key code, and the Caps Lock value.
    bool keys[256] = {};
    int16_t capsLock = 0;
    void press(uint8_t virtualKey) { keys[virtualKey] = true; }
    void release(uint8_t virtualKey) { keys[virtualKey] = false; }
    void releaseAll();

    // --- Message boxes are recorded, not shown.
    struct Message {
        std::string caption;
        std::string text;
    };
    std::vector<Message> messages;

    // --- Message pump. Answers, in this order of precedence: the front of pumpAnswers
    // (consumed); false once renderCalls has reached quitAfterFrames (when >= 0); true.
    // onPump, when set, runs first on every call (e.g. to change a setting mid-run).
    std::deque<bool> pumpAnswers;
    long quitAfterFrames = -1;
    std::function<void()> onPump;

    // --- Frames: counted; onRender, when set, runs on every call.
    std::function<void()> onRender;

    // --- Call counts.
    unsigned long millisReads = 0;
    unsigned long sleepCalls = 0;
    unsigned long sleptMillis = 0;
    unsigned long pumpCalls = 0;
    unsigned long renderCalls = 0;

    uint16_t systemMillis() override;
    void sleepMillis(unsigned millis) override;
    bool keyDown(uint8_t virtualKey) override;
    int16_t capsLockState() override;
    void messageBox(const char* caption, const char* text) override;
    bool pumpMessages() override;
    void renderFrame() override;

private:
    Host* previous_;
};

} // namespace ollendor
