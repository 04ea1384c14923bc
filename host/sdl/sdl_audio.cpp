#include "host/sdl/sdl_audio.h"

#include <SDL.h>

namespace ollendor {

namespace {

constexpr Uint16 callbackSamples = 512; // about 16 ms per callback, well under a half

} // namespace

bool SdlAudioDevice::open(AudioSource& source)
{
    close();
    failure_.clear();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        failure_ = std::string("SDL_InitSubSystem(SDL_INIT_AUDIO): ") + SDL_GetError();
        return false;
    }
    subsystem_ = true;

    SDL_AudioSpec wanted{};
    wanted.freq = int(audioSampleRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = callbackSamples;
    wanted.callback = callback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    source_ = &source;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained,
                                  SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (device_ == 0) {
        failure_ = std::string("SDL_OpenAudioDevice: ") + SDL_GetError();
        close();
        return false;
    }
    // With no format change allowed SDL converts; a device that still reports another
    // format is one we cannot feed.
    if (obtained.format != AUDIO_S16SYS || obtained.channels != 1 ||
        obtained.freq != int(audioSampleRate)) {
        failure_ = "SDL_OpenAudioDevice: the device does not take 16-bit mono at 31250 Hz";
        close();
        return false;
    }
    return true;
}

bool SdlAudioDevice::play()
{
    if (device_ == 0)
        return false;
    SDL_PauseAudioDevice(device_, 0);
    return SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_PLAYING;
}

void SdlAudioDevice::stop()
{
    // Pausing takes the device's lock, so no callback is running once it returns.
    if (device_ != 0)
        SDL_PauseAudioDevice(device_, 1);
}

void SdlAudioDevice::close()
{
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_); // waits for SDL's audio thread to end
        device_ = 0;
    }
    if (subsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
    }
    source_ = nullptr;
}

void SdlAudioDevice::callback(void* self, uint8_t* stream, int bytes)
{
    auto* device = static_cast<SdlAudioDevice*>(self);
    unsigned samples = unsigned(bytes) / 2;
    // SDL hands over its own (aligned) buffer in the format we asked for.
    device->source_->pull(reinterpret_cast<int16_t*>(stream), samples);
    if (bytes % 2)
        stream[bytes - 1] = 0;
}

} // namespace ollendor
