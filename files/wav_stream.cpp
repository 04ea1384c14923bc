#include "files/wav_stream.h"

namespace ollendor {

bool wavStart(WavStream& wav, const char* path)
{
    if (wav.wav.file.isOpen())
        return false;
    wav.cycles = 0;
    wav.samples = 0;
    wav.secondHalfNext = false;
    if (!wavOpen(wav.wav, path, wav.dataLimit))
        return false;
    for (unsigned c = 0; c < 3; ++c) {
        wav.tones.amplitude[c] = 0;
        wav.tones.frequency[c] = 440;
        wav.synth.channelPhase[c] = 0;
    }
    return true;
}

void wavPublish(WavStream& wav, const ToneSettings& published)
{
    applyPublished(wav.tones, published);
}

void wavAdvance(WavStream& wav, uint64_t cycles)
{
    if (!wav.wav.file.isOpen())
        return;
    wav.cycles += cycles;
    for (;;) {
        unsigned count = wav.secondHalfNext ? secondHalfSamples : firstHalfSamples;
        uint64_t end = wav.samples + count;
        if (end * cyclesPerOutputSample > wav.cycles)
            return;
        fillHalf(wav.synth, wav.tones, wav.half, count);
        // A failed write is remembered in the file and reported by wavFinish, a full file
        // takes no more; time still moves on so the halves stay in step.
        wavWrite(wav.wav, wav.half, count);
        wav.samples = end;
        wav.secondHalfNext = !wav.secondHalfNext;
    }
}

void wavTake(WavStream& wav, const int16_t* samples, size_t count)
{
    if (!wav.wav.file.isOpen())
        return;
    wavWrite(wav.wav, samples, count);
    wav.samples += count;
    wav.cycles = wav.samples * cyclesPerOutputSample;
}

bool wavFinish(WavStream& wav)
{
    return wavClose(wav.wav);
}

} // namespace ollendor
