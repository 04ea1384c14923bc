// The textures of one SDL renderer for the widgets' pictures (host/window_drawing.h
// Textures): every one is an SDL texture in RGBA byte order, blended, scaled as asked;
// all of them go with the service, before the renderer does.
#pragma once

#include <map>
#include <string>

#include <SDL.h>

#include "host/window_drawing.h"

namespace ollendor {

class SdlTextures final : public Textures {
public:
    // The renderer must outlive the service.
    explicit SdlTextures(SDL_Renderer* renderer) : renderer(renderer) {}
    ~SdlTextures() override;
    SdlTextures(const SdlTextures&) = delete;
    SdlTextures& operator=(const SdlTextures&) = delete;

    TextureHandle create(int width, int height, TextureScaling scaling = TextureScaling::smooth) override;
    bool update(TextureHandle texture, const uint8_t* rgba, int pitch) override;
    void destroy(TextureHandle texture) override;
    void* imguiTexture(TextureHandle texture) const override;
    const std::string& error() const override { return reason; }

    // How many textures are held (for tests).
    size_t count() const { return held.size(); }
    // A count that moves whenever the pixels of that texture (as ImGui is given it) change;
    // 0 for one not held here. An update with the pixels it already has changes nothing.
    uint64_t version(const void* imguiTexture) const;

private:
    SDL_Renderer* renderer;
    std::map<TextureHandle, SDL_Texture*> held; // by handle
    struct Contents {
        uint64_t hash = 0;    // of the pixels last uploaded
        uint64_t version = 1; // moves with each different upload
    };
    std::map<const void*, Contents> contents;   // by SDL texture
    TextureHandle next = 1;                     // the handle the next texture gets
    std::string reason;                         // why the last create or update failed
};

} // namespace ollendor
