#include "files/recording_files.h"

#include <algorithm>
#include <cstring>

#include <sys/stat.h>

#define XXH_STATIC_LINKING_ONLY // the state is kept in place, not allocated
#include <xxhash.h>

static_assert(sizeof(XXH64_state_t) <= 32 * sizeof(uint64_t), "RecordingWriter keeps XXH64's state in place");

#include "files/file_open.h"
#include "files/message_text.h"
#include "state/recording_format.h"

namespace ollendor {

using namespace recording_format;

namespace {

// A recording's bytes read from a file as they are wanted, hashed on the way; the
// checksum is compared once the body has been read to its end.
class FileSource {
public:
    FileSource(std::FILE* file, uint64_t size) : file_(file), bodySize_(size - checksumSize)
    {
        XXH64_reset(reinterpret_cast<XXH64_state_t*>(hashState_), 0);
    }
    bool take(size_t n, std::span<const uint8_t>& out)
    {
        if (bodySize_ - at_ < n || failed_)
            return false;
        buffer_.resize(n);
        if (n > 0 && std::fread(buffer_.data(), 1, n, file_) != n) {
            failed_ = true;
            return false;
        }
        XXH64_update(reinterpret_cast<XXH64_state_t*>(hashState_), buffer_.data(), n);
        at_ += n;
        out = buffer_;
        return true;
    }
    uint64_t left() const { return bodySize_ - at_; }
    // Reads (and hashes) what is left of the body, then compares the checksum.
    bool checksumOk()
    {
        if (!checked_) {
            checked_ = true;
            std::span<const uint8_t> ignored;
            while (left() > 0 && take(size_t(std::min<uint64_t>(left(), 65536)), ignored)) {
            }
            uint8_t sum[checksumSize];
            if (failed_ || std::fread(sum, 1, sizeof sum, file_) != sizeof sum) {
                failed_ = true;
                return checksumOk_ = false;
            }
            FieldReader r(sum);
            checksumOk_ = XXH64_digest(reinterpret_cast<XXH64_state_t*>(hashState_)) == r.u64();
        }
        return checksumOk_;
    }
    bool readFailed() const { return failed_; }

private:
    std::FILE* file_;
    uint64_t bodySize_;
    uint64_t at_ = 0;
    std::vector<uint8_t> buffer_;
    uint64_t hashState_[32] = {};
    bool failed_ = false;
    bool checked_ = false;
    bool checksumOk_ = false;
};

// Opens a file for reading a recording: its size, or an error (the file closed).
std::FILE* openRecording(const std::filesystem::path& path, uint64_t limit, uint64_t& size, std::string& why)
{
    std::string error;
    const OpenedFile opened = openRegularFile(path.c_str());
    if (!opened.file) {
        why = opened.why;
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fileno(opened.file), &info) != 0) {
        std::fclose(opened.file);
        why = "it cannot be read";
        return nullptr;
    }
    size = uint64_t(info.st_size);
    uint8_t magic[sizeof recordingMagic];
    const size_t got = std::fread(magic, 1, sizeof magic, opened.file);
    if (size == 0)
        error = "it is empty";
    else if (got < sizeof magic || std::memcmp(magic, recordingMagic, sizeof magic) != 0)
        error = std::ferror(opened.file) ? "it cannot be read" : "it is not a recording";
    else if (size > limit)
        error = "it is larger than any recording this program reads (" +
                (limit >= (1u << 20) ? std::to_string(limit >> 20) + " MiB" : std::to_string(limit) + " bytes") + ")";
    else if (size < headerSize + checksumSize)
        error = "it is cut short";
    if (!error.empty() || std::fseek(opened.file, 0, SEEK_SET) != 0) {
        why = error.empty() ? "it cannot be read" : error;
        std::fclose(opened.file);
        return nullptr;
    }
    return opened.file;
}

} // namespace

bool RecordingWriter::open(const std::filesystem::path& path, std::span<const uint8_t> startState)
{
    count_ = 0;
    written_ = 0;
    reachedLimit_ = false;
    failed_ = false;
    active_ = false;
    error_.clear();
    path_ = path;
    XXH64_reset(reinterpret_cast<XXH64_state_t*>(hashState_), 0);
    if (!file_.open(path)) {
        error_ = "cannot write the recording '" + escapedName(path.string()) + "': " + file_.error();
        return false;
    }
    active_ = true;
    write(headerBytes(startState));
    if (failed_) {
        active_ = false;
        return false;
    }
    return true;
}

void RecordingWriter::write(const std::vector<uint8_t>& bytes)
{
    XXH64_update(reinterpret_cast<XXH64_state_t*>(hashState_), bytes.data(), bytes.size());
    written_ += bytes.size();
    if (failed_ || file_.write(bytes.data(), bytes.size()))
        return;
    // The first failure is the one to tell (a full disk, say); the file is gone already
    // and the one at the target, if any, stays as it was.
    failed_ = true;
    error_ = "cannot write the recording '" + escapedName(path_.string()) + "': " + file_.error();
}

void RecordingWriter::add(const RecordedInput& input)
{
    if (!active_)
        return;
    const std::vector<uint8_t> bytes = inputBytes(input);
    // Room is kept for the end and the checksum.
    if (written_ + bytes.size() + endBytes(input.position, count_).size() + checksumSize > limit_) {
        reachedLimit_ = true;
        finish(input.position);
        return;
    }
    write(bytes);
    ++count_;
}

bool RecordingWriter::finish(const MachinePosition& end)
{
    if (!active_)
        return false;
    active_ = false;
    if (!failed_) {
        write(endBytes(end, count_));
        std::vector<uint8_t> sum;
        FieldWriter(sum).u64(XXH64_digest(reinterpret_cast<XXH64_state_t*>(hashState_)));
        write(sum);
    }
    if (!failed_ && !file_.commit()) {
        failed_ = true;
        error_ = "cannot write the recording '" + escapedName(path_.string()) + "': " + file_.error();
    }
    if (failed_) {
        file_.abandon();
        return false;
    }
    return true;
}

struct RecordingStream::Source : FileSource {
    using FileSource::FileSource;
};

RecordingStream::~RecordingStream()
{
    if (file_)
        std::fclose(file_);
}

std::unique_ptr<RecordingStream> RecordingStream::open(const std::filesystem::path& path, std::string& error,
                                                       uint64_t limit)
{
    const std::string where = "cannot replay the recording '" + escapedName(path.string()) + "': ";
    uint64_t size = 0;
    std::FILE* file = openRecording(path, limit, size, error);
    if (!file) {
        error = where + error;
        return nullptr;
    }
    std::unique_ptr<RecordingStream> stream(new RecordingStream);
    stream->file_ = file;
    stream->size_ = size;
    // The whole file is checked first, keeping no input; the inputs are read again as the
    // replay wants them.
    FileSource check(file, size);
    RecordingResult checked = checkRecording(check, [&](RecordedInput&&) { ++stream->count_; }, stream->first_);
    if (!checked.ok) {
        error = where + checked.error;
        return nullptr;
    }
    stream->startState_ = std::move(checked.recording.startState);
    stream->end_ = checked.recording.end;
    std::vector<uint8_t> ignored;
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        error = where + "it cannot be read";
        return nullptr;
    }
    stream->source_ = std::make_unique<Source>(file, size);
    if (!readHead(*stream->source_, ignored, stream->version_).empty()) {
        error = where + "it cannot be read";
        return nullptr;
    }
    return stream;
}

bool RecordingStream::next(RecordedInput& input)
{
    if (given_ >= count_ || failed_)
        return false;
    Record record = readRecord(*source_, version_);
    // Checked a moment ago: anything else now is a file changed under the replay.
    if (source_->readFailed() || !record.error.empty() || !record.refusal.empty() || record.isEnd) {
        failed_ = true;
        return false;
    }
    input = std::move(record.input);
    ++given_;
    return true;
}

RecordingResult readRecording(const std::filesystem::path& path)
{
    RecordingResult result;
    std::unique_ptr<RecordingStream> stream = RecordingStream::open(path, result.error);
    if (!stream)
        return result;
    result.recording.startState = stream->startState();
    result.recording.end = stream->end();
    RecordedInput input;
    while (stream->next(input))
        result.recording.inputs.push_back(std::move(input));
    if (stream->failed()) {
        result.error = "cannot replay the recording '" + escapedName(path.string()) + "': it changed while it was read";
        result.recording = {};
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace ollendor
