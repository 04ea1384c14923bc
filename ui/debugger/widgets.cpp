#include "ui/debugger/widgets.h"

namespace ollendor {

std::optional<uint16_t> resolveAddress(const Symbols& symbols, std::string_view text, std::string& error)
{
    error.clear();
    if (const auto address = symbols.resolve(text))
        return address;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty()) {
        error = "type an address or a symbol";
    } else {
        error.assign(text);
        error.append(" is no symbol and no address from 0 to FFFF");
    }
    return std::nullopt;
}

bool hexField(const char* id, uint16_t& value, bool wide, bool editable, float width)
{
    // Room for every digit and the cursor after them while it is edited, with the frame's
    // padding on both sides: a field as narrow as its digits scrolls the first one away.
    const float padding = ImGui::GetStyle().FramePadding.x * 2;
    ImGui::SetNextItemWidth(width > 0 ? width : ImGui::CalcTextSize(wide ? "000000" : "0000").x + padding);
    // The value is written only on Enter: the caller reads it afresh from the machine every
    // frame, and the field keeps what is being typed until then.
    ImGuiInputTextFlags flags = ImGuiInputTextFlags_CharsHexadecimal | ImGuiInputTextFlags_CharsUppercase |
                                ImGuiInputTextFlags_AutoSelectAll | ImGuiInputTextFlags_EnterReturnsTrue;
    if (!editable)
        flags |= ImGuiInputTextFlags_ReadOnly;
    bool entered = false;
    if (wide) {
        entered = ImGui::InputScalar(id, ImGuiDataType_U16, &value, nullptr, nullptr, "%04X", flags);
    } else {
        uint8_t byte = uint8_t(value);
        entered = ImGui::InputScalar(id, ImGuiDataType_U8, &byte, nullptr, nullptr, "%02X", flags);
        value = byte;
    }
    return editable && entered;
}

void colouredText(const ImVec4& colour, const std::string& text)
{
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopStyleColor();
}

} // namespace ollendor
