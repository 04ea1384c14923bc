// The SDL audio device under SDL's dummy driver (no sound hardware needed): it opens or
// fails cleanly, its callback drives the sound thread, and closing always finishes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include <SDL.h>

#include "host/sdl/sdl_audio.h"
#include "frontend/window_drawing.h"
#include "host/sdl/sdl_platform.h"
#include "sound/soundchip.h"
#include "host/audio/stream.h"
#include "tests/sound_stream_support.h"

using namespace ollendor;


using namespace soundtest;
using namespace std::chrono_literals;

namespace {

class SdlAudioTest : public testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        hadDriver = old != nullptr;
        if (old)
            oldDriver = old;
        fills = 0;
        stream.setFill(numberedFill);
    }

    void TearDown() override
    {
        EXPECT_TRUE(closeWithin(stream, std::chrono::milliseconds(1000)));
        if (hadDriver)
            setenv("SDL_AUDIODRIVER", oldDriver.c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
    }

    bool hadDriver = false;
    std::string oldDriver;
    SdlAudioDevice device; // outlives the stream playing through it
    SoundStream stream;
};

TEST_F(SdlAudioTest, DummyDriverPlaysTheRingAndCloseFinishes)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!stream.open(device)) {
        // Failing is allowed, but cleanly: a reason, nothing published, no thread.
        EXPECT_FALSE(device.failure().empty());
        EXPECT_EQ(stream.tones().frequency[0], 0);
        stream.startThread();
        EXPECT_FALSE(stream.threadStarted());
        GTEST_SKIP() << "SDL's dummy audio driver did not open: " << device.failure();
    }
    EXPECT_EQ(stream.tones().frequency[0], 440);
    stream.startThread();
    // The dummy driver calls back in real time: three fills take about 100 ms, and only
    // its callbacks passing both halves make the thread fill them.
    ASSERT_TRUE(waitUntil([] { return fills >= 3; }, 3000ms));
    EXPECT_TRUE(stream.running());
    EXPECT_NE(stream.ringSample(0), 0);
    EXPECT_NE(stream.ringSample(secondHalfStart), 0);

    ASSERT_TRUE(closeWithin(stream, 1000ms));
    EXPECT_EQ(stream.stopState(), 2u);
    EXPECT_FALSE(stream.running());
}

// SDL reports our device removed while it plays: the stream is closed at the next pump,
// one line says so, the run goes on, and closing again at shutdown is harmless. The
// removal of another device changes nothing.
TEST_F(SdlAudioTest, RemovedDeviceClosesTheStreamOnceAndTheRunGoesOn)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    PlatformSettings settings;
    FrontendDrawing drawing;
    auto platform = createSdlPlatform(settings, drawing);
    auto* audio = dynamic_cast<SdlAudioDevice*>(platform->audioDevice());
    ASSERT_NE(audio, nullptr);
    // The stream stops before the platform's device goes, also when a check fails.
    struct CloseFirst {
        SoundStream& stream;
        ~CloseFirst() { stream.close(); }
    } closeFirst{stream};
    // As the program's loop does: the stream is closed when the platform says so.
    platform->setAudioDeviceRemoved([this] { stream.close(); });
    if (!stream.open(*audio))
        GTEST_SKIP() << "SDL's dummy audio driver did not open: " << audio->failure();
    stream.startThread();
    ASSERT_TRUE(waitUntil([] { return fills >= 2; }, 3000ms));

    SDL_Event removed{};
    removed.type = SDL_AUDIODEVICEREMOVED;
    removed.adevice.which = audio->id() + 1;
    SDL_PushEvent(&removed);
    EXPECT_TRUE(platform->desktop().pump());
    EXPECT_TRUE(stream.running());
    EXPECT_NE(audio->id(), 0u);

    removed.adevice.which = audio->id();
    SDL_PushEvent(&removed);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(platform->desktop().pump());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "ollendor: the sound device was removed; continuing without sound\n");
    EXPECT_FALSE(stream.isOpen());
    EXPECT_EQ(audio->id(), 0u);
    EXPECT_FALSE(stream.running());
    EXPECT_FALSE(stream.threadStarted());
    EXPECT_EQ(stream.stopState(), 2u);

    // A second report of it (or of an id reused later) says nothing more.
    SDL_PushEvent(&removed);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(platform->desktop().pump());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(SdlAudioTest, MissingDriverFailsCleanlyAndRunsSilent)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(stream.open(device));
    EXPECT_NE(device.failure().find("SDL_InitSubSystem"), std::string::npos)
        << device.failure();
    stream.startThread();
    EXPECT_FALSE(stream.threadStarted());
    EXPECT_EQ(stream.tones().frequency[0], 0);
    stream.close();
    device.close(); // closing a device that never opened is harmless
}

} // namespace
