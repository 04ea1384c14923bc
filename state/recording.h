// Recordings: a start state and every input the machine was given after it, each stamped
// with the exact position at which the machine received it, so that a replay reproduces
// the run bit for bit (the format: docs/recording-format.md).
//
// The inputs are the keyboard input (matrix keys and Caps Lock, whatever gave them: the
// host's keys, typed text), the answers to tape requests (the image's bytes, or none) and
// the mounting of a tape (which ends the image being read), so a replay needs neither the
// keyboard nor the tape files of the recorded run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace ollendor {

inline constexpr char recordingMagic[8] = {'O', 'L', 'L', 'R', 'E', 'C', 'R', 'D'};
inline constexpr uint16_t recordingFormatVersion = 2;
// No recording is read that is larger than this.
inline constexpr size_t recordingFileLimit = 512u * 1024 * 1024;

// One input, as given to the machine.
struct RecordedInput {
    // mount: a tape was mounted (from format version 2 on); it carries nothing else.
    enum class Kind : uint8_t { keyboard = 'K', tape = 'T', mount = 'M' };
    Kind kind = Kind::keyboard;
    MachinePosition position{};   // where the machine stood when it was given
    KeyboardInput keyboard{};     // kind keyboard: the new input
    bool tapeFound = false;       // kind tape: an image answered the request
    std::vector<uint8_t> tape;    // kind tape: its bytes (at most 64 KiB)
};

struct Recording {
    std::vector<uint8_t> startState; // a whole state file
    std::vector<RecordedInput> inputs; // in position order
    MachinePosition end{};           // where the recorded run ended
};

struct RecordingResult {
    bool ok = false;
    std::string error; // names the file and the reason
    Recording recording;
};

RecordingResult parseRecording(std::span<const uint8_t> bytes);

// The bytes of a recording in memory (what RecordingWriter writes, at once).
std::vector<uint8_t> encodeRecording(const Recording& recording);

} // namespace ollendor
