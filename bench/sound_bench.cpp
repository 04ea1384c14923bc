// Synthesis speed: one buffer half (three channels of 12500 generated samples each).
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench/bench.h"
#include "sound/soundchip.h"
#include "sound/synth.h"

using namespace ollendor;

namespace {

ToneSynth synth;
ToneSettings tones;

// Best time of one second-half fill in microseconds over several batches: fillHalf, or the
// machine's own synthesis (synthesizeHalf, no scratch block).
double timeFill(bool machine = false)
{
    static int16_t half[secondHalfSamples];
    constexpr int batches = 15, fills = 100;
    double best = 1e9;
    for (int b = 0; b < batches; ++b) {
        auto start = std::chrono::steady_clock::now();
        for (int f = 0; f < fills; ++f) {
            if (machine)
                synthesizeHalf(synth.channelPhase, tones, half, secondHalfSamples);
            else
                fillHalf(synth, tones, half, secondHalfSamples);
        }
        std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count() / fills);
    }
    return best;
}

void soundBench()
{
    // The worst case: 440 Hz, 1 kHz and the highest tone a
    // period of 1 gives (59464 Hz published, half period 2: the most polarity changes).
    const uint16_t hertz[3] = {440, 1000, 59464};
    for (unsigned c = 0; c < 3; ++c) {
        tones.frequency[c] = hertz[c];
        tones.amplitude[c] = 25600;
        synth.channelPhase[c] = 0;
    }
    std::printf("fillHalf: %.2f us\n", timeFill());
    std::printf("synthesizeHalf: %.2f us\n", timeFill(true));
    // The common case: steady tones in the audible range only.
    tones.frequency[2] = 2000;
    std::printf("fillHalf audible tones: %.2f us\n", timeFill());
    std::printf("synthesizeHalf audible tones: %.2f us\n", timeFill(true));
}

const BenchSection soundSection("sound", 40, soundBench);

} // namespace
