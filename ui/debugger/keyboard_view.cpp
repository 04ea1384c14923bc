#include "ui/debugger/keyboard_view.h"

#include <imgui.h>

#include "machine/keyboard.h"

namespace ollendor {

const char* matrixKeyName(uint8_t vk)
{
    static constexpr const char* letters[26] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                                "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    static constexpr const char* digits[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    if (vk >= 'A' && vk <= 'Z')
        return letters[vk - 'A'];
    if (vk >= '0' && vk <= '9')
        return digits[vk - '0'];
    // The names the machine's own key caps and the ROM's keyboard page use, three letters
    // at most, so the grid's columns are narrow and alike.
    switch (vk) {
    case 0x08: return "BS";
    case 0x09: return "TAB";
    case 0x0D: return "RET";
    case 0x10: return "SHF";
    case 0x11: return "CTL";
    case 0x20: return "SPC";
    case 0x25: return "LFT";
    case 0x26: return "UP";
    case 0x27: return "RGT";
    case 0x28: return "DWN";
    case 0x2B: return "EXE";
    case 0x2E: return "DEL";
    case 0xBC: return ",";
    case 0xBE: return ".";
    case 0xBF: return "/";
    case 0xE2: return "<>";
    default: return "";
    }
}

bool matrixKeyHeld(const KeyboardInput& input, unsigned row, unsigned column)
{
    return row < 8 && column < 10 && (input.rows[row] >> column & 1) != 0;
}

void drawKeyboardView(DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Keyboard", open)) {
        ImGui::End();
        return;
    }
    const KeyboardState& keyboard = context.machine().keyboard;
    ImGui::Text("Last scan: columns 0-7 %02X, columns 8-9 and straps %02X (0 = pressed)", unsigned(keyboard.senseLow),
                unsigned(keyboard.senseHigh));
    ImGui::Text("Caps Lock %s%s", (keyboard.input.capsLock & 1) ? "on" : "off",
                (keyboard.input.capsLock & 0x8000) ? ", held" : "");
    // Every column as wide as the widest, so the grid is a grid.
    if (ImGui::BeginTable("##matrix", 11, ImGuiTableFlags_Borders | ImGuiTableFlags_SizingFixedSame)) {
        ImGui::TableSetupColumn("row");
        for (int c = 0; c < 10; ++c) {
            static constexpr const char* names[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
            ImGui::TableSetupColumn(names[c]);
        }
        ImGui::TableHeadersRow();
        for (unsigned row = 0; row < 8; ++row) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::Text("%u", row);
            for (unsigned column = 0; column < 10; ++column) {
                ImGui::TableNextColumn();
                const uint8_t vk = keyMatrixMap[row][column];
                if (vk == noKey)
                    continue;
                if (matrixKeyHeld(keyboard.input, row, column)) {
                    ImGui::TableSetBgColor(ImGuiTableBgTarget_CellBg, IM_COL32(250, 200, 80, 255));
                    ImGui::TextUnformatted(matrixKeyName(vk));
                } else {
                    ImGui::TextDisabled("%s", matrixKeyName(vk));
                }
            }
        }
        ImGui::EndTable();
    }
    ImGui::TextDisabled("Held keys are marked; rows are the drive lines, columns the sense lines.");
    ImGui::End();
}

} // namespace ollendor
