#include "state/recording.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include <sys/stat.h>

#define XXH_STATIC_LINKING_ONLY // the state is kept in place, not allocated
#include <xxhash.h>

static_assert(sizeof(XXH64_state_t) <= 32 * sizeof(uint64_t), "RecordingWriter keeps XXH64's state in place");

#include "files/file_open.h"
#include "files/message_text.h"
#include "machine/tape.h"
#include "state/byte_io.h"

namespace ollendor {

namespace {

constexpr uint8_t endTag = 'E';
constexpr size_t checksumSize = 8;

void writePosition(FieldWriter& w, const MachinePosition& p)
{
    w.u64(p.slice);
    w.i32(p.left);
    w.u16(p.zeroCost);
}

MachinePosition readPosition(FieldReader& r)
{
    MachinePosition p;
    p.slice = r.u64();
    p.left = r.i32();
    p.zeroCost = r.u16();
    return p;
}

std::vector<uint8_t> headerBytes(std::span<const uint8_t> startState)
{
    std::vector<uint8_t> out;
    out.reserve(16 + startState.size());
    FieldWriter w(out);
    w.bytes(recordingMagic, sizeof recordingMagic);
    w.u16(recordingFormatVersion);
    w.u16(0);
    w.u32(uint32_t(startState.size()));
    w.bytes(startState.data(), startState.size());
    return out;
}

std::vector<uint8_t> inputBytes(const RecordedInput& input)
{
    std::vector<uint8_t> out;
    FieldWriter w(out);
    w.u8(uint8_t(input.kind));
    writePosition(w, input.position);
    if (input.kind == RecordedInput::Kind::keyboard) {
        for (uint16_t row : input.keyboard.rows)
            w.u16(row);
        w.i16(input.keyboard.capsLock);
    } else if (input.kind == RecordedInput::Kind::tape) {
        w.boolean(input.tapeFound);
        w.u32(uint32_t(input.tape.size()));
        w.bytes(input.tape.data(), input.tape.size());
    }
    return out;
}

std::vector<uint8_t> endBytes(const MachinePosition& end, uint32_t count)
{
    std::vector<uint8_t> out;
    FieldWriter w(out);
    w.u8(endTag);
    writePosition(w, end);
    w.u32(count);
    return out;
}

void appendChecksum(std::vector<uint8_t>& bytes, std::span<const uint8_t> hashed)
{
    FieldWriter w(bytes);
    w.u64(XXH64(hashed.data(), hashed.size(), 0));
}

RecordingResult fail(std::string why)
{
    RecordingResult result;
    result.error = std::move(why);
    return result;
}

// Why a position no run stands at is one (as the state loader checks the CPU's slice
// counters and the hook calls), or empty.
std::string badPosition(const MachinePosition& p)
{
    // Between instructions a slice has at most its whole length left, or was spent by the
    // instruction before a stop by less than the dearest instruction costs.
    if (p.left > mtxCyclesPerHook || p.left <= -64)
        return "a position outside its slice (" + std::to_string(p.left) + " cycles left)";
    if (p.zeroCost > 4096)
        return "a position with more instructions that cost nothing than a slice holds";
    if (p.slice >= (uint64_t(1) << 48))
        return "a position beyond any run (slice " + std::to_string(p.slice) + ")";
    return {};
}

// Why a keyboard input no keyboard gives is one, or empty.
std::string badKeyboard(const KeyboardInput& k)
{
    for (uint16_t row : k.rows)
        if (row > 0x3FF)
            return "a keyboard row no keyboard gives";
    // Bit 0 while locked, bit 15 while the key is held; nothing else.
    if ((uint16_t(k.capsLock) & 0x7FFE) != 0)
        return "a Caps Lock state no keyboard gives";
    return {};
}

const char* kindName(RecordedInput::Kind kind)
{
    switch (kind) {
    case RecordedInput::Kind::keyboard: return "a keyboard input";
    case RecordedInput::Kind::tape: return "a tape answer";
    case RecordedInput::Kind::mount: return "a tape mount";
    }
    return "an input";
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

std::vector<uint8_t> encodeRecording(const Recording& recording)
{
    std::vector<uint8_t> out = headerBytes(recording.startState);
    for (const RecordedInput& input : recording.inputs) {
        const std::vector<uint8_t> bytes = inputBytes(input);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    const std::vector<uint8_t> end = endBytes(recording.end, uint32_t(recording.inputs.size()));
    out.insert(out.end(), end.begin(), end.end());
    const std::vector<uint8_t> hashed = out;
    appendChecksum(out, hashed);
    return out;
}

namespace {

constexpr size_t positionSize = 8 + 4 + 2;
constexpr size_t keyboardSize = positionSize + sizeof(KeyboardInput::rows) + 2; // after the tag: rows, Caps Lock
constexpr uint32_t largestStartState = 16u << 20;
constexpr size_t headerSize = sizeof recordingMagic + 2 + 2 + 4;

// A recording's bytes from memory, the checksum at the end kept apart.
class SpanSource {
public:
    explicit SpanSource(std::span<const uint8_t> bytes)
        : body_(bytes.first(bytes.size() - checksumSize))
    {
        FieldReader sum(bytes.last(checksumSize));
        checksumOk_ = XXH64(body_.data(), body_.size(), 0) == sum.u64();
    }
    // The next n bytes (valid until the next call), or false when fewer are left.
    bool take(size_t n, std::span<const uint8_t>& out)
    {
        if (body_.size() - at_ < n)
            return false;
        out = body_.subspan(at_, n);
        at_ += n;
        return true;
    }
    uint64_t left() const { return body_.size() - at_; }
    bool checksumOk() { return checksumOk_; }
    bool readFailed() const { return false; }

private:
    std::span<const uint8_t> body_;
    size_t at_ = 0;
    bool checksumOk_;
};

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

// One record after the header: an input, or the end (with its count of inputs).
struct Record {
    bool isEnd = false;
    RecordedInput input;
    MachinePosition end{};
    uint32_t count = 0;
    std::string error; // "cut short" and the like, taken as they are
    std::string refusal; // bytes that make no sense: a damaged file when the checksum fails
};

template <class Source>
Record readRecord(Source& source, uint16_t version)
{
    Record record;
    std::span<const uint8_t> bytes;
    if (!source.take(1, bytes)) {
        record.error = "it is cut short (it has no end)";
        return record;
    }
    const uint8_t tag = bytes[0];
    if (tag == endTag) {
        record.isEnd = true;
        if (!source.take(positionSize + 4, bytes)) {
            record.error = "it is cut short";
            return record;
        }
        FieldReader r(bytes);
        record.end = readPosition(r);
        record.count = r.u32();
        return record;
    }
    RecordedInput& input = record.input;
    if (tag == uint8_t(RecordedInput::Kind::keyboard)) {
        if (!source.take(keyboardSize, bytes)) {
            record.error = "it is cut short";
            return record;
        }
        FieldReader r(bytes);
        input.kind = RecordedInput::Kind::keyboard;
        input.position = readPosition(r);
        for (uint16_t& row : input.keyboard.rows)
            row = r.u16();
        input.keyboard.capsLock = r.i16();
        if (r.badValue())
            record.refusal = "it holds a value out of range";
    } else if (tag == uint8_t(RecordedInput::Kind::tape)) {
        if (!source.take(positionSize + 1 + 4, bytes)) {
            record.error = "it is cut short";
            return record;
        }
        FieldReader r(bytes);
        input.kind = RecordedInput::Kind::tape;
        input.position = readPosition(r);
        input.tapeFound = r.boolean();
        const uint32_t length = r.u32();
        if (r.badValue())
            record.refusal = "it holds a value out of range";
        else if (!input.tapeFound && length != 0)
            record.refusal = "it holds the bytes of a tape image that was not found";
        else if (length > tapeBufferSize)
            record.refusal = "it holds a tape image longer than 64 KiB";
        if (!record.refusal.empty())
            return record;
        if (!source.take(length, bytes)) {
            record.error = "it is cut short";
            return record;
        }
        input.tape.assign(bytes.begin(), bytes.end());
    } else if (tag == uint8_t(RecordedInput::Kind::mount) && version >= 2) {
        if (!source.take(positionSize, bytes)) {
            record.error = "it is cut short";
            return record;
        }
        FieldReader r(bytes);
        input.kind = RecordedInput::Kind::mount;
        input.position = readPosition(r);
    } else {
        record.refusal = "it holds an input of a kind this program does not know";
    }
    return record;
}

// The header and the start state; the error, or "".
template <class Source>
std::string readHead(Source& source, std::vector<uint8_t>& startState, uint16_t& version)
{
    std::span<const uint8_t> bytes;
    if (!source.take(headerSize, bytes))
        return "it is cut short";
    FieldReader r(bytes);
    r.view(sizeof recordingMagic);
    version = r.u16();
    const uint16_t reserved = r.u16();
    if (version > recordingFormatVersion)
        return "it was made in a newer format (version " + std::to_string(version) + "; this program reads version " +
               std::to_string(recordingFormatVersion) + ")";
    if (version == 0)
        return "its format version 0 is not one of ours";
    if (reserved != 0)
        return "its header holds flags this program does not know";
    const uint32_t stateLength = r.u32();
    // A state file is some kilobytes; this bounds what a damaged length makes us hold.
    if (stateLength > largestStartState)
        return "its start state is larger than any state file";
    if (!source.take(stateLength, bytes))
        return "it is cut short";
    startState.assign(bytes.begin(), bytes.end());
    return {};
}

// Checks a whole recording: the head, every input in order, the end, the count and the
// checksum; each input goes to `keep` (which may drop it). The first input's position is
// noted in `first`.
template <class Source, class Keep>
RecordingResult checkRecording(Source& source, Keep keep, std::optional<MachinePosition>& first)
{
    RecordingResult result;
    auto refused = [&](const std::string& why) {
        return fail(source.checksumOk() ? why : "its checksum does not match (the file is damaged)");
    };
    uint16_t version = 0;
    if (std::string error = readHead(source, result.recording.startState, version); !error.empty())
        return source.readFailed() ? fail("it cannot be read") : fail(error);
    MachinePosition last{};
    uint32_t count = 0;
    first.reset();
    for (;;) {
        Record record = readRecord(source, version);
        if (source.readFailed())
            return fail("it cannot be read");
        if (!record.error.empty())
            return fail(record.error);
        if (!record.refusal.empty())
            return refused(record.refusal);
        if (record.isEnd) {
            result.recording.end = record.end;
            if (source.left() != 0)
                return fail("it has bytes past its end");
            if (!source.checksumOk())
                return fail(source.readFailed() ? "it cannot be read" : "its checksum does not match (the file is damaged)");
            if (const std::string bad = badPosition(record.end); !bad.empty())
                return refused("its end holds " + bad);
            if (record.count != count)
                return refused("its count of inputs does not match the inputs it holds");
            if (first && record.end < last)
                return refused("its inputs are out of order (one comes after its end)");
            break;
        }
        // Every value one a run can give, as the state loader checks them.
        std::string bad = badPosition(record.input.position);
        if (bad.empty() && record.input.kind == RecordedInput::Kind::keyboard)
            bad = badKeyboard(record.input.keyboard);
        if (!bad.empty())
            return refused("its input " + std::to_string(count + 1) + " (" + kindName(record.input.kind) + " at slice " +
                           std::to_string(record.input.position.slice) + ") holds " + bad);
        if (first && record.input.position < last)
            return refused("its inputs are out of order");
        last = record.input.position;
        if (!first)
            first = last;
        ++count;
        keep(std::move(record.input));
    }
    result.ok = true;
    return result;
}

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

struct RecordingStream::Source : FileSource {
    using FileSource::FileSource;
};

RecordingResult parseRecording(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return fail("it is empty");
    if (bytes.size() < sizeof recordingMagic || std::memcmp(bytes.data(), recordingMagic, sizeof recordingMagic) != 0)
        return fail("it is not a recording");
    if (bytes.size() < headerSize + checksumSize)
        return fail("it is cut short");
    SpanSource source(bytes);
    std::vector<RecordedInput> inputs;
    std::optional<MachinePosition> first;
    RecordingResult result =
        checkRecording(source, [&](RecordedInput&& input) { inputs.push_back(std::move(input)); }, first);
    if (result.ok)
        result.recording.inputs = std::move(inputs);
    return result;
}

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
