// The host's sound device through SDL's audio (the only part of the sound output that
// includes SDL).
//
// Opens the default output device for 16-bit signed mono at 31,250 Hz. No format change
// is allowed to SDL: where the device takes something else, SDL converts for us, so the
// source always gets exactly the samples the stream expects; only the callback's block
// size is left to the device. The callback runs on SDL's audio thread and passes each
// block straight to the source. A device that goes away (unplugged) stops calling back;
// the stream copes with that, and the platform closes the stream when SDL's event pump
// reports the removal of the device with our id.
#pragma once

#include <cstdint>
#include <string>

#include "host/audio/device.h"

namespace ollendor {

class SdlAudioDevice final : public AudioDevice {
public:
    SdlAudioDevice() = default;
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;
    ~SdlAudioDevice() override { close(); }

    bool open(AudioSource& source) override;
    bool play() override;
    void stop() override;
    void close() override;

    // Why the last open failed: the SDL call and SDL's message. Sound start-up failures
    // are silent; this is for a caller that wants to say more.
    const std::string& failure() const { return failure_; }
    // SDL's id of the open device, 0 while closed.
    uint32_t id() const { return device_; }

private:
    static void callback(void* self, uint8_t* stream, int bytes);

    AudioSource* source_ = nullptr; // where the callback takes its samples from
    uint32_t device_ = 0;           // SDL's device id, 0 while closed
    bool subsystem_ = false;        // we hold a reference on SDL's audio subsystem
    std::string failure_;           // last open's failure, empty after success
};

} // namespace ollendor
