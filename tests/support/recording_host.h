// What tests give a session as its host: every message, line and published tone setting is
// kept for the test to look at, nothing is shown or printed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "control/session.h"
#include "machine/keyboard.h"

namespace ollendor {

class RecordingHost : public SessionHost {
public:
    struct Message {
        std::string caption;
        std::string text;
    };
    std::vector<Message> messages;         // message boxes, in order
    std::vector<std::string> diagnostics;  // lines for standard output
    std::vector<std::string> warnings;     // lines for standard error
    std::vector<ToneSettings> tones;       // every publication
    uint64_t framesElapsed = 0;            // frameElapsed calls
    std::vector<int16_t> samples;          // every sound sample handed over, in order

    void showMessage(const char* caption, const char* text) override { messages.push_back({caption, text}); }
    void diagnosticLine(const char* line) override { diagnostics.emplace_back(line); }
    void warningLine(const char* line) override { warnings.emplace_back(line); }
    void publishTones(const ToneSettings& published) override { tones.push_back(published); }
    void frameElapsed() override { ++framesElapsed; }
    void soundSamples(const int16_t* made, size_t count) override { samples.insert(samples.end(), made, made + count); }
};

// Host keys held down by a test, by Windows virtual-key code.
struct HeldKeys {
    bool down[256] = {};

    void press(uint8_t virtualKey) { down[virtualKey] = true; }
    void release(uint8_t virtualKey) { down[virtualKey] = false; }
    void releaseAll()
    {
        for (bool& key : down)
            key = false;
    }
    bool operator()(uint8_t virtualKey) const { return down[virtualKey]; }
    // The keyboard input they make, as a machine samples it.
    KeyboardInput input(int16_t capsLock = 0) const
    {
        return keyboardInputFrom([this](uint8_t key) { return down[key]; }, capsLock);
    }
};

} // namespace ollendor
