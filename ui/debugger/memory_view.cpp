#include "ui/debugger/memory_view.h"

#include <algorithm>
#include <cstdio>

#include <imgui.h>

#include "debug/numbers.h"
#include "ui/debugger/widgets.h"

namespace ollendor {

void drawMemoryView(MemoryView& view, DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Memory", open)) {
        ImGui::End();
        return;
    }
    Control& control = context.control;
    Mtx& machine = control.machine();
    const bool paused = control.paused();

    if (context.showMemory) {
        view.source = MemorySource{};
        view.scrollTo = *context.showMemory;
        context.showMemory.reset();
    }

    // Which memory.
    ImGui::SetNextItemWidth(160);
    if (ImGui::BeginCombo("##source", memorySourceName(machine, view.source).c_str())) {
        auto item = [&](MemorySource source) {
            if (ImGui::Selectable(memorySourceName(machine, source).c_str(), view.source == source)) {
                view.source = source;
                view.editing.reset();
            }
        };
        item(MemorySource{});
        for (unsigned page = 0; page < pageCount; ++page)
            item(MemorySource{MemorySource::Kind::page, uint8_t(page)});
        item(MemorySource{MemorySource::Kind::video, 0});
        ImGui::EndCombo();
    }
    ImGui::SameLine();
    ImGui::SetNextItemWidth(std::max(80.0f, ImGui::GetContentRegionAvail().x));
    if (ImGui::InputTextWithHint("##goto", "go to...", view.gotoText, sizeof view.gotoText,
                                 ImGuiInputTextFlags_EnterReturnsTrue)) {
        if (const auto address = resolveAddress(context.symbols(), view.gotoText, view.gotoError)) {
            if (*address < memorySize(view.source))
                view.scrollTo = *address;
            else
                view.gotoError = "video memory ends at 3FFF";
        }
    }
    if (!view.gotoError.empty())
        colouredText(debugColour::error, view.gotoError);
    if (!paused)
        ImGui::TextDisabled("Pause (F6) to edit; red: changed since the last pause");

    const float lineHeight = ImGui::GetTextLineHeightWithSpacing();
    const float charWidth = ImGui::CalcTextSize("0").x;
    ImGui::BeginChild("##rows", ImVec2(0, 0), false, ImGuiWindowFlags_HorizontalScrollbar);
    const uint32_t size = memorySize(view.source);
    if (view.scrollTo) {
        ImGui::SetScrollY(float(*view.scrollTo / 16) * lineHeight);
        view.scrollTo.reset();
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    std::optional<std::pair<uint32_t, uint8_t>> write;
    ImGuiListClipper clipper;
    clipper.Begin(int(size / 16), lineHeight);
    while (clipper.Step()) {
        for (int rowIndex = clipper.DisplayStart; rowIndex < clipper.DisplayEnd; ++rowIndex) {
            const MemoryRow row = memoryRow(machine, context.changes, view.source, uint32_t(rowIndex) * 16);
            ImGui::TextUnformatted(hex4(uint16_t(row.address)).c_str());
            for (unsigned i = 0; i < row.count; ++i) {
                const uint32_t address = row.address + i;
                ImGui::SameLine(charWidth * (6 + 3 * i + (i >= 8 ? 1 : 0)));
                ImGui::PushID(int(address));
                if (view.editing == address) {
                    if (view.focusEdit) {
                        ImGui::SetKeyboardFocusHere();
                        view.focusEdit = false;
                    }
                    ImGui::SetNextItemWidth(charWidth * 2 + 4);
                    if (ImGui::InputText("##edit", view.editText, 3,
                                         ImGuiInputTextFlags_CharsHexadecimal | ImGuiInputTextFlags_EnterReturnsTrue |
                                             ImGuiInputTextFlags_AutoSelectAll)) {
                        if (const auto value = parseNumber(view.editText, true); value && *value <= 0xFF)
                            write = std::pair{address, uint8_t(*value)};
                    } else if (!ImGui::IsItemActive() && !view.focusEdit && ImGui::IsItemDeactivated()) {
                        view.editing.reset(); // left without Enter: dropped
                    }
                } else {
                    const ImVec2 at = ImGui::GetCursorScreenPos();
                    const std::string text = hex2(row.bytes[i]);
                    if (row.changed[i])
                        draw->AddRectFilled(at, ImVec2(at.x + charWidth * 2, at.y + ImGui::GetTextLineHeight()),
                                            debugColour::changedBack);
                    ImGui::PushStyleColor(ImGuiCol_Text, row.changed[i] ? debugColour::changed : ImGui::GetStyleColorVec4(ImGuiCol_Text));
                    if (ImGui::Selectable(text.c_str(), false, 0, ImVec2(charWidth * 2, 0)) && paused) {
                        view.editing = address;
                        std::snprintf(view.editText, sizeof view.editText, "%02X", unsigned(row.bytes[i]));
                        view.focusEdit = true;
                    }
                    ImGui::PopStyleColor();
                }
                ImGui::PopID();
            }
            ImGui::SameLine(charWidth * (6 + 3 * 16 + 2));
            ImGui::TextUnformatted(row.characters.c_str());
        }
    }
    ImGui::EndChild();
    ImGui::End();

    if (write) {
        const MemorySource source = view.source;
        const uint32_t address = write->first;
        const uint8_t value = write->second;
        if (control.paused()) {
            control.edit([&](Mtx& m) { writeMemoryByte(m, source, address, value); });
            context.changes.edited(control.machine());
            // On to the next byte, as a hex editor goes.
            if (address + 1 < size) {
                view.editing = address + 1;
                std::snprintf(view.editText, sizeof view.editText, "%02X",
                              unsigned(memoryByte(control.machine(), source, address + 1)));
                view.focusEdit = true;
            } else {
                view.editing.reset();
            }
        } else {
            view.editing.reset();
        }
    }
    if (!paused)
        view.editing.reset();
}

} // namespace ollendor
