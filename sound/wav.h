// A WAV file of 16-bit signed mono PCM at 31,250 samples per second, written as it goes.
//
// The 44-byte header goes out first with its two size fields at 0 and is fixed up by
// wavClose, so a file cut short by a crash still holds every sample written so far.
// Samples are stored little-endian whatever the host's byte order. The format's 32-bit
// sizes limit a file to about 19 hours of sound; samples beyond that are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

inline constexpr unsigned wavHeaderBytes = 44;

struct WavFile {
    std::FILE* file;     // the open output, null when closed
    uint32_t dataBytes;  // sample bytes written so far
    bool failed;         // a write failed or the size limit was reached
};

// Creates (or truncates) the file at path and writes the header. False if it cannot be
// created; the WavFile is then closed.
bool wavOpen(WavFile& wav, const char* path);
// Appends count samples. False, and the file marked failed, if they could not all be
// written.
bool wavWrite(WavFile& wav, const int16_t* samples, size_t count);
// Fixes up the header's sizes and closes the file. False if any write of the file failed.
// Harmless on a closed WavFile (returns true).
bool wavClose(WavFile& wav);
