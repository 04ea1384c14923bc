#include "host/audio/stream.h"

#include <exception>

namespace ollendor {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
} // namespace

SoundStream::SoundStream() : synth_(std::make_unique<ToneSynth>())
{
    for (auto& sample : ring_)
        sample.store(0, relaxed);
    for (unsigned c = 0; c < 3; ++c) {
        frequency_[c].store(0, relaxed);
        amplitude_[c].store(0, relaxed);
    }
    fill_ = [this](const ToneSettings& tones, int16_t* destination, size_t count) {
        fillHalf(*synth_, tones, destination, count);
    };
}

SoundStream::~SoundStream()
{
    close();
}

// The device's side of the buffer: copies from the play position on, setting the half
// event whose boundary playback reaches.
void SoundStream::pull(int16_t* destination, unsigned count)
{
    if (fed_.load(std::memory_order_acquire)) {
        queue_.take(destination, count);
        const int volume = muted() ? 0 : volume_.load(relaxed);
        if (volume != 100)
            for (unsigned i = 0; i < count; ++i)
                destination[i] = int16_t(destination[i] * volume / 100);
        return;
    }
    uint32_t position = playPosition_.load(relaxed);
    for (unsigned i = 0; i < count; ++i) {
        if (position == 0)
            firstHalfEvent.set();
        else if (position == secondHalfStart)
            secondHalfEvent.set();
        destination[i] = ring_[position].load(relaxed);
        if (++position == ringSamples)
            position = 0;
    }
    playPosition_.store(position, relaxed);
}

// Synthesises count samples and stores them in the buffer from sample start on. The
// device may be playing that very half (after a published change), so the samples go in
// one by one as atomics rather than through the synthesis writing into the buffer.
void SoundStream::fillRing(unsigned start, unsigned count)
{
    if (fed_.load(std::memory_order_acquire))
        return; // the device plays the machine's samples: the ring is not heard
    if (muted()) {
        for (unsigned i = 0; i < count; ++i)
            ring_[start + i].store(0, relaxed);
        return;
    }
    fill_(tones(), halfScratch_, count);
    const int volume = volume_.load(relaxed);
    if (volume != 100)
        for (unsigned i = 0; i < count; ++i)
            halfScratch_[i] = int16_t(halfScratch_[i] * volume / 100);
    for (unsigned i = 0; i < count; ++i)
        ring_[start + i].store(halfScratch_[i], relaxed);
}

void SoundStream::feed(const int16_t* samples, size_t count)
{
    queue_.put(samples, count);
    fed_.store(true, std::memory_order_release);
}

void SoundStream::setVolume(int percent)
{
    const int volume = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    if (volume_.exchange(volume, relaxed) == volume)
        return;
    firstHalfEvent.set();
    secondHalfEvent.set();
}

bool SoundStream::open(AudioDevice& device)
{
    if (device_)
        return false; // already open; one device at a time
    for (auto& sample : ring_)
        sample.store(0, relaxed);
    playPosition_.store(0, relaxed);
    if (!device.open(*this))
        return false;
    device_ = &device;
    stopState_.store(0, relaxed);
    for (unsigned c = 0; c < 3; ++c) {
        amplitude_[c].store(0, relaxed);
        frequency_[c].store(440, relaxed);
    }
    return true;
}

void SoundStream::startThread()
{
    if (!device_ || thread_)
        return;
    try {
        thread_ = std::make_unique<std::thread>([this] { threadBody(); });
    } catch (const std::exception&) { // no thread could be made, or no memory for it
        // No thread: the buffer stays silent and close just releases the device.
        thread_.reset();
    }
}

int SoundStream::threadBody()
{
    firstHalfEvent.reset();
    secondHalfEvent.reset();
    for (unsigned i = 0; i < firstHalfSamples; ++i)
        ring_[i].store(0, relaxed);
    if (!device_->play()) {
        // Never played: nothing to stop, but close still learns that we are done.
        stopState_.store(2, std::memory_order_release);
        return 0;
    }
    running_.store(true, std::memory_order_release);
    for (auto& phase : synth_->channelPhase)
        phase = 0;

    // A stop request is looked at after every wake-up, not only after a whole cycle: close
    // sets both events, and once it has asked, filling again would be wasted.
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

    device_->stop();
    running_.store(false, std::memory_order_release);
    stopState_.store(2, std::memory_order_release);
    return 0;
}

void SoundStream::close()
{
    if (!device_)
        return;
    if (thread_ && thread_->get_id() == std::this_thread::get_id())
        return;
    // Ask the thread to stop (unless it has already finished), then wake it: a device that
    // no longer calls back (unplugged, say) would otherwise leave it waiting for ever.
    uint32_t running = 0;
    stopState_.compare_exchange_strong(running, 1, std::memory_order_acq_rel);
    firstHalfEvent.set();
    secondHalfEvent.set();
    if (thread_) {
        thread_->join();
        thread_.reset();
    }

    device_->close();
    device_ = nullptr;
    running_.store(false, std::memory_order_release);
    stopState_.store(2, std::memory_order_release);
}

void SoundStream::publish(const ToneSettings& published)
{
    ToneSettings current = tones();
    if (!applyPublished(current, published))
        return;
    for (unsigned c = 0; c < 3; ++c) {
        frequency_[c].store(current.frequency[c], relaxed);
        amplitude_[c].store(current.amplitude[c], relaxed);
    }
    if (running_.load(std::memory_order_acquire)) {
        firstHalfEvent.set();
        secondHalfEvent.set();
    }
}

void SoundStream::setMuted(bool muted)
{
    if (muted_.exchange(muted, std::memory_order_acq_rel) == muted)
        return;
    if (running_.load(std::memory_order_acquire)) {
        firstHalfEvent.set();
        secondHalfEvent.set();
    }
}

ToneSettings SoundStream::tones() const
{
    ToneSettings tones{};
    for (unsigned c = 0; c < 3; ++c) {
        tones.frequency[c] = frequency_[c].load(relaxed);
        tones.amplitude[c] = amplitude_[c].load(relaxed);
    }
    return tones;
}

} // namespace ollendor
