#include "machine/ctc.h"

#include "cpu/z80.h"

namespace ollendor {

namespace {

unsigned prescalerShift(const CtcChannel& ch)
{
    return (ch.control & ctcPrescaler256) ? 8 : 4;
}

} // namespace

void ctcPowerOn(CtcState& ctc)
{
    for (CtcChannel& ch : ctc.channel) {
        ch.control = 0;
        ch.timeConstant = 0;
        ch.count = 0;
        ch.counter = 0;
        ch.timeConstantNext = false;
        ch.running = false;
    }
    ctc.vector = 0;
}

void ctcWrite(CtcState& ctc, uint16_t port, uint8_t value)
{
    CtcChannel& ch = ctc.channel[port & 3];
    if (ch.timeConstantNext) {
        ch.timeConstant = value;
        ch.count = value;
        ch.counter = int32_t(value) << prescalerShift(ch);
        ch.timeConstantNext = false;
        ch.running = !(ch.control & ctcStopped);
        return;
    }
    if (!(value & ctcControlWord)) {
        ctc.vector = value & 0xF8;
        return;
    }
    if (!(value & ctcReset))
        ch.control = value;
    ch.timeConstantNext = (value & ctcConstantFollows) != 0;
}

uint8_t ctcRead(const CtcState& ctc, uint16_t port)
{
    return ctc.channel[port & 3].count;
}

uint16_t ctcTick(CtcState& ctc, unsigned channel, int32_t cycles)
{
    CtcChannel& ch = ctc.channel[channel];
    const unsigned shift = prescalerShift(ch);
    uint16_t result = hookContinue;
    ch.counter -= cycles;
    if (ch.counter <= 0) {
        // Reload without the overshoot: at most one expiry per tick.
        ch.counter = int32_t(ch.timeConstant) << shift;
        if (ch.control & ctcInterruptEnable)
            result = uint16_t(ctc.vector | (channel * 2));
    }
    ch.count = uint8_t(ch.counter >> shift);
    return result;
}

} // namespace ollendor
