#include "host/sdl/sdl_textures.h"

#include <vector>

namespace ollendor {

namespace {
constexpr int largestSide = 4096; // what every renderer SDL has can hold
} // namespace

SdlTextures::~SdlTextures()
{
    for (auto& [handle, texture] : held)
        SDL_DestroyTexture(texture);
}

TextureHandle SdlTextures::create(int width, int height, TextureScaling scaling)
{
    if (width < 1 || height < 1 || width > largestSide || height > largestSide) {
        reason = "a texture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return 0;
    }
    SDL_Texture* texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, width, height);
    if (!texture) {
        reason = std::string("SDL_CreateTexture: ") + SDL_GetError();
        return 0;
    }
    // Transparent until its pixels come, blended over the widgets.
    const std::vector<uint8_t> clear(size_t(width) * size_t(height) * 4, 0);
    if (SDL_UpdateTexture(texture, nullptr, clear.data(), width * 4) != 0 ||
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND) != 0 ||
        SDL_SetTextureScaleMode(texture, scaling == TextureScaling::sharp ? SDL_ScaleModeNearest
                                                                         : SDL_ScaleModeLinear) != 0) {
        reason = std::string("setting up a texture: ") + SDL_GetError();
        SDL_DestroyTexture(texture);
        return 0;
    }
    const TextureHandle handle = next++;
    held[handle] = texture;
    return handle;
}

bool SdlTextures::update(TextureHandle handle, const uint8_t* rgba, int pitch)
{
    const auto found = held.find(handle);
    if (found == held.end() || !rgba) {
        reason = "no such texture";
        return false;
    }
    int width = 0;
    if (SDL_QueryTexture(found->second, nullptr, nullptr, &width, nullptr) != 0) {
        reason = std::string("SDL_QueryTexture: ") + SDL_GetError();
        return false;
    }
    if (pitch < width * 4) {
        reason = "rows of " + std::to_string(pitch) + " bytes for " + std::to_string(width) + " pixels";
        return false;
    }
    int height = 0;
    SDL_QueryTexture(found->second, nullptr, nullptr, nullptr, &height);
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < height; ++row)
        for (const uint8_t* p = rgba + size_t(row) * size_t(pitch), *end = p + size_t(width) * 4; p < end; ++p)
            hash = (hash ^ *p) * 1099511628211ull;
    Contents& known = contents[found->second];
    if (known.hash == hash)
        return true; // it shows these pixels already
    if (SDL_UpdateTexture(found->second, nullptr, rgba, pitch) != 0) {
        reason = std::string("SDL_UpdateTexture: ") + SDL_GetError();
        return false;
    }
    known.hash = hash;
    ++known.version;
    return true;
}

uint64_t SdlTextures::version(const void* imguiTexture) const
{
    const auto found = contents.find(imguiTexture);
    return found == contents.end() ? 0 : found->second.version;
}

void SdlTextures::destroy(TextureHandle handle)
{
    const auto found = held.find(handle);
    if (found == held.end())
        return;
    contents.erase(found->second);
    SDL_DestroyTexture(found->second);
    held.erase(found);
}

void* SdlTextures::imguiTexture(TextureHandle handle) const
{
    // The SDL renderer back-end of ImGui takes the SDL texture itself.
    const auto found = held.find(handle);
    return found == held.end() ? nullptr : found->second;
}

} // namespace ollendor
