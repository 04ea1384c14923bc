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

using namespace ollendor;

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

// A path of this process's own under the system's temporary folder; nothing is made there.
inline std::filesystem::path fuzzScratchPath(const char* purpose)
{
    return std::filesystem::temp_directory_path() /
           ("ollendor-fuzz-" + std::string(purpose) + "-" + std::to_string(getpid()));
}

// A folder for one input's files, made empty when the input starts and removed with its
// contents when it ends. libFuzzer leaves through _Exit, so nothing may wait for exit.
class InputScratchFolder {
public:
    explicit InputScratchFolder(const char* purpose) : path_(fuzzScratchPath(purpose))
    {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~InputScratchFolder() { std::filesystem::remove_all(path_); }
    InputScratchFolder(const InputScratchFolder&) = delete;
    InputScratchFolder& operator=(const InputScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
