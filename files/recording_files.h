// Recordings as files: written as the run goes (through a temporary file and a rename), and
// read as a replay goes, in bounded memory (the codec: state/recording.h).
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/safe_file.h"
#include "state/recording.h"

namespace ollendor {

// Writes a recording as the run goes: the start state at once, each input as it comes,
// the end at finish. The file appears only when finish succeeds (through a temporary file
// and a rename); a run that dies leaves at most the temporary file.
class RecordingWriter {
public:
    // A recording never grows past `limit` bytes (what the reader takes): the input that
    // would pass it ends the recording there, put in place whole (reachedLimit()).
    explicit RecordingWriter(uint64_t limit = recordingFileLimit) : limit_(limit) {}
    // False with error() set when the file cannot be started.
    bool open(const std::filesystem::path& path, std::span<const uint8_t> startState);
    // Started and not yet finished (also after a write failed: finish then reports it).
    bool isOpen() const { return active_; }
    void add(const RecordedInput& input);
    // Writes the end and puts the file in place; false with error() when it could not.
    bool finish(const MachinePosition& end);
    // Drops an unfinished recording (the temporary file goes).
    void abandon()
    {
        file_.abandon();
        active_ = false;
    }
    const std::string& error() const { return error_; }
    uint32_t inputs() const { return count_; }
    // The recording was ended by the size limit (finished as by finish, or failed to be).
    bool reachedLimit() const { return reachedLimit_; }
    uint64_t limit() const { return limit_; }

private:
    void write(const std::vector<uint8_t>& bytes);

    uint64_t limit_;
    uint64_t written_ = 0;
    bool reachedLimit_ = false;
    SafeFile file_;
    std::filesystem::path path_;
    bool active_ = false;
    std::string error_;
    uint32_t count_ = 0;
    uint64_t hashState_[32] = {}; // XXH64's running state over everything written so far
    bool failed_ = false;
};

// A recording file read as a replay goes, in bounded memory however long it is: opening
// checks the whole file (magic, version, nothing cut short, the checksum, inputs in position
// order and within the recording's end, and every value one a run can give: a position
// within its slice, keyboard rows and Caps Lock as the state loader takes them; a refused
// input is named by its number and kind) in one pass that keeps no input; the inputs are then
// read again one at a time. The start state's own checks (and its ROM set against the
// running one) come when it is loaded (decodeState).
class RecordingStream {
public:
    // Null with the error (naming the file) when the file cannot be replayed.
    static std::unique_ptr<RecordingStream> open(const std::filesystem::path& path, std::string& error,
                                                 uint64_t limit = recordingFileLimit);
    ~RecordingStream();
    RecordingStream(const RecordingStream&) = delete;
    RecordingStream& operator=(const RecordingStream&) = delete;

    const std::vector<uint8_t>& startState() const { return startState_; }
    const MachinePosition& end() const { return end_; }
    uint64_t inputCount() const { return count_; }
    // Where the first input was given (none: the recording holds no input).
    const std::optional<MachinePosition>& firstPosition() const { return first_; }
    // The next input; false after the last, or once the file no longer reads as it did
    // when it was checked (failed()).
    bool next(RecordedInput& input);
    bool failed() const { return failed_; }
    uint64_t given() const { return given_; }

private:
    struct Source;
    RecordingStream() = default;

    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    std::unique_ptr<Source> source_;
    std::vector<uint8_t> startState_;
    MachinePosition end_{};
    std::optional<MachinePosition> first_;
    uint16_t version_ = 0; // the file's format version
    uint64_t count_ = 0;
    uint64_t given_ = 0;
    bool failed_ = false;
};

// The whole recording in memory, through RecordingStream (for tests and small files).
RecordingResult readRecording(const std::filesystem::path& path);

} // namespace ollendor
