#include "ui/debugger/picture_slots.h"

namespace ollendor {

void PictureSlots::use(Textures* textures)
{
    if (textures == textures_)
        return;
    textures_ = textures;
    slots_.clear();
}

void* PictureSlots::upload(int slot, int width, int height, const uint8_t* rgba)
{
    if (!textures_ || width <= 0 || height <= 0 || !rgba)
        return nullptr;
    Slot& entry = slots_[slot];
    if (!textures_->imguiTexture(entry.handle) || entry.width != width || entry.height != height) {
        textures_->destroy(entry.handle);
        entry = Slot{textures_->create(width, height, TextureScaling::sharp), width, height};
        if (!entry.handle)
            return nullptr;
    }
    if (!textures_->update(entry.handle, rgba, width * 4))
        return nullptr;
    return textures_->imguiTexture(entry.handle);
}

void PictureSlots::release(Textures* textures)
{
    if (textures && textures == textures_)
        for (const auto& [slot, entry] : slots_)
            textures_->destroy(entry.handle);
    slots_.clear();
    textures_ = nullptr;
}

} // namespace ollendor
