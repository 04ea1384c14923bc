#include "ui/debugger/trace_view.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <imgui.h>

#include "debug/disassembler.h"
#include "files/safe_file.h"

namespace ollendor {

namespace {

bool containsIgnoringCase(std::string_view text, std::string_view needle)
{
    if (needle.empty())
        return true;
    const auto folded = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(), folded) != text.end();
}

} // namespace

std::string traceLineText(const TraceEntry& entry, const Symbols* symbols)
{
    const Instruction instruction = decodeInstruction(entry.pc, entry.bytes, symbols);
    char bytes[16] = {};
    int used = 0;
    for (unsigned i = 0; i < instruction.length; ++i)
        used += std::snprintf(bytes + used, sizeof bytes - size_t(used), i ? " %02X" : "%02X", unsigned(entry.bytes[i]));
    char line[200];
    std::snprintf(line, sizeof line,
                  "%10llu  %04X  %-11s  %-22s AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X SP=%04X",
                  static_cast<unsigned long long>(entry.cycle), unsigned(entry.pc), bytes, instruction.text,
                  unsigned(entry.af), unsigned(entry.bc), unsigned(entry.de), unsigned(entry.hl), unsigned(entry.ix),
                  unsigned(entry.iy), unsigned(entry.sp));
    return line;
}

std::optional<size_t> findInTrace(const TraceRing& trace, const Symbols* symbols, std::string_view needle,
                                  std::optional<size_t> from, bool forward)
{
    const size_t size = trace.size();
    if (size == 0 || needle.empty())
        return std::nullopt;
    size_t index = from ? *from % size : (forward ? size - 1 : 0);
    for (size_t step = 0; step < size; ++step) {
        index = forward ? (index + 1) % size : (index + size - 1) % size;
        if (containsIgnoringCase(traceLineText(trace.at(index), symbols), needle))
            return index;
    }
    return std::nullopt;
}

bool exportTrace(const TraceRing& trace, const Symbols* symbols, const std::filesystem::path& path, std::string& error)
{
    SafeFile file;
    if (!file.open(path)) {
        error = file.error();
        return false;
    }
    std::string chunk;
    for (size_t i = 0; i < trace.size(); ++i) {
        chunk += traceLineText(trace.at(i), symbols);
        chunk += '\n';
        if (chunk.size() >= 64 * 1024 || i + 1 == trace.size()) {
            if (!file.write(chunk.data(), chunk.size())) {
                error = file.error();
                return false;
            }
            chunk.clear();
        }
    }
    if (!file.commit()) {
        error = file.error();
        return false;
    }
    return true;
}

void drawTraceView(TraceView& view, DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Trace", open)) {
        ImGui::End();
        return;
    }
    const Control& control = context.control;
    const TraceRing& trace = control.debugger().trace();
    const Symbols* symbols = &context.symbols();
    if (control.stops() != view.seenStops) {
        view.seenStops = control.stops();
        if (view.followNewest && trace.size() > 0) {
            view.selected = trace.size() - 1;
            view.scrollToSelected = true;
        }
    }

    ImGui::SetNextItemWidth(160);
    const bool entered = ImGui::InputTextWithHint("##search", "search", view.search, sizeof view.search,
                                                  ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    const bool back = ImGui::Button("Previous");
    ImGui::SameLine();
    const bool next = ImGui::Button("Next") || entered;
    if (back || next) {
        const auto found = findInTrace(trace, symbols, view.search, view.selected, next);
        if (found) {
            view.selected = found;
            view.scrollToSelected = true;
            view.followNewest = false;
            view.status.clear();
        } else {
            view.status = view.search[0] ? "not found" : "type something to search for";
            view.statusIsError = true;
        }
    }
    ImGui::SameLine();
    ImGui::Checkbox("Newest at a stop", &view.followNewest);
    ImGui::SetNextItemWidth(220);
    const bool exportEntered = ImGui::InputText("##export", view.exportPath, sizeof view.exportPath,
                                                ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    if (ImGui::Button("Export") || exportEntered) {
        std::string error;
        if (view.exportPath[0] == 0) {
            view.status = "type the name of the file to write";
            view.statusIsError = true;
        } else if (exportTrace(trace, symbols, view.exportPath, error)) {
            view.status = "wrote " + std::to_string(trace.size()) + " lines to " + view.exportPath;
            view.statusIsError = false;
        } else {
            view.status = std::string("could not write ") + view.exportPath + ": " + error;
            view.statusIsError = true;
        }
    }
    ImGui::SameLine();
    ImGui::Text("%zu instructions", trace.size());
    if (!view.status.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, view.statusIsError ? ImVec4(0.75f, 0.05f, 0.05f, 1) : ImVec4(0.1f, 0.4f, 0.1f, 1));
        ImGui::TextWrapped("%s", view.status.c_str());
        ImGui::PopStyleColor();
    }

    ImGui::BeginChild("##lines", ImVec2(0, 0), false, ImGuiWindowFlags_HorizontalScrollbar);
    const float lineHeight = ImGui::GetTextLineHeightWithSpacing();
    if (view.scrollToSelected && view.selected) {
        ImGui::SetScrollY(std::max(0.0f, float(*view.selected) * lineHeight - ImGui::GetWindowHeight() / 2));
        view.scrollToSelected = false;
    }
    ImGuiListClipper clipper;
    clipper.Begin(int(trace.size()), lineHeight);
    while (clipper.Step()) {
        for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
            const TraceEntry& entry = trace.at(size_t(i));
            const std::string text = traceLineText(entry, symbols);
            ImGui::PushID(i);
            if (ImGui::Selectable(text.c_str(), view.selected == size_t(i), ImGuiSelectableFlags_AllowDoubleClick)) {
                view.selected = size_t(i);
                if (ImGui::IsMouseDoubleClicked(0))
                    context.showCode = entry.pc;
            }
            ImGui::PopID();
        }
    }
    if (trace.size() == 0)
        ImGui::TextDisabled("Instructions are traced while this window or the call stack is open.");
    ImGui::EndChild();
    ImGui::End();
}

} // namespace ollendor
