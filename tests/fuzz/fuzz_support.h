// Shared by the fuzz targets: every input starts from the machine as the program starts it,
// so an input behaves the same whatever ran before it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "machine/machine.h"
#include "sound/soundchip.h"
#include "sound/synth.h"
#include "video/render.h"
#include "video/vdp.h"

// The video chip, the renderer's memory and the picture, as at program start.
inline void powerOnVideo()
{
    vdpReset();
    renderState = RenderState{};
    std::memset(&frameBuffer, 0, sizeof frameBuffer);
}

// The sound chip and the synthesis's wave states, as at program start.
inline void powerOnSound()
{
    soundChipPowerOn();
    std::memset(channelPhase, 0, sizeof channelPhase);
}

// Every global the machine, the renderer and the synthesis keep, back to program start.
inline void powerOnEverything()
{
    machinePowerOn();
    powerOnVideo();
    powerOnSound();
}

// Diagnostics of unrecognised instructions go to stdout; a fuzzer hits thousands of them.
inline void silenceStdout()
{
    if (!std::freopen("/dev/null", "w", stdout))
        std::perror("cannot silence stdout");
}

// A folder of this process's own under the system's temporary folder, made once and
// removed at exit, for fuzzers that need files.
inline const std::filesystem::path& fuzzScratchFolder(const char* purpose)
{
    static const std::filesystem::path folder = [purpose] {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("ollendor-fuzz-" + std::string(purpose) + "-" +
                                      std::to_string(getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        std::atexit([] { std::filesystem::remove_all(folder); });
        return path;
    }();
    return folder;
}
