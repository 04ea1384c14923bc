#include "ui/debugger/disassembly_view.h"

#include <algorithm>
#include <cstdio>

#include <imgui.h>

#include "ui/debugger/breakpoints_view.h"
#include "ui/debugger/cpu_view.h"
#include "ui/debugger/widgets.h"

namespace ollendor {

namespace {

auto cpuReader(const Mtx& machine)
{
    return [&machine](uint16_t address) { return memRead(machine.memory, address); };
}

std::string cyclesText(const Instruction& instruction)
{
    char text[16];
    if (hasTakenCost(instruction.flow) && instruction.cyclesTaken != instruction.cycles)
        std::snprintf(text, sizeof text, "%u/%u", unsigned(instruction.cyclesTaken), unsigned(instruction.cycles));
    else
        std::snprintf(text, sizeof text, "%u", unsigned(instruction.cycles));
    return text;
}

std::string bytesText(const Instruction& instruction)
{
    std::string text;
    for (unsigned i = 0; i < instruction.length; ++i) {
        if (i)
            text += ' ';
        text += hex2(instruction.bytes[i]);
    }
    return text;
}

// Instructions to keep above PC when the listing moves to it.
constexpr unsigned linesAbovePc = 4;

} // namespace

BreakMark execBreakMark(const Breakpoints& breakpoints, uint16_t address)
{
    BreakMark mark = BreakMark::none;
    for (const Breakpoint& breakpoint : breakpoints.all()) {
        if (breakpoint.kind != BreakKind::exec || breakpoint.first != address)
            continue;
        if (breakpoint.enabled)
            return BreakMark::enabled;
        mark = BreakMark::disabled;
    }
    return mark;
}

std::vector<DisassemblyLine> disassemblyLines(const Mtx& machine, const Symbols* symbols,
                                              const Breakpoints& breakpoints, uint16_t start, unsigned count)
{
    std::vector<DisassemblyLine> lines;
    lines.reserve(count);
    uint16_t address = start;
    for (unsigned i = 0; i < count; ++i) {
        DisassemblyLine line;
        line.instruction = disassemble(address, cpuReader(machine), symbols);
        if (symbols)
            line.label = std::string(symbols->labelAt(address));
        line.bytes = bytesText(line.instruction);
        line.cycles = cyclesText(line.instruction);
        if (line.instruction.form == Form::unrecognised)
            line.note = "unrecognised: does nothing, 0 T-states";
        else if (line.instruction.form == Form::prefixIgnored)
            line.note = "prefix ignored: runs unprefixed";
        line.atPc = address == machine.cpu.PC;
        line.waiting = line.atPc && (machine.cpu.intState & HALTED) != 0;
        if (line.waiting)
            line.note = "halted: waits for an interrupt";
        line.breakpoint = execBreakMark(breakpoints, address);
        address = line.instruction.nextAddress();
        lines.push_back(std::move(line));
    }
    return lines;
}

uint16_t listingStartBefore(const Mtx& machine, uint16_t address, unsigned before)
{
    uint16_t start = address;
    for (unsigned i = 0; i < before; ++i)
        start = previousInstructionStart(start, cpuReader(machine));
    return start;
}

void DisassemblyView::show(const Mtx& machine, uint16_t address)
{
    top = listingStartBefore(machine, address, linesAbovePc);
    selected = address;
}

void DisassemblyView::follow(const Control& control)
{
    if (control.stops() == seenStops)
        return;
    const bool first = seenStops == ~uint64_t(0);
    seenStops = control.stops();
    const Mtx& machine = control.session().machine();
    const uint16_t pc = machine.cpu.PC;
    if (first) {
        top = listingStartBefore(machine, pc, linesAbovePc); // opened: where the CPU is
        return;
    }
    if (!followPc || !control.paused())
        return;
    // Listed already (in the lines that fit, less the last two): the listing stays.
    uint16_t address = top;
    const unsigned shown = shownInstructions > 2 ? shownInstructions - 2 : shownInstructions;
    for (unsigned i = 0; i < shown; ++i) {
        if (address == pc)
            return;
        address = disassemble(address, cpuReader(machine)).nextAddress();
    }
    top = listingStartBefore(machine, pc, linesAbovePc);
}

void DisassemblyView::scroll(const Mtx& machine, int steps)
{
    for (; steps > 0; --steps)
        top = previousInstructionStart(top, cpuReader(machine));
    for (; steps < 0; ++steps)
        top = disassemble(top, cpuReader(machine)).nextAddress();
}

void drawDisassemblyView(DisassemblyView& view, DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Disassembly", open)) {
        ImGui::End();
        return;
    }
    Control& control = context.control;
    Mtx& machine = control.machine();
    const Symbols& symbols = control.symbols();
    view.follow(control);

    // Go to, back to PC, follow.
    ImGui::SetNextItemWidth(150);
    if (ImGui::InputTextWithHint("##goto", "go to...", view.gotoText, sizeof view.gotoText,
                                 ImGuiInputTextFlags_EnterReturnsTrue)) {
        if (const auto address = resolveAddress(symbols, view.gotoText, view.gotoError))
            view.show(machine, *address);
    }
    ImGui::SameLine();
    if (ImGui::Button("PC")) {
        view.show(machine, machine.cpu.PC);
        view.followPc = true; // back to following it
    }
    ImGui::SameLine();
    ImGui::Checkbox("Follow PC", &view.followPc);
    if (!view.gotoError.empty())
        colouredText(debugColour::error, view.gotoError);

    ImGui::BeginChild("##lines", ImVec2(0, 0), false, ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
    if (ImGui::IsWindowHovered() && ImGui::GetIO().MouseWheel != 0)
        view.scroll(machine, int(ImGui::GetIO().MouseWheel * 3));
    // Every row is one line of text and the spacing below it.
    const float rowHeight = ImGui::GetTextLineHeightWithSpacing();
    const float lineHeight = ImGui::GetTextLineHeight();
    const float charWidth = ImGui::CalcTextSize("0").x;
    const unsigned rows = unsigned(std::max(1.0f, ImGui::GetContentRegionAvail().y / rowHeight));
    // Label lines take rows too: at most `rows` instructions, cut where the rows run out.
    const std::vector<DisassemblyLine> lines = disassemblyLines(machine, &symbols, control.debugger().breakpoints, view.top, rows);
    unsigned usedRows = 0, instructions = 0;
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const float gutter = charWidth * 2;
    const float addressWidth = gutter + charWidth * 5;
    std::optional<uint16_t> toggleAt, goTo;
    for (const DisassemblyLine& line : lines) {
        const unsigned needed = line.label.empty() ? 1 : 2;
        if (usedRows + needed > rows && usedRows > 0)
            break;
        usedRows += needed;
        ++instructions;
        const uint16_t address = line.instruction.address;
        if (!line.label.empty()) {
            ImGui::SetCursorPosX(ImGui::GetCursorPosX() + addressWidth);
            colouredText(debugColour::label, line.label + ":");
        }
        ImGui::PushID(address);
        const ImVec2 at = ImGui::GetCursorScreenPos();
        const float width = ImGui::GetContentRegionAvail().x;
        if (line.atPc)
            draw->AddRectFilled(ImVec2(at.x, at.y - 1), ImVec2(at.x + width, at.y + lineHeight + 1), debugColour::pcLine);
        // The address column toggles a breakpoint.
        if (ImGui::InvisibleButton("##toggle", ImVec2(addressWidth, lineHeight)))
            toggleAt = address;
        if (ImGui::IsItemHovered())
            ImGui::SetTooltip("Click to set or remove a breakpoint here");
        const ImVec2 dot(at.x + gutter * 0.45f, at.y + lineHeight * 0.5f);
        if (line.breakpoint == BreakMark::enabled)
            draw->AddCircleFilled(dot, lineHeight * 0.3f, debugColour::breakpoint);
        else if (line.breakpoint == BreakMark::disabled)
            draw->AddCircle(dot, lineHeight * 0.3f, debugColour::breakpoint, 0, 1.5f);
        const ImU32 textColour = ImGui::GetColorU32(ImGuiCol_Text);
        draw->AddText(ImVec2(at.x + gutter, at.y), textColour, hex4(address).c_str());
        if (line.atPc)
            draw->AddText(ImVec2(at.x + gutter - charWidth * 1.2f, at.y), textColour, ">");
        // The rest of the line selects; a double click follows a jump or call.
        ImGui::SameLine(0, 0);
        if (ImGui::Selectable("##line", view.selected == address, ImGuiSelectableFlags_AllowDoubleClick,
                              ImVec2(0, lineHeight))) {
            view.selected = address;
            if (ImGui::IsMouseDoubleClicked(0) && line.instruction.target)
                goTo = *line.instruction.target;
        }
        if (ImGui::BeginPopupContextItem("##menu")) {
            view.selected = address;
            if (ImGui::MenuItem("Toggle breakpoint"))
                toggleAt = address;
            if (ImGui::MenuItem("Run to here"))
                control.runTo(address);
            if (ImGui::MenuItem("Set PC here", nullptr, false, control.paused()) && control.paused())
                control.edit([address](Mtx& m) { setCpuRegister(m.cpu, "PC", address); });
            if (line.instruction.target && ImGui::MenuItem("Go to the target"))
                goTo = *line.instruction.target;
            if (ImGui::MenuItem("Show in the memory view"))
                context.showMemory = address;
            ImGui::EndPopup();
        }
        float x = at.x + addressWidth;
        const ImU32 dim = ImGui::GetColorU32(debugColour::dim);
        draw->AddText(ImVec2(x, at.y), dim, line.bytes.c_str());
        x += charWidth * 12;
        draw->AddText(ImVec2(x, at.y), dim, line.cycles.c_str());
        x += charWidth * 6;
        const ImU32 mnemonic = line.instruction.form == Form::unrecognised ? ImGui::GetColorU32(debugColour::warning) : textColour;
        draw->AddText(ImVec2(x, at.y), mnemonic, line.instruction.text);
        if (!line.note.empty()) {
            x += ImGui::CalcTextSize(line.instruction.text).x + charWidth * 2;
            draw->AddText(ImVec2(x, at.y), ImGui::GetColorU32(line.waiting ? debugColour::label : debugColour::warning),
                          ("; " + line.note).c_str());
        }
        ImGui::PopID();
    }
    view.shownInstructions = instructions;
    ImGui::EndChild();
    ImGui::End();

    if (toggleAt) {
        view.selected = *toggleAt;
        toggleExecBreakpoint(control.debugger().breakpoints, *toggleAt);
    }
    if (goTo)
        view.show(machine, *goTo);
}

} // namespace ollendor
