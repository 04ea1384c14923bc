#include "sound/soundchip.h"

SoundChip soundChip;
ManualResetEvent firstHalfEvent;
ManualResetEvent secondHalfEvent;

namespace {

// Runs before main, so the program starts with the chip's power-on values.
const bool poweredOn = (soundChipPowerOn(), true);

// Stores a published word; on a change, wakes the sound thread if it plays.
void publish(std::atomic<uint16_t>& word, uint16_t value)
{
    if (word.load(std::memory_order_relaxed) == value)
        return;
    word.store(value, std::memory_order_relaxed);
    if (soundChip.soundRunning.load(std::memory_order_acquire)) {
        firstHalfEvent.set();
        secondHalfEvent.set();
    }
}

} // namespace

void soundChipPowerOn()
{
    for (unsigned c = 0; c < 4; ++c) {
        soundChip.tonePeriod[c] = 0x400;
        soundChip.volume[c] = 0;
    }
    soundChip.latchedChannel = 0;
    for (unsigned c = 0; c < 3; ++c) {
        soundChip.channelFrequency[c].store(0, std::memory_order_relaxed);
        soundChip.channelAmplitude[c].store(0, std::memory_order_relaxed);
    }
    soundChip.soundRunning.store(false, std::memory_order_relaxed);
}

void soundWriteData(uint8_t value)
{
    if (!(value & 0x80)) {
        // Data byte: the upper six bits of the latched channel's period.
        uint16_t& period = soundChip.tonePeriod[soundChip.latchedChannel];
        period = uint16_t((value & 0x3F) << 4 | (period & 0x0F));
        return;
    }
    unsigned channel = (value >> 5) & 3;
    if (channel == 3)
        return; // noise control and noise attenuation are not kept
    if (value & 0x10) {
        soundChip.volume[channel] = volumeTable[value & 0x0F];
    } else {
        soundChip.latchedChannel = channel;
        uint16_t& period = soundChip.tonePeriod[channel];
        period = uint16_t((period & 0x3F0) | (value & 0x0F));
    }
}

uint8_t soundStrobe()
{
    for (unsigned c = 0; c < 3; ++c) {
        uint16_t amplitude = 0;
        if (soundChip.tonePeriod[c] != 0) {
            setChannelFrequency(c, uint16_t(4000000u / (soundChip.tonePeriod[c] * 32u)));
            amplitude = uint16_t(soundChip.volume[c] * 200);
        }
        setChannelAmplitude(c, amplitude);
    }
    return 0;
}

void setChannelFrequency(unsigned channel, uint16_t hertz)
{
    publish(soundChip.channelFrequency[channel], hertz);
}

void setChannelAmplitude(unsigned channel, uint16_t amplitude)
{
    publish(soundChip.channelAmplitude[channel], amplitude);
}
