// Audio streaming: the sound thread and the looping buffer the audio device plays from.
//
// The buffer holds 100 ms of sound (3,125 samples of 16-bit mono at 31,250 Hz, 6,250
// bytes) in two halves: samples 0-1561 (bytes 0-3123) and 1562-3124 (bytes 3124-6249). The
// device's callback copies from it at the play position and, as playback reaches byte 0
// or byte 3124, sets firstHalfEvent or secondHalfEvent. The sound thread waits for them in
// turn and refills the half that is not playing: playback entering the first half has it
// fill the second, and the other way round. A change the machine publishes sets both
// events, so both halves are refilled at once and the change is heard without waiting.
//
// Once the machine's own samples are fed (feed, from the emulation thread), the device
// plays those instead, through a SampleQueue (sound/sample_queue.h): what is heard is then
// exactly what a WAV file of the run holds, a loaded state's tones from its first half on.
//
// Use from program entry (the stream lives as long as the run, never at static scope: its
// destructor stops the thread, on every way out):
//     SoundStream sound;
//     if (sound.open(device)) { sound.startThread(); ... sound.publish(tones); ... }
//     sound.close();
// When open fails the program runs silent: no thread, and close has nothing to do.
//
// Threads: the main thread calls open, startThread, publish and close; the sound thread
// owns the synthesiser and the writing side of the buffer; the device's thread only reads
// the buffer and moves the play position. The buffer samples, the play position, the
// published tone settings and the stop state are atomics; the two events are the only
// other thing they share.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "host/audio/device.h"
#include "host/audio/event.h"
#include "host/audio/sample_queue.h"
#include "sound/soundchip.h"
#include "sound/synth.h"

namespace ollendor {

inline constexpr unsigned ringSamples = firstHalfSamples + secondHalfSamples; // 100 ms
inline constexpr unsigned secondHalfStart = firstHalfSamples; // the sample at byte 3124

// Synthesis that fills one half: count samples at destination from the tone settings.
using HalfFill = std::function<void(const ToneSettings& tones, int16_t* destination, size_t count)>;

class SoundStream final : private AudioSource {
public:
    SoundStream();
    ~SoundStream() override;
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    // Opens the device on the (silent) buffer. On success publishes amplitude 0 and 440 Hz on
    // tone channels 0-2 and returns true; on failure returns false and changes nothing else.
    bool open(AudioDevice& device);
    // Starts the sound thread after a successful open. Does nothing if the device is not
    // open or a thread was already started; if the thread cannot be created, sound stays silent.
    void startThread();
    // Stops the sound thread (if one was started) and releases the device. Always returns:
    // also when the thread ended early, never played, or the device stopped calling back.
    // Called on the sound thread itself it does nothing (it cannot wait for itself).
    void close();
    bool isOpen() const { return device_ != nullptr; }
    // True from a successful startThread until close.
    bool threadStarted() const { return thread_ != nullptr; }

    // What the machine published (see applyPublished): heard from the next refill on; a
    // change wakes the sound thread.
    void publish(const ToneSettings& published);
    // The settings being played.
    ToneSettings tones() const;
    // Mute: the halves are refilled with silence from now on (the change is heard at once,
    // as a publish is), while the thread, the device and the published settings go on as
    // they were; unmuted, the tones are heard again.
    void setMuted(bool muted);
    bool muted() const { return muted_.load(std::memory_order_acquire); }
    // The output's volume in per cent (0-100, clamped) from the next refill on; a change
    // wakes the sound thread so that it is heard at once. Muting is separate from it.
    void setVolume(int percent);
    int volume() const { return volume_.load(std::memory_order_relaxed); }

    // The machine's own samples (takeSamples, sound/output.h), from the emulation thread:
    // from the first of them on, the device plays these (through a SampleQueue, with the
    // mute and the volume) instead of the ring the sound thread fills from published tones,
    // so what is heard is what a WAV file of the run holds.
    void feed(const int16_t* samples, size_t count);
    // The samples fed and not yet played are not to be heard (the machine jumped).
    void discardFed() { queue_.discard(); }
    bool fed() const { return fed_.load(std::memory_order_acquire); }

    // The synthesis of each half; fillHalf over its own synthesiser unless a test puts its own.
    void setFill(HalfFill fill) { fill_ = std::move(fill); }

    // The sound thread's body; returns 0 when it ends. Always ends with stopState() at 2.
    int threadBody();
    // 0 while the sound thread is to run, 1 once close asks it to stop, 2 once it has
    // finished. Written by close (1) and by the thread (2) only.
    uint32_t stopState() const { return stopState_.load(std::memory_order_acquire); }
    // Set while the sound thread's buffer plays.
    bool running() const { return running_.load(std::memory_order_acquire); }

    // The device's side, for tests that stand in for the device.
    AudioSource& source() { return *this; }
    int16_t ringSample(unsigned index) const { return ring_[index].load(std::memory_order_relaxed); }

    ManualResetEvent firstHalfEvent;  // playback reached byte 0, or a change was published
    ManualResetEvent secondHalfEvent; // playback reached byte 3124, or a change was published

private:
    void pull(int16_t* destination, unsigned count) override;
    void fillRing(unsigned start, unsigned count);
    bool stopRequested() const { return stopState_.load(std::memory_order_acquire) != 0; }

    std::atomic<int16_t> ring_[ringSamples];    // the looping buffer the device plays from
    std::atomic<uint32_t> playPosition_{0};     // next ring sample the device takes
    std::atomic<uint16_t> frequency_[3];        // published frequency in Hz
    std::atomic<uint16_t> amplitude_[3];        // published amplitude (peak sample value)
    std::atomic<uint32_t> stopState_{0};
    std::atomic<int> volume_{100};              // per cent of the synthesised level
    std::atomic<bool> running_{false};
    std::atomic<bool> muted_{false};            // refills are silence
    std::atomic<bool> fed_{false};              // the device plays the queue of fed samples
    SampleQueue queue_;                         // the machine's samples on their way
    int16_t halfScratch_[secondHalfSamples];    // a half as synthesised, before it is stored
    std::unique_ptr<ToneSynth> synth_;          // the sound thread's wave state
    HalfFill fill_;                             // synthesis for each half
    AudioDevice* device_ = nullptr;             // the open device, null while closed
    std::unique_ptr<std::thread> thread_;       // the sound thread, once started
};

} // namespace ollendor
