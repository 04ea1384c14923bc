// Runs a session frame by frame for a test, with a recording host and keys the test holds,
// calling scripted steps at chosen frames:
//
//   SessionDriver driver(builtinRomSet());
//   driver.tap(5, 0x33);                               // key 3 held over frames 5-7
//   driver.then(12, [&] { seen = driver.machine().vdp.mode; });
//   driver.run(12);                                    // frames 1-12
//
// A step for frame n runs once the session's n-th frame since power-on is done, before the
// next frame reads the keys, so a key pressed in it is first seen in frame n + 1.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "control/session.h"
#include "tests/support/recording_host.h"

namespace ollendor {

class SessionDriver {
public:
    explicit SessionDriver(const RomSet& roms) : session(roms)
    {
        session.setHost(host);
        session.setHostKeys([this](uint8_t key) { return keys(key); });
    }
    SessionDriver(const SessionDriver&) = delete;
    SessionDriver& operator=(const SessionDriver&) = delete;

    Mtx& machine() { return session.machine(); }

    // Runs until the session has run `frames` frames since power-on.
    void run(uint64_t frames)
    {
        while (session.frames() < frames) {
            const uint64_t before = session.frames();
            session.runFrame();
            ASSERT_EQ(session.frames(), before + 1) << "a frame run must run exactly one frame";
            auto step = steps.find(session.frames());
            if (step != steps.end())
                step->second();
        }
    }

    // Adds a step at the frame, after any step already there.
    void then(uint64_t frame, std::function<void()> step)
    {
        auto& slot = steps[frame];
        slot = [first = std::move(slot), step = std::move(step)] {
            if (first)
                first();
            step();
        };
    }
    // Holds the key from the end of frame `from` for `frames` frames.
    void tap(uint64_t from, uint8_t key, uint64_t frames = 3)
    {
        then(from, [this, key] { keys.press(key); });
        then(from + frames, [this, key] { keys.release(key); });
    }

    Session session;
    RecordingHost host;
    HeldKeys keys;
    std::map<uint64_t, std::function<void()>> steps;
};

} // namespace ollendor
