#include "state/recording.h"

#include <cstdio>
#include <cstring>

#define XXH_STATIC_LINKING_ONLY // the state is kept in place, not allocated
#include <xxhash.h>

static_assert(sizeof(XXH64_state_t) <= 32 * sizeof(uint64_t), "RecordingWriter keeps XXH64's state in place");

#include "host/file_open.h"
#include "host/message_text.h"
#include "machine/tape.h"
#include "state/byte_io.h"

namespace ollendor {

namespace {

constexpr uint8_t endTag = 'E';

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
    write(inputBytes(input));
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

RecordingResult parseRecording(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return fail("it is empty");
    if (bytes.size() < sizeof recordingMagic || std::memcmp(bytes.data(), recordingMagic, sizeof recordingMagic) != 0)
        return fail("it is not a recording");
    if (bytes.size() < 16 + 8)
        return fail("it is cut short");
    const std::span<const uint8_t> hashed = bytes.first(bytes.size() - 8);
    FieldReader sumReader(bytes.last(8));
    const bool checksumOk = XXH64(hashed.data(), hashed.size(), 0) == sumReader.u64();
    // A file whose bytes make no sense, whole in length but failing its checksum, is a
    // damaged file, and is said to be one.
    auto refused = [checksumOk](const std::string& why) {
        return fail(checksumOk ? why : "its checksum does not match (the file is damaged)");
    };

    FieldReader r(hashed);
    r.view(sizeof recordingMagic);
    const uint16_t version = r.u16();
    const uint16_t reserved = r.u16();
    if (version > recordingFormatVersion)
        return fail("it was made in a newer format (version " + std::to_string(version) + "; this program reads version " +
                    std::to_string(recordingFormatVersion) + ")");
    if (version == 0)
        return fail("its format version 0 is not one of ours");
    if (reserved != 0)
        return fail("its header holds flags this program does not know");
    RecordingResult result;
    Recording& recording = result.recording;
    const uint32_t stateLength = r.u32();
    const std::span<const uint8_t> state = r.view(stateLength);
    if (r.overran())
        return fail("it is cut short");
    recording.startState.assign(state.begin(), state.end());
    MachinePosition last{};
    bool first = true;
    size_t number = 0;
    for (;;) {
        ++number;
        const uint8_t tag = r.u8();
        if (r.overran())
            return fail("it is cut short (it has no end)");
        if (tag == endTag)
            break;
        RecordedInput input;
        input.position = readPosition(r);
        if (tag == uint8_t(RecordedInput::Kind::keyboard)) {
            input.kind = RecordedInput::Kind::keyboard;
            for (uint16_t& row : input.keyboard.rows)
                row = r.u16();
            input.keyboard.capsLock = r.i16();
        } else if (tag == uint8_t(RecordedInput::Kind::tape)) {
            input.kind = RecordedInput::Kind::tape;
            input.tapeFound = r.boolean();
            const uint32_t length = r.u32();
            if (!input.tapeFound && length != 0 && !r.overran())
                return refused("it holds the bytes of a tape image that was not found");
            if (length > tapeBufferSize)
                return refused("it holds a tape image longer than 64 KiB");
            const std::span<const uint8_t> tape = r.view(length);
            input.tape.assign(tape.begin(), tape.end());
        } else if (tag == uint8_t(RecordedInput::Kind::mount) && version >= 2) {
            input.kind = RecordedInput::Kind::mount;
        } else {
            return refused("it holds an input of a kind this program does not know");
        }
        if (r.overran())
            return fail("it is cut short");
        if (r.badValue())
            return refused("it holds a value out of range");
        std::string bad = badPosition(input.position);
        if (bad.empty() && input.kind == RecordedInput::Kind::keyboard)
            bad = badKeyboard(input.keyboard);
        if (!bad.empty())
            return refused("its input " + std::to_string(number) + " (" + kindName(input.kind) + " at slice " +
                           std::to_string(input.position.slice) + ") holds " + bad);
        if (!first && input.position < last)
            return refused("its inputs are out of order");
        last = input.position;
        first = false;
        recording.inputs.push_back(std::move(input));
    }
    recording.end = readPosition(r);
    const uint32_t count = r.u32();
    if (r.overran())
        return fail("it is cut short");
    if (const std::string bad = badPosition(recording.end); !bad.empty() && checksumOk && r.left() == 0)
        return refused("its end holds " + bad);
    if (r.left() != 0)
        return fail("it has bytes past its end");
    if (!checksumOk)
        return fail("its checksum does not match (the file is damaged)");
    if (count != recording.inputs.size())
        return refused("its count of inputs does not match the inputs it holds");
    if (!first && recording.end < last)
        return refused("its inputs are out of order (one comes after its end)");
    result.ok = true;
    return result;
}

RecordingResult readRecording(const std::filesystem::path& path)
{
    const std::string where = "cannot replay the recording '" + escapedName(path.string()) + "': ";
    const OpenedFile opened = openRegularFile(path.c_str());
    if (!opened.file)
        return fail(where + opened.why);
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t read = 0;
    bool tooLarge = false;
    while ((read = std::fread(chunk, 1, sizeof chunk, opened.file)) > 0) {
        if (bytes.size() + read > recordingFileLimit) {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + read);
        // Anything else is refused at its first bytes, not after reading it all.
        if (bytes.size() == read && (read < sizeof recordingMagic || std::memcmp(chunk, recordingMagic, sizeof recordingMagic) != 0))
            break;
    }
    const bool failed = std::ferror(opened.file) != 0;
    std::fclose(opened.file);
    if (failed)
        return fail(where + "it cannot be read");
    if (tooLarge)
        return fail(where + "it is larger than any recording this program reads (512 MiB)");
    RecordingResult result = parseRecording(bytes);
    if (!result.ok)
        result.error = where + result.error;
    return result;
}

} // namespace ollendor
