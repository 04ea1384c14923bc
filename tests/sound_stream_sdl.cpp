// The SDL audio device under SDL's dummy driver (no sound hardware needed): it opens or
// fails cleanly, its callback drives the sound thread, and closing always finishes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include <SDL.h>

#include "host/sdl/sdl_audio.h"
#include "host/sdl/sdl_platform.h"
#include "sound/soundchip.h"
#include "sound/stream.h"
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
        soundChipPowerOn();
        fills = 0;
        soundStream.fill = numberedFill;
    }

    void TearDown() override
    {
        EXPECT_TRUE(closeWithin(std::chrono::milliseconds(1000)));
        soundStream.fill = nullptr;
        if (hadDriver)
            setenv("SDL_AUDIODRIVER", oldDriver.c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
    }

    bool hadDriver = false;
    std::string oldDriver;
};

TEST_F(SdlAudioTest, DummyDriverPlaysTheRingAndCloseFinishes)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlAudioDevice device;
    if (!soundOpen(device)) {
        // Failing is allowed, but cleanly: a reason, nothing published, no thread.
        EXPECT_FALSE(device.failure().empty());
        EXPECT_EQ(soundChip.channelFrequency[0].load(), 0);
        startSoundThread();
        EXPECT_FALSE(soundThreadStarted());
        GTEST_SKIP() << "SDL's dummy audio driver did not open: " << device.failure();
    }
    EXPECT_EQ(soundChip.channelFrequency[0].load(), 440);
    startSoundThread();
    // The dummy driver calls back in real time: three fills take about 100 ms.
    ASSERT_TRUE(waitUntil([] { return fills >= 3; }, 3000ms));
    EXPECT_TRUE(soundChip.soundRunning.load());
    EXPECT_NE(soundStream.playPosition.load(), 0u);

    ASSERT_TRUE(closeWithin(1000ms));
    EXPECT_EQ(soundStopState.load(), 2u);
    EXPECT_FALSE(soundChip.soundRunning.load());
}

// SDL reports our device removed while it plays: the stream is closed at the next pump,
// one line says so, the run goes on, and closing again at shutdown is harmless. The
// removal of another device changes nothing.
TEST_F(SdlAudioTest, RemovedDeviceClosesTheStreamOnceAndTheRunGoesOn)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    PlatformSettings settings;
    auto platform = createSdlPlatform(settings);
    auto* device = dynamic_cast<SdlAudioDevice*>(platform->audioDevice());
    ASSERT_NE(device, nullptr);
    if (!soundOpen(*device))
        GTEST_SKIP() << "SDL's dummy audio driver did not open: " << device->failure();
    startSoundThread();
    ASSERT_TRUE(waitUntil([] { return fills >= 2; }, 3000ms));

    SDL_Event removed{};
    removed.type = SDL_AUDIODEVICEREMOVED;
    removed.adevice.which = device->id() + 1;
    SDL_PushEvent(&removed);
    EXPECT_TRUE(platform->host().pumpMessages());
    EXPECT_TRUE(soundChip.soundRunning.load());
    EXPECT_NE(device->id(), 0u);

    removed.adevice.which = device->id();
    SDL_PushEvent(&removed);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(platform->host().pumpMessages());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "ollendor: the sound device was removed; continuing without sound\n");
    EXPECT_EQ(soundStream.device, nullptr);
    EXPECT_EQ(device->id(), 0u);
    EXPECT_FALSE(soundChip.soundRunning.load());
    EXPECT_FALSE(soundThreadStarted());
    EXPECT_EQ(soundStopState.load(), 2u);

    // A second report of it (or of an id reused later) says nothing more.
    SDL_PushEvent(&removed);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(platform->host().pumpMessages());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(SdlAudioTest, MissingDriverFailsCleanlyAndRunsSilent)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlAudioDevice device;
    EXPECT_FALSE(soundOpen(device));
    EXPECT_NE(device.failure().find("SDL_InitSubSystem"), std::string::npos)
        << device.failure();
    startSoundThread();
    EXPECT_FALSE(soundThreadStarted());
    EXPECT_EQ(soundChip.channelFrequency[0].load(), 0);
    soundClose();
    device.close(); // closing a device that never opened is harmless
}

} // namespace
