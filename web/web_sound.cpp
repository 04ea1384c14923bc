#include "web/web_sound.h"

#include "machine/machine.h"
#include "sound/wavstream.h"

namespace ollendor {

void webSoundStart(WebSound& sound)
{
    sound = WebSound{};
    for (unsigned c = 0; c < 3; ++c)
        sound.tones.frequency[c] = 440;
}

size_t webTakeSamples(WebSound& sound, const Mtx& machine, uint64_t cycles, int16_t* out, size_t room)
{
    applyPublished(sound.tones, machine.sound.published);
    sound.cycles += cycles;
    size_t written = 0;
    for (;;) {
        const unsigned count = sound.secondHalfNext ? secondHalfSamples : firstHalfSamples;
        const uint64_t end = sound.samples + count;
        if (end * cyclesPerOutputSample > sound.cycles || written + count > room)
            return written;
        fillHalf(sound.synth, sound.tones, out + written, count);
        written += count;
        sound.samples = end;
        sound.secondHalfNext = !sound.secondHalfNext;
    }
}

} // namespace ollendor
