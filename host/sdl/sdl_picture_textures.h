// PictureTextures on an SDL renderer: one streaming texture per slot, scaled without
// smoothing so that each pixel of video memory stays a sharp square.
#pragma once

#include <map>

#include <SDL.h>

#include "host/picture_textures.h"

namespace ollendor {

class SdlPictureTextures final : public PictureTextures {
public:
    // The renderer must outlive this object (its textures are destroyed here).
    explicit SdlPictureTextures(SDL_Renderer* renderer) : renderer(renderer) {}
    ~SdlPictureTextures() override;
    SdlPictureTextures(const SdlPictureTextures&) = delete;
    SdlPictureTextures& operator=(const SdlPictureTextures&) = delete;

    void* upload(int slot, int width, int height, const uint8_t* rgba) override;

private:
    struct Texture {
        SDL_Texture* texture = nullptr;
        int width = 0, height = 0;
    };
    void reportOnce(const char* call);

    SDL_Renderer* renderer;
    std::map<int, Texture> textures;
    bool reported = false; // a failure was told on standard error
};

} // namespace ollendor
