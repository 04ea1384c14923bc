#include "machine/ctc.h"

#include "cpu/z80.h"
using namespace ollendor; // FIXME: until the machine moves into the namespace

CtcState ctc;

namespace {

unsigned prescalerShift(const CtcChannel& ch)
{
    return (ch.control & ctcPrescaler256) ? 8 : 4;
}

} // namespace

void ctcPowerOn()
{
    for (CtcChannel& ch : ctc.channel) {
        ch.control = 0;
        ch.timeConstant = 0;
        ch.count = 0;
        ch.counter = 0;
        ch.timeConstantNext = 0;
        ch.running = 0;
    }
    ctc.vector = 0;
}

void ctcWrite(uint16_t port, uint8_t value)
{
    CtcChannel& ch = ctc.channel[port & 3];
    if (ch.timeConstantNext) {
        ch.timeConstant = value;
        ch.count = value;
        ch.counter = int32_t(value) << prescalerShift(ch);
        ch.timeConstantNext = 0;
        ch.running = (ch.control & ctcStopped) ? 0 : 1;
        return;
    }
    if (!(value & ctcControlWord)) {
        ctc.vector = value & 0xF8;
        return;
    }
    if (!(value & ctcReset))
        ch.control = value;
    ch.timeConstantNext = (value & ctcConstantFollows) ? 1 : 0;
}

uint8_t ctcRead(uint16_t port)
{
    return ctc.channel[port & 3].count;
}

uint16_t ctcTick(unsigned channel, int32_t cycles)
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
