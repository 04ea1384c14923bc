#include "ui/debugger/picture.h"

#include <imgui.h>

#include "video/display.h"

namespace ollendor {

void pictureToRgba(const IndexedPicture& picture, std::vector<uint8_t>& rgba)
{
    rgba.resize(picture.pixels.size() * 4);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const uint8_t index = picture.pixels[i];
        uint8_t* out = &rgba[i * 4];
        if (index >= 16) {
            out[0] = out[1] = out[2] = out[3] = 0;
            continue;
        }
        const uint32_t colour = displayPalette[index];
        out[0] = uint8_t(colour >> 16);
        out[1] = uint8_t(colour >> 8);
        out[2] = uint8_t(colour);
        out[3] = 255;
    }
}

void* showPicture(PictureSlots* textures, int slot, const IndexedPicture& picture, float scale)
{
    if (!textures) {
        ImGui::TextDisabled("(the pictures show in the program's window)");
        return nullptr;
    }
    std::vector<uint8_t> rgba;
    pictureToRgba(picture, rgba);
    void* texture = textures->upload(slot, picture.width, picture.height, rgba.data());
    if (!texture) {
        ImGui::TextDisabled("(this picture cannot be shown)");
        return nullptr;
    }
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const ImVec2 size(float(picture.width) * scale, float(picture.height) * scale);
    // A dark frame behind, so transparent and black parts read as parts of the picture.
    ImGui::GetWindowDrawList()->AddRectFilled(ImVec2(at.x - 1, at.y - 1), ImVec2(at.x + size.x + 1, at.y + size.y + 1),
                                              IM_COL32(60, 60, 60, 255));
    ImGui::Image(texture, size);
    return texture;
}

} // namespace ollendor
