// The sound chip's registers as the machine writes them, and what it publishes.
//
// Ports: OUT 6 takes latch and data bytes; IN 3 strobes the register file, publishing each
// tone channel's frequency and amplitude for the sound thread (and returns 0).
// Modelled: the three tone channels' 10-bit periods and 4-bit attenuations.
// Not modelled: the noise channel (its bytes are accepted and ignored).
//
// The emulation thread writes the published words and the sound thread reads them; they
// are atomics, and a change wakes the sound thread through both half events.
#pragma once

#include <atomic>
#include <cstdint>

#include "sound/event.h"

// Volume level for each 4-bit attenuation, 0 (loudest) to 15 (silent).
inline constexpr uint32_t volumeTable[16] = {
    128, 114, 101, 90, 80, 71, 64, 57, 50, 45, 40, 36, 32, 28, 25, 0,
};

struct SoundChip {
    uint16_t tonePeriod[4];                     // tone periods; writes set bits 0-9
    uint32_t volume[4];                         // volume levels, entries of volumeTable
    uint32_t latchedChannel;                    // channel 0-2 that a data byte updates
    std::atomic<uint16_t> channelFrequency[3];  // published frequency in Hz
    std::atomic<uint16_t> channelAmplitude[3];  // published amplitude (peak sample value)
    std::atomic<bool> soundRunning;             // set by the sound thread while its buffer plays
};

extern SoundChip soundChip;

// Woken by the audio device at the buffer halves and by any published change.
extern ManualResetEvent firstHalfEvent;
extern ManualResetEvent secondHalfEvent;

void soundWriteData(uint8_t value);   // OUT 6
uint8_t soundStrobe();                // IN 3: publishes the tone channels, returns 0
void setChannelFrequency(unsigned channel, uint16_t hertz);
void setChannelAmplitude(unsigned channel, uint16_t amplitude);

// Puts every field back to its program-start value (periods 0x400, volumes 0, channel 0,
// nothing published, not running). The program starts in this state; tests use it too.
void soundChipPowerOn();
