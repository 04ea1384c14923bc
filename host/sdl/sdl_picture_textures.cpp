#include "host/sdl/sdl_picture_textures.h"

#include <cstdio>

namespace ollendor {

SdlPictureTextures::~SdlPictureTextures()
{
    for (auto& [slot, texture] : textures)
        if (texture.texture)
            SDL_DestroyTexture(texture.texture);
}

void SdlPictureTextures::reportOnce(const char* call)
{
    // A picture that cannot be shown leaves its view with the text; the run goes on.
    if (reported)
        return;
    reported = true;
    std::fprintf(stderr, "ollendor: the debugger's pictures cannot be shown (%s: %s)\n", call, SDL_GetError());
}

void* SdlPictureTextures::upload(int slot, int width, int height, const uint8_t* rgba)
{
    if (width <= 0 || height <= 0 || !rgba)
        return nullptr;
    Texture& entry = textures[slot];
    if (entry.texture && (entry.width != width || entry.height != height)) {
        SDL_DestroyTexture(entry.texture);
        entry = Texture{};
    }
    if (!entry.texture) {
        // Bytes R, G, B, A in memory whatever the host's byte order.
        entry.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!entry.texture) {
            reportOnce("SDL_CreateTexture");
            return nullptr;
        }
        entry.width = width;
        entry.height = height;
        // Without these the picture still shows, only smoothed or without transparency.
        if (SDL_SetTextureScaleMode(entry.texture, SDL_ScaleModeNearest) != 0)
            reportOnce("SDL_SetTextureScaleMode");
        if (SDL_SetTextureBlendMode(entry.texture, SDL_BLENDMODE_BLEND) != 0)
            reportOnce("SDL_SetTextureBlendMode");
    }
    if (SDL_UpdateTexture(entry.texture, nullptr, rgba, width * 4) != 0) {
        reportOnce("SDL_UpdateTexture");
        return nullptr;
    }
    return entry.texture;
}

} // namespace ollendor
