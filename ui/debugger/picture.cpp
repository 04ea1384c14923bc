#include "ui/debugger/picture.h"

#include <imgui.h>


namespace ollendor {

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
