#include "sound/wav.h"

#include <algorithm>

#include "host/audio.h"

namespace {

constexpr uint32_t riffSizeOffset = 4;  // RIFF chunk size: everything after this field
constexpr uint32_t dataSizeOffset = 40; // data chunk size: the sample bytes
// The largest even sample byte count whose RIFF size (36 + data) still fits 32 bits.
constexpr uint32_t maxDataBytes = 0xFFFFFFFFu - (wavHeaderBytes - 8) - 1;

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

bool writeAt(std::FILE* file, long offset, uint32_t value)
{
    uint8_t bytes[4];
    put32(bytes, value);
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, file) == 4;
}

} // namespace

bool wavOpen(WavFile& wav, const char* path)
{
    wav = {};
    wav.file = std::fopen(path, "wb");
    if (!wav.file)
        return false;

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
    if (std::fwrite(header, 1, sizeof header, wav.file) != sizeof header) {
        std::fclose(wav.file);
        wav = {};
        return false;
    }
    return true;
}

bool wavWrite(WavFile& wav, const int16_t* samples, size_t count)
{
    if (!wav.file || wav.failed)
        return false;
    while (count > 0) {
        uint8_t bytes[1024];
        size_t chunk = std::min(count, sizeof bytes / 2);
        if (chunk * 2 > maxDataBytes - wav.dataBytes) {
            wav.failed = true;
            return false;
        }
        for (size_t i = 0; i < chunk; ++i)
            put16(bytes + 2 * i, uint16_t(samples[i]));
        if (std::fwrite(bytes, 2, chunk, wav.file) != chunk) {
            wav.failed = true;
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
    if (!wav.file)
        return true;
    bool ok = !wav.failed;
    ok = writeAt(wav.file, riffSizeOffset, wavHeaderBytes - 8 + wav.dataBytes) && ok;
    ok = writeAt(wav.file, dataSizeOffset, wav.dataBytes) && ok;
    ok = std::fclose(wav.file) == 0 && ok;
    wav = {};
    return ok;
}
