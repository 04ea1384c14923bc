// The counter/timer chip (Z80 CTC) on ports 8-11, the machine's only interrupt source.
//
// Ports: 8, 9, 10, 11 are channels 0-3, both ways. OUT takes a vector (bit 0 clear, through
// any channel), a control word (bit 0 set) or, after a control word with bit 2 set, a time
// constant; IN reads the channel's count.
// Modelled: each channel as a down-counter of CPU cycles behind a prescaler of 16 or 256,
// started when its time constant is loaded (control bit 3 clear) and reloading itself;
// an expiry with control bit 7 set gives the vectored code vector | channel * 2.
// Not modelled: counter mode and the trigger inputs (bit 6 and bit 4 are stored but every
// channel counts cycles), the software reset (a word with bit 1 set is not stored and
// stops nothing), the interrupt daisy chain and RETI decoding. A channel expires at most
// once per tick, so its period is at least one tick (2048 cycles from the hook).
#pragma once

#include <cstdint>

namespace ollendor {

struct CtcChannel {
    uint8_t control;       // last control word stored
    uint8_t timeConstant;  // last time constant loaded
    uint8_t count;         // what IN reads: counter / prescaler, low 8 bits
    int32_t counter;       // CPU cycles left until the channel runs out
    bool timeConstantNext; // the next byte written is a time constant
    bool running;          // counts down and is ticked by the hook
};

struct CtcState {
    CtcChannel channel[4]; // channels 0-3 on ports 8-11
    uint8_t vector;        // interrupt vector, top five bits only
};

// Control word bits this model acts on.
inline constexpr uint8_t ctcInterruptEnable = 0x80;
inline constexpr uint8_t ctcPrescaler256 = 0x20;
inline constexpr uint8_t ctcStopped = 0x08;      // set: loading a time constant stops the channel
inline constexpr uint8_t ctcConstantFollows = 0x04;
inline constexpr uint8_t ctcReset = 0x02;        // set: the word is not stored
inline constexpr uint8_t ctcControlWord = 0x01;  // clear: the byte is a vector

void ctcPowerOn(CtcState& ctc);                                   // every field 0, as at program start
void ctcWrite(CtcState& ctc, uint16_t port, uint8_t value);         // OUT 8-11
uint8_t ctcRead(const CtcState& ctc, uint16_t port);                // IN 8-11, no side effect
uint16_t ctcTick(CtcState& ctc, unsigned channel, int32_t cycles);  // 0xFFFF, or the interrupt code

} // namespace ollendor
