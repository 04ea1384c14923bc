// The sound chip and the synthesis: port bytes and strobes, then buffer halves filled from
// what an output plays, with the output checked against the mixing rules.
//
// Input: a sequence of operations, each an opcode byte:
//   opcode % 4: 0 OUT 6 with the next byte, 1 IN 3 (strobe; a change the strobe reports is
//   handed to the output, as the machine's soundChanged event has it; with opcode bit 2 the
//   published settings are handed over even without one, which must then change nothing),
//   2 fill a buffer half of 1562 or 1563 samples (opcode bit 2), 3 fill a short half of
//   (next byte) samples.
// The published settings are set only through the strobe, as in the machine.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>

#include "sound/soundchip.h"
#include "sound/synth.h"

using namespace ollendor;

namespace {

SoundChip chip;
ToneSettings playing;             // what the output plays: 440 Hz, silent, when it opens
std::unique_ptr<ToneSynth> synth; // its wave state
int16_t output[secondHalfSamples + 1];

// Every output sample is the clamped sum of the three channels' taken samples, and each
// channel sample is +amplitude or -amplitude (or 0 at frequency 0).
void checkHalf(size_t count)
{
    int32_t limit = 0;
    for (unsigned c = 0; c < 3; ++c)
        limit += playing.amplitude[c];
    for (size_t i = 0; i < count; ++i) {
        if (output[i] > std::min(limit, 32767) || output[i] < std::max(-limit, -32768))
            __builtin_trap();
    }
    if (output[count] != 0x5A5A)
        __builtin_trap(); // written past the half
}

void fill(size_t count)
{
    std::fill(std::begin(output), std::end(output), int16_t(0x5A5A));
    fillHalf(*synth, playing, output, count);
    checkHalf(count);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    synth = std::make_unique<ToneSynth>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    soundChipPowerOn(chip);
    *synth = ToneSynth{};
    for (unsigned c = 0; c < 3; ++c) {
        playing.frequency[c] = 440;
        playing.amplitude[c] = 0;
    }
    FuzzedDataProvider input(data, size);
    while (input.remaining_bytes() > 0) {
        const uint8_t opcode = input.ConsumeIntegral<uint8_t>();
        switch (opcode % 4) {
        case 0: soundWriteData(chip, input.ConsumeIntegral<uint8_t>()); break;
        case 1:
            if (soundStrobe(chip)) {
                applyPublished(playing, chip.published);
            } else if ((opcode & 4) && applyPublished(playing, chip.published)) {
                // Only a change the strobe kept quiet about could change what is played:
                // the output would have missed it.
                __builtin_trap();
            }
            break;
        case 2: fill((opcode & 4) ? secondHalfSamples : firstHalfSamples); break;
        case 3: fill(input.ConsumeIntegral<uint8_t>()); break;
        }
    }
    for (unsigned c = 0; c < 3; ++c) {
        if (chip.published.amplitude[c] > volumeTable[0] * 200)
            __builtin_trap();
    }
    // The noise channel's entries are never changed.
    if (chip.tonePeriod[3] != 0x400 || chip.volume[3] != 0)
        __builtin_trap();
    return 0;
}
