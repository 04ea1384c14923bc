// The recording reader: arbitrary bytes, half the time with a checksum appended that
// matches, so that the checks past it are what meets them. A recording it accepts (of this
// format's version) writes back to the same bytes; one it refuses says why.
//
// Input: first byte even: the file as it is; odd: the rest, then its XXH64 appended.
#include <cstring>
#include <vector>

#include <xxhash.h>

#include "state/recording.h"

using namespace ollendor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<uint8_t> file(data + 1, data + size);
    if (data[0] % 2 == 1) {
        const uint64_t sum = XXH64(file.data(), file.size(), 0);
        uint8_t bytes[8];
        for (int i = 0; i < 8; ++i)
            bytes[i] = uint8_t(sum >> (8 * i));
        file.insert(file.end(), bytes, bytes + 8);
    }
    const RecordingResult result = parseRecording(file);
    if (!result.ok) {
        if (result.error.empty())
            __builtin_trap();
        return 0;
    }
    for (size_t i = 1; i < result.recording.inputs.size(); ++i)
        if (result.recording.inputs[i].position < result.recording.inputs[i - 1].position)
            __builtin_trap();
    // A file of this format's version writes back to the same bytes (an older version is
    // read as it was recorded, and written in today's).
    const uint16_t version = uint16_t(file[8] | file[9] << 8);
    if (version == recordingFormatVersion && encodeRecording(result.recording) != file)
        __builtin_trap();
    return 0;
}
