// Shared by the fuzz targets: scratch paths and a session host that shows and prints
// nothing. Every input starts from the machine at power-on, so an input behaves the same
// whatever ran before it.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "control/session.h"

using namespace ollendor;

// Keeps nothing and prints nothing (a fuzzer meets thousands of reported instructions),
// but holds the session to what a host may expect of it.
class QuietHost : public SessionHost {
public:
    void showMessage(const char* caption, const char* text) override
    {
        if (caption[0] == '\0' || text[0] == '\0')
            __builtin_trap(); // a box must say what and why
    }
    void diagnosticLine(const char* line) override
    {
        if (std::strlen(line) >= diagnosticLength)
            __builtin_trap();
    }
    void warningLine(const char* line) override
    {
        if (line[0] == '\0')
            __builtin_trap();
    }
    void publishTones(const ToneSettings&) override {}
};

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
