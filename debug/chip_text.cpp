#include "debug/chip_text.h"

#include "machine/hook.h"

namespace ollendor {

unsigned ctcPrescalerOf(uint8_t control)
{
    return (control & ctcPrescaler256) ? 256 : 16;
}

std::array<CtcChannelSummary, 4> ctcSummary(const CtcState& ctc)
{
    std::array<CtcChannelSummary, 4> channels{};
    for (unsigned c = 0; c < 4; ++c) {
        const CtcChannel& ch = ctc.channel[c];
        CtcChannelSummary& s = channels[c];
        s.control = ch.control;
        s.interrupts = (ch.control & ctcInterruptEnable) != 0;
        s.controlText = std::string(s.interrupts ? "interrupts on" : "interrupts off") +
                        ", prescaler " + std::to_string(ctcPrescalerOf(ch.control)) +
                        ((ch.control & ctcStopped) ? ", stops on a new constant" : "");
        s.timeConstant = ch.timeConstant;
        s.counter = ch.counter;
        s.count = ch.count;
        s.running = ch.running;
        s.constantNext = ch.timeConstantNext;
        s.vector = uint16_t(ctc.vector | c * 2);
        // The hook ticks it once a slice; it runs out at most once per tick.
        const uint32_t cycles = uint32_t(ch.timeConstant) * ctcPrescalerOf(ch.control);
        s.periodSlices = cycles <= uint32_t(mtxCyclesPerHook) ? 1 : (cycles + mtxCyclesPerHook - 1) / mtxCyclesPerHook;
    }
    return channels;
}

std::optional<unsigned> attenuationOf(uint32_t volume)
{
    for (unsigned level = 0; level < 16; ++level)
        if (volumeTable[level] == volume)
            return level;
    return std::nullopt;
}

std::array<ToneChannelSummary, 3> toneSummary(const SoundChip& chip)
{
    std::array<ToneChannelSummary, 3> channels{};
    for (unsigned c = 0; c < 3; ++c) {
        ToneChannelSummary& s = channels[c];
        s.period = chip.tonePeriod[c];
        s.frequency = s.period ? 4000000u / (s.period * 32u) : 0;
        s.volume = chip.volume[c];
        s.attenuation = attenuationOf(s.volume).value_or(15);
        s.publishedFrequency = chip.published.frequency[c];
        s.publishedAmplitude = chip.published.amplitude[c];
    }
    return channels;
}

} // namespace ollendor
