#include "sound/output.h"

#include <algorithm>
#include <cstring>

#include "sound/synth.h"

namespace ollendor {

static_assert(firstHalfSamples + secondHalfSamples == halfPairSamples);
static_assert(outputCyclesPerSample * outputRate == 4000000);

namespace {

ToneSettings powerOnTones()
{
    ToneSettings tones{};
    for (unsigned c = 0; c < 3; ++c)
        tones.frequency[c] = 440;
    return tones;
}

unsigned nextHalfLength(const SoundOutput& output)
{
    return output.secondHalfNext ? secondHalfSamples : firstHalfSamples;
}

// Appends count samples, dropping the oldest waiting ones when they would not fit.
void keep(SoundOutput& output, const int16_t* samples, size_t count)
{
    if (output.waiting + count > soundOutputCapacity) {
        const size_t drop = output.waiting + count - soundOutputCapacity;
        std::memmove(output.buffer, output.buffer + drop, (output.waiting - drop) * sizeof(int16_t));
        output.waiting -= uint32_t(drop);
        output.dropped += drop;
    }
    std::memcpy(output.buffer + output.waiting, samples, count * sizeof(int16_t));
    output.waiting += uint32_t(count);
}

} // namespace

void soundOutputPowerOn(SoundOutput& output)
{
    for (uint16_t& phase : output.channelPhase)
        phase = 0;
    output.secondHalfNext = false;
    output.halfStart = 0;
    output.heard = powerOnTones();
    output.waiting = 0;
    output.dropped = 0;
    std::memset(output.buffer, 0, sizeof output.buffer);
}

void soundOutputStartAt(SoundOutput& output, uint64_t cycles, const ToneSettings& published)
{
    soundOutputPowerOn(output);
    const uint64_t sample = cycles / outputCyclesPerSample;
    const uint64_t pairStart = sample / halfPairSamples * halfPairSamples;
    output.secondHalfNext = sample - pairStart >= firstHalfSamples;
    output.halfStart = pairStart + (output.secondHalfNext ? firstHalfSamples : 0);
    applyPublished(output.heard, published);
}

void soundOutputFrameEnd(SoundOutput& output, uint64_t cycles, const ToneSettings& published)
{
    for (;;) {
        const unsigned count = nextHalfLength(output);
        const uint64_t end = output.halfStart + count;
        if (end * outputCyclesPerSample > cycles)
            return;
        applyPublished(output.heard, published);
        int16_t half[secondHalfSamples];
        synthesizeHalf(output.channelPhase, output.heard, half, count);
        keep(output, half, count);
        output.halfStart = end;
        output.secondHalfNext = !output.secondHalfNext;
    }
}

bool soundOutputConsistent(const SoundOutput& output)
{
    return output.halfStart % halfPairSamples == (output.secondHalfNext ? firstHalfSamples : 0u);
}

size_t takeSamples(SoundOutput& output, int16_t* out, size_t max)
{
    const size_t count = std::min<size_t>(max, output.waiting);
    std::memcpy(out, output.buffer, count * sizeof(int16_t));
    std::memmove(output.buffer, output.buffer + count, (output.waiting - count) * sizeof(int16_t));
    // Taken samples are cleared, so a machine whose samples were taken holds the same bytes
    // frame after frame (the rewind buffer keeps only the bytes that change).
    std::memset(output.buffer + (output.waiting - count), 0, count * sizeof(int16_t));
    output.waiting -= uint32_t(count);
    return count;
}

void discardSamples(SoundOutput& output)
{
    std::memset(output.buffer, 0, output.waiting * sizeof(int16_t));
    output.waiting = 0;
}

} // namespace ollendor
