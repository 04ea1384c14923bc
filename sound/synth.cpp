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

namespace {

// squareWave over `total` generated samples, adding only every eighth one (the first
// `kept` of them) to sum; returns the wave state after all `total`.
uint16_t addKeptSquareWave(int32_t* sum, size_t kept, size_t total, uint16_t halfPeriod, uint16_t state,
                           uint16_t amplitude)
{
    unsigned polarity = state >> 15;
    unsigned left = state & 0x3FF;
    const int32_t high = int16_t(amplitude);
    const int32_t low = int16_t(uint16_t(0u - amplitude));
    size_t i = 0;
    // Adds the value of generated samples [from, to) to the kept ones among them.
    auto add = [&](size_t from, size_t to, int32_t value) {
        for (size_t j = (from + sampleStep - 1) / sampleStep; j < kept && j * sampleStep < to; ++j)
            sum[j] += value;
    };
    while (i < total) {
        if (left <= 1) {
            left = halfPeriod;
            polarity ^= 1;
            add(i, i + 1, polarity ? high : low);
            ++i;
            continue;
        }
        const size_t run = std::min<size_t>(left - 1, total - i);
        add(i, i + run, polarity ? high : low);
        i += run;
        left -= unsigned(run);
    }
    return uint16_t(polarity << 15 | (left & 0x7FFF));
}

} // namespace

void synthesizeHalf(uint16_t (&channelPhase)[3], const ToneSettings& tones, int16_t* destination, size_t count)
{
    assert(count <= secondHalfSamples);
    count = std::min<size_t>(count, secondHalfSamples);
    int32_t sum[secondHalfSamples] = {};
    for (unsigned c = 0; c < 3; ++c) {
        const uint16_t hertz = tones.frequency[c];
        if (hertz == 0) {
            channelPhase[c] = uint16_t(channelPhase[c] & 0x83FF); // silence; the wave waits
            continue;
        }
        const unsigned halfPeriod = std::min(generationRate / 2 / hertz, 0xFFFFu);
        channelPhase[c] = addKeptSquareWave(sum, count, blockSamples, uint16_t(halfPeriod), channelPhase[c],
                                            tones.amplitude[c]);
    }
    for (size_t i = 0; i < count; ++i)
        destination[i] = int16_t(std::clamp(sum[i], int32_t(-32768), int32_t(32767)));
}

} // namespace ollendor
