#include "state/recording.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include <xxhash.h>

#include "machine/tape.h"
#include "state/byte_io.h"
#include "state/recording_format.h"

namespace ollendor {

namespace recording_format {

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

} // namespace recording_format

using namespace recording_format;

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

} // namespace

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

} // namespace ollendor
