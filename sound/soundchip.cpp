#include "sound/soundchip.h"

namespace ollendor {

void soundChipPowerOn(SoundChip& chip)
{
    for (unsigned c = 0; c < 4; ++c) {
        chip.tonePeriod[c] = 0x400;
        chip.volume[c] = 0;
    }
    chip.latchedChannel = 0;
    for (unsigned c = 0; c < 3; ++c) {
        chip.published.frequency[c] = 0;
        chip.published.amplitude[c] = 0;
    }
}

void soundWriteData(SoundChip& chip, uint8_t value)
{
    if (!(value & 0x80)) {
        // Data byte: the upper six bits of the latched channel's period.
        uint16_t& period = chip.tonePeriod[chip.latchedChannel];
        period = uint16_t((value & 0x3F) << 4 | (period & 0x0F));
        return;
    }
    unsigned channel = (value >> 5) & 3;
    if (channel == 3)
        return; // noise control and noise attenuation are not kept
    if (value & 0x10) {
        chip.volume[channel] = volumeTable[value & 0x0F];
    } else {
        chip.latchedChannel = channel;
        uint16_t& period = chip.tonePeriod[channel];
        period = uint16_t((period & 0x3F0) | (value & 0x0F));
    }
}

bool soundStrobe(SoundChip& chip)
{
    const ToneSettings before = chip.published;
    for (unsigned c = 0; c < 3; ++c) {
        uint16_t amplitude = 0;
        if (chip.tonePeriod[c] != 0) {
            chip.published.frequency[c] = uint16_t(4000000u / (chip.tonePeriod[c] * 32u));
            amplitude = uint16_t(chip.volume[c] * 200);
        }
        chip.published.amplitude[c] = amplitude;
    }
    return chip.published != before;
}

bool applyPublished(ToneSettings& output, const ToneSettings& published)
{
    const ToneSettings before = output;
    for (unsigned c = 0; c < 3; ++c) {
        if (published.frequency[c] != 0)
            output.frequency[c] = published.frequency[c];
        output.amplitude[c] = published.amplitude[c];
    }
    return output != before;
}

} // namespace ollendor
