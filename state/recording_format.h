// The pieces of the recording format (docs/recording-format.md) shared by the codec in
// state/recording.cpp and the file forms in files/recording_files.cpp: the records, their
// bytes, and the reading and checking of a recording from any source of bytes (a Source
// gives take(n, span&), left(), checksumOk() and readFailed()).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "machine/tape.h"
#include "state/byte_io.h"
#include "state/recording.h"

namespace ollendor::recording_format {

constexpr uint8_t endTag = 'E';
constexpr size_t checksumSize = 8;
constexpr size_t positionSize = 8 + 4 + 2;
constexpr size_t keyboardSize = positionSize + sizeof(KeyboardInput::rows) + 2; // after the tag: rows, Caps Lock
constexpr uint32_t largestStartState = 16u << 20;
constexpr size_t headerSize = sizeof recordingMagic + 2 + 2 + 4;



void writePosition(FieldWriter& w, const MachinePosition& p);
MachinePosition readPosition(FieldReader& r);
// The header with the start state, one input, the end with its count of inputs.
std::vector<uint8_t> headerBytes(std::span<const uint8_t> startState);
std::vector<uint8_t> inputBytes(const RecordedInput& input);
std::vector<uint8_t> endBytes(const MachinePosition& end, uint32_t count);
void appendChecksum(std::vector<uint8_t>& bytes, std::span<const uint8_t> hashed);
RecordingResult fail(std::string why);
// Why a position or a keyboard input no run gives is one, or empty.
std::string badPosition(const MachinePosition& p);
std::string badKeyboard(const KeyboardInput& k);
// "a keyboard input", "a tape answer", "a tape mount".
const char* kindName(RecordedInput::Kind kind);

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

} // namespace ollendor::recording_format
