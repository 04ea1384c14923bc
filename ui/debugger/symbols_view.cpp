#include "ui/debugger/symbols_view.h"

#include <imgui.h>

#include "ui/debugger/widgets.h"

namespace ollendor {

void drawSymbolsView(SymbolsView& view, DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Symbols", open)) {
        ImGui::End();
        return;
    }
    ImGui::TextWrapped("Label file (z80asm --label, pasmo --equ or --public):");
    if (view.focusPath) {
        ImGui::SetKeyboardFocusHere();
        view.focusPath = false;
    }
    ImGui::SetNextItemWidth(-60);
    const bool entered = ImGui::InputTextWithHint("##path", "path of the file", view.path, sizeof view.path,
                                                  ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    if (ImGui::Button("Load") || entered) {
        if (view.path[0] == 0) {
            view.report = "type the path of a label file";
            view.reportIsError = true;
        } else {
            const SymbolFileResult result = context.control.loadSymbols(view.path);
            view.report = symbolLoadReport(view.path, result);
            view.reportIsError = !result.ok();
        }
    }
    if (!view.report.empty()) {
        ImGui::PushTextWrapPos(0);
        colouredText(view.reportIsError ? debugColour::error : debugColour::label, view.report);
        ImGui::PopTextWrapPos();
    }
    ImGui::Separator();
    const Symbols& symbols = context.symbols();
    ImGui::SetNextItemWidth(160);
    ImGui::InputTextWithHint("##filter", "filter names", view.filter, sizeof view.filter);
    ImGui::SameLine();
    ImGui::Text("%zu symbols", symbols.size());
    const std::vector<SymbolEntry> entries = filteredSymbols(symbols, view.filter);
    ImGui::BeginChild("##list");
    ImGuiListClipper clipper;
    clipper.Begin(int(entries.size()));
    while (clipper.Step()) {
        for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
            const SymbolEntry& entry = entries[size_t(i)];
            const std::string text = hex4(entry.address) + "  " + entry.name;
            ImGui::PushID(i);
            if (ImGui::Selectable(text.c_str(), false, ImGuiSelectableFlags_AllowDoubleClick) && ImGui::IsMouseDoubleClicked(0))
                context.showCode = entry.address;
            ImGui::PopID();
        }
    }
    ImGui::EndChild();
    ImGui::End();
}

} // namespace ollendor
