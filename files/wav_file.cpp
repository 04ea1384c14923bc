#include "files/wav_file.h"

#include <algorithm>

#include "sound/synth.h"

namespace ollendor {

namespace {

constexpr uint32_t riffSizeOffset = 4;  // RIFF chunk size: everything after this field
constexpr uint32_t dataSizeOffset = 40; // data chunk size: the sample bytes
constexpr size_t chunkSamples = 2048;   // converted per write: more than a half of the stream

void put16(uint8_t* at, uint16_t value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

void put32(uint8_t* at, uint32_t value)
{
    put16(at, uint16_t(value));
    put16(at + 2, uint16_t(value >> 16));
}

bool writeAt(SafeFile& file, uint32_t offset, uint32_t value)
{
    uint8_t bytes[4];
    put32(bytes, value);
    return file.writeAt(offset, bytes, sizeof bytes);
}

void markFailed(WavFile& wav)
{
    wav.failed = true;
    wav.error = wav.file.error();
    wav.file.abandon();
}

} // namespace

bool wavOpen(WavFile& wav, const char* path, uint32_t dataLimit)
{
    wav.file.abandon();
    wav.dataBytes = 0;
    wav.dataLimit = dataLimit & ~1u;
    wav.failed = false;
    wav.full = false;
    wav.error.clear();
    if (!wav.file.open(path)) {
        wav.error = wav.file.error();
        return false;
    }

    uint8_t header[wavHeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                      'f', 'm', 't', ' '};
    put32(header + 16, 16);                  // fmt chunk size
    put16(header + 20, 1);                   // PCM
    put16(header + 22, 1);                   // mono
    put32(header + 24, audioSampleRate);     // samples per second
    put32(header + 28, audioSampleRate * 2); // bytes per second
    put16(header + 32, 2);                   // bytes per sample frame
    put16(header + 34, 16);                  // bits per sample
    header[36] = 'd';
    header[37] = 'a';
    header[38] = 't';
    header[39] = 'a';
    put32(header + riffSizeOffset, wavHeaderBytes - 8);
    if (!wav.file.write(header, sizeof header)) {
        wav.error = wav.file.error();
        return false;
    }
    return true;
}

bool wavWrite(WavFile& wav, const int16_t* samples, size_t count)
{
    if (!wav.file.isOpen() || wav.failed || wav.full)
        return false;
    while (count > 0) {
        uint8_t bytes[2 * chunkSamples];
        const size_t room = (wav.dataLimit - wav.dataBytes) / 2;
        const size_t chunk = std::min({count, chunkSamples, room});
        if (chunk == 0) {
            wav.full = true;
            return false;
        }
        for (size_t i = 0; i < chunk; ++i)
            put16(bytes + 2 * i, uint16_t(samples[i]));
        if (!wav.file.write(bytes, 2 * chunk)) {
            markFailed(wav);
            return false;
        }
        wav.dataBytes += uint32_t(chunk * 2);
        samples += chunk;
        count -= chunk;
    }
    return true;
}

bool wavClose(WavFile& wav)
{
    bool ok = !wav.failed;
    if (wav.file.isOpen()) {
        ok = writeAt(wav.file, riffSizeOffset, wavHeaderBytes - 8 + wav.dataBytes) &&
             writeAt(wav.file, dataSizeOffset, wav.dataBytes) && wav.file.commit() && ok;
        if (!ok && wav.error.empty())
            wav.error = wav.file.error();
        wav.file.abandon(); // after a failure: the temporary file goes
    }
    wav.dataBytes = 0;
    wav.failed = false;
    wav.full = false;
    return ok;
}

} // namespace ollendor
