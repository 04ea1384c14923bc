// A WAV file of 16-bit signed mono PCM at 31,250 samples per second, written as it goes.
//
// The file is written through a SafeFile: the samples go to a temporary file beside the
// target ("out.wav.part-XXXXXX"), and only wavClose, once the header's two size fields are
// fixed up and everything is on the disk, renames it over the target. A failure anywhere
// leaves an older file at the target as it was. A run cut short by a crash or a kill
// leaves the temporary file behind with its sizes still 0: that is acceptable because the
// target is never half-written, and the leftover holds every sample written so far behind
// a normal header, which tools that read WAV files of unknown length recover.
//
// Samples are stored little-endian whatever the host's byte order. The format's 32-bit
// sizes limit a file to about 19 hours of sound; once the samples reach that limit the
// file is marked full, later samples are dropped, and the file is still closed as a valid
// one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/safe_file.h"

namespace ollendor {

inline constexpr unsigned wavHeaderBytes = 44;

// The most sample bytes the format holds: the largest even count whose RIFF size
// (36 + data) still fits 32 bits.
inline constexpr uint32_t wavFormatDataLimit = 0xFFFFFFFFu - (wavHeaderBytes - 8) - 1;

struct WavFile {
    SafeFile file;       // the temporary file being written, open until wavClose
    uint32_t dataBytes;  // sample bytes written so far
    uint32_t dataLimit;  // sample bytes the file may hold (even)
    bool failed;         // a write failed: the file will not replace the target
    bool full;           // the size limit was reached: later samples are dropped
    std::string error;   // why the file failed; kept after wavClose until the next wavOpen
};

// Creates the temporary file for path and writes the header. False if it cannot be
// created (error says why); the WavFile is then closed. The limit is always the format's
// own in the program; tests lower it to reach it without writing 4 GiB.
bool wavOpen(WavFile& wav, const char* path, uint32_t dataLimit = wavFormatDataLimit);
// Appends count samples. False if they could not all be written: a write failed (the file
// is marked failed) or the size limit was reached (the samples that fit are written and
// the file is marked full).
bool wavWrite(WavFile& wav, const int16_t* samples, size_t count);
// Fixes up the header's sizes, closes the file and puts it in place of the target. False
// if any write of the file failed (error says why; the target is untouched). A full file
// is complete and gives true. Harmless on a closed WavFile that did not fail (true).
bool wavClose(WavFile& wav);

} // namespace ollendor
