#include "sound/wavstream.h"

#include "sound/soundchip.h"
#include "sound/stream.h"

WavStream wavStream = {};

bool wavStart(const char* path)
{
    if (wavStream.wav.file.isOpen() || soundThreadStarted() ||
        soundChip.soundRunning.load(std::memory_order_acquire))
        return false;
    wavStream.cycles = 0;
    wavStream.samples = 0;
    wavStream.secondHalfNext = false;
    if (!wavOpen(wavStream.wav, path))
        return false;
    for (unsigned c = 0; c < 3; ++c) {
        soundChip.channelAmplitude[c].store(0, std::memory_order_relaxed);
        soundChip.channelFrequency[c].store(440, std::memory_order_relaxed);
        channelPhase[c] = 0;
    }
    return true;
}

void wavAdvance(uint64_t cycles)
{
    if (!wavStream.wav.file.isOpen())
        return;
    wavStream.cycles += cycles;
    for (;;) {
        unsigned count = wavStream.secondHalfNext ? secondHalfSamples : firstHalfSamples;
        uint64_t end = wavStream.samples + count;
        if (end * cyclesPerOutputSample > wavStream.cycles)
            return;
        fillHalf(wavStream.half, count);
        // A failed write is remembered in the file and reported by wavFinish, a full file
        // takes no more; time still moves on so the halves stay in step.
        wavWrite(wavStream.wav, wavStream.half, count);
        wavStream.samples = end;
        wavStream.secondHalfNext = !wavStream.secondHalfNext;
    }
}

bool wavFinish()
{
    return wavClose(wavStream.wav);
}
