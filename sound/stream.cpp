#include "sound/stream.h"

#include <exception>

#include "sound/soundchip.h"

SoundStream soundStream = {};
std::atomic<uint32_t> soundStopState = 0;

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// The device's side of the buffer: copies from the play position on, setting the half
// event whose boundary playback reaches.
class RingSource final : public AudioSource {
public:
    void pull(int16_t* destination, unsigned count) override
    {
        uint32_t position = soundStream.playPosition.load(relaxed);
        for (unsigned i = 0; i < count; ++i) {
            if (position == 0)
                firstHalfEvent.set();
            else if (position == secondHalfStart)
                secondHalfEvent.set();
            destination[i] = soundStream.ring[position].load(relaxed);
            if (++position == ringSamples)
                position = 0;
        }
        soundStream.playPosition.store(position, relaxed);
    }
};

RingSource ringSource;

// Synthesises count samples and stores them in the buffer from sample start on. The
// device may be playing that very half (after a published change), so the samples go in
// one by one as atomics rather than through the synthesis writing into the buffer.
void fillRing(unsigned start, unsigned count)
{
    soundStream.fill(soundStream.halfScratch, count);
    for (unsigned i = 0; i < count; ++i)
        soundStream.ring[start + i].store(soundStream.halfScratch[i], relaxed);
}

bool stopRequested()
{
    return soundStopState.load(std::memory_order_acquire) != 0;
}

} // namespace

bool soundOpen(AudioDevice& device)
{
    if (soundStream.device)
        return false; // already open; one device at a time
    for (auto& sample : soundStream.ring)
        sample.store(0, relaxed);
    soundStream.playPosition.store(0, relaxed);
    if (!soundStream.fill)
        soundStream.fill = fillHalf;
    if (!device.open(ringSource))
        return false;
    soundStream.device = &device;
    soundStopState.store(0, relaxed);
    for (unsigned c = 0; c < 3; ++c) {
        soundChip.channelAmplitude[c].store(0, relaxed);
        soundChip.channelFrequency[c].store(440, relaxed);
    }
    return true;
}

void startSoundThread()
{
    if (!soundStream.device || soundStream.thread)
        return;
    try {
        soundStream.thread = new std::thread(soundThread);
    } catch (const std::exception&) { // no thread could be made, or no memory for it
        // No thread: the buffer stays silent and soundClose just releases the device.
        soundStream.thread = nullptr;
    }
}

int soundThread()
{
    firstHalfEvent.reset();
    secondHalfEvent.reset();
    for (unsigned i = 0; i < firstHalfSamples; ++i)
        soundStream.ring[i].store(0, relaxed);
    if (!soundStream.device->play()) {
        // Never played: nothing to stop, but soundClose still learns that we are done.
        soundStopState.store(2, std::memory_order_release);
        return 0;
    }
    soundChip.soundRunning.store(true, std::memory_order_release);
    for (auto& phase : channelPhase)
        phase = 0;

    // A stop request is looked at after every wake-up, not only after a whole cycle:
    // soundClose sets both events, and once it has asked, filling again would be wasted.
    while (!stopRequested()) {
        firstHalfEvent.wait();
        firstHalfEvent.reset();
        if (stopRequested())
            break;
        fillRing(secondHalfStart, secondHalfSamples);

        secondHalfEvent.wait();
        secondHalfEvent.reset();
        if (stopRequested())
            break;
        fillRing(0, firstHalfSamples);
    }

    soundStream.device->stop();
    soundChip.soundRunning.store(false, std::memory_order_release);
    soundStopState.store(2, std::memory_order_release);
    return 0;
}

void soundClose()
{
    if (!soundStream.device)
        return;
    if (soundStream.thread && soundStream.thread->get_id() == std::this_thread::get_id())
        return;
    // Ask the thread to stop (unless it has already finished), then wake it: a device that
    // no longer calls back (unplugged, say) would otherwise leave it waiting for ever.
    uint32_t running = 0;
    soundStopState.compare_exchange_strong(running, 1, std::memory_order_acq_rel);
    firstHalfEvent.set();
    secondHalfEvent.set();
    if (soundStream.thread) {
        soundStream.thread->join();
        delete soundStream.thread;
        soundStream.thread = nullptr;
    }

    soundStream.device->close();
    soundStream.device = nullptr;
    soundChip.soundRunning.store(false, std::memory_order_release);
    soundStopState.store(2, std::memory_order_release);
}

bool soundThreadStarted()
{
    return soundStream.thread != nullptr;
}
