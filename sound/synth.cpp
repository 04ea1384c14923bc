#include "sound/synth.h"

#include <algorithm>
#include <cassert>

namespace ollendor {

static_assert(sampleStep * (secondHalfSamples - 1) < blockSamples,
              "every output sample of a half must come from the block");

uint16_t squareWave(int16_t* destination, size_t count, uint16_t halfPeriod, uint16_t state,
                    uint16_t amplitude)
{
    unsigned polarity = state >> 15;
    unsigned left = state & 0x3FF;
    const int16_t high = int16_t(amplitude);
    const int16_t low = int16_t(uint16_t(0u - amplitude));
    size_t i = 0;
    while (i < count) {
        if (left <= 1) {
            // This sample's count reaches 0: reload and change polarity.
            left = halfPeriod;
            polarity ^= 1;
            destination[i++] = polarity ? high : low;
            continue;
        }
        // The next left - 1 samples count down without reaching 0.
        size_t run = std::min<size_t>(left - 1, count - i);
        std::fill_n(destination + i, run, polarity ? high : low);
        i += run;
        left -= unsigned(run);
    }
    // Only bits 0-9 of the count are read back; a half period of 1024 or more leaves its
    // higher bits in 10-14, but never in the polarity bit.
    return uint16_t(polarity << 15 | (left & 0x7FFF));
}

uint16_t toneBlock(int16_t* destination, size_t count, uint16_t hertz, uint16_t state,
                   uint16_t amplitude)
{
    if (hertz == 0) {
        // No frequency, no wave: silence, and the wave resumes where it stood.
        std::fill_n(destination, count, int16_t(0));
        return uint16_t(state & 0x83FF);
    }
    // 125000 is half the generation rate; below 2 Hz the half period is held at 65535.
    unsigned halfPeriod = std::min(generationRate / 2 / hertz, 0xFFFFu);
    return squareWave(destination, count, uint16_t(halfPeriod), state, amplitude);
}

void fillHalf(ToneSynth& synth, const ToneSettings& tones, int16_t* destination, size_t count)
{
    assert(count <= secondHalfSamples);
    count = std::min<size_t>(count, secondHalfSamples);
    // The three channels are summed wide and clamped once, so two loud channels in the same
    // polarity give full scale instead of wrapping round to the opposite sign.
    int32_t sum[secondHalfSamples] = {};
    for (unsigned c = 0; c < 3; ++c) {
        synth.channelPhase[c] = toneBlock(synth.toneScratch, blockSamples, tones.frequency[c],
                                          synth.channelPhase[c], tones.amplitude[c]);
        for (size_t i = 0; i < count; ++i)
            sum[i] += synth.toneScratch[sampleStep * i];
    }
    for (size_t i = 0; i < count; ++i)
        destination[i] = int16_t(std::clamp(sum[i], int32_t(-32768), int32_t(32767)));
}

} // namespace ollendor
