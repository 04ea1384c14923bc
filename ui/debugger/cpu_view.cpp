#include "ui/debugger/cpu_view.h"

#include <imgui.h>

#include "ui/debugger/widgets.h"

namespace ollendor {

void drawCpuView(CpuView& view, DebugContext& context, bool* open)
{
    if (!ImGui::Begin("CPU", open)) {
        ImGui::End();
        return;
    }
    Control& control = context.control;
    const Mtx& machine = control.machine();
    const Z80State& cpu = machine.cpu;
    const bool paused = control.paused();
    if (control.stops() != view.seenStops && paused) {
        view.seenStops = control.stops();
        view.atLastPause = view.current.empty() ? cpuRegisters(cpu) : view.current;
        view.current = cpuRegisters(cpu);
    }

    if (paused)
        ImGui::Text("Paused (%s)", control.stop().text().c_str());
    else
        ImGui::TextUnformatted("Running");

    // Registers two to a row; red when changed since the pause before.
    const std::vector<RegisterValue> registers = cpuRegisters(cpu);
    std::string editedName;
    uint16_t editedValue = 0;
    for (size_t i = 0; i < registers.size(); ++i) {
        const RegisterValue& reg = registers[i];
        if (i % 2)
            ImGui::SameLine(150);
        const bool changed = i < view.atLastPause.size() && view.atLastPause[i].value != reg.value;
        ImGui::PushStyleColor(ImGuiCol_Text, changed ? debugColour::changed : ImGui::GetStyleColorVec4(ImGuiCol_Text));
        ImGui::Text("%-3s", reg.name);
        ImGui::PopStyleColor();
        ImGui::SameLine();
        uint16_t value = reg.value;
        const std::string id = std::string("##") + reg.name;
        if (hexField(id.c_str(), value, reg.wide, paused)) {
            editedName = reg.name;
            editedValue = value;
        }
        // The right button: where the value points, in the other views.
        if (reg.wide && ImGui::BeginPopupContextItem()) {
            if (ImGui::MenuItem("Show in the memory view"))
                context.showMemory = reg.value;
            if (ImGui::MenuItem("Show in the disassembly"))
                context.showCode = reg.value;
            ImGui::EndPopup();
        }
    }

    // Flags: one checkbox each, four to a row.
    ImGui::Text("Flags %s", flagsText(cpu.F).c_str());
    uint8_t flags = cpu.F;
    bool flagsEdited = false;
    const char* flagNames[] = {"S", "Z", "5", "H", "3", "P", "N", "C"};
    if (!paused)
        ImGui::BeginDisabled();
    for (int bit = 7; bit >= 0; --bit) {
        bool set = flags >> bit & 1;
        if (bit != 7 && bit != 3)
            ImGui::SameLine(ImGui::GetStyle().WindowPadding.x + float((7 - bit) % 4) * 55);
        if (ImGui::Checkbox(flagNames[7 - bit], &set)) {
            flags = uint8_t(set ? flags | 1 << bit : flags & ~(1 << bit));
            flagsEdited = true;
        }
    }
    bool iff1 = cpu.intState & IFF1, iff2 = cpu.intState & IFF2;
    int mode = interruptMode(cpu);
    bool stateEdited = ImGui::Checkbox("IFF1", &iff1);
    if (ImGui::IsItemHovered())
        ImGui::SetTooltip("Interrupts enabled (EI sets it, DI and an accepted interrupt clear it)");
    ImGui::SameLine();
    stateEdited |= ImGui::Checkbox("IFF2", &iff2);
    if (ImGui::IsItemHovered())
        ImGui::SetTooltip("IFF1 as it was when the last interrupt was accepted (RETN and LD A,I read it)");
    ImGui::SameLine();
    ImGui::SetNextItemWidth(50);
    stateEdited |= ImGui::Combo("IM", &mode, "0\0" "1\0" "2\0");
    if (!paused)
        ImGui::EndDisabled();
    // Halted is shown, not set: the CPU waits at its HALT and leaves it past the HALT when
    // an interrupt comes, which only a HALT instruction can start.
    ImGui::SameLine();
    ImGui::TextUnformatted((cpu.intState & HALTED) ? "halted" : "");

    // The CPU runs in slices of cycles; after each the machine's timers, video and sound
    // catch up (a "timer check"), 65 of them to a frame.
    ImGui::Text("Cycles to the next timer check: %d of %d", int(cyclesLeftInSlice(cpu)), int(cpu.cyclesPerHook));
    if (ImGui::IsItemHovered())
        ImGui::SetTooltip("The CPU runs in slices of cycles; after each one the timers, the video chip and the\n"
                          "sound chip catch up with it. A frame is 65 of them.");
    ImGui::Text("Timer checks: %u in this frame", unsigned(machine.timing.hookCount));
    ImGui::Text("%llu timer checks, %llu frames", static_cast<unsigned long long>(machine.timing.hookCalls),
                static_cast<unsigned long long>(machine.timing.frames));
    ImGui::PushTextWrapPos(0);
    if (const StepReport* step = context.currentStep(); step && step->sliceEnded)
        colouredText(debugColour::warning, step->text());
    const std::string next = nextStepText(machine);
    if (!next.empty())
        colouredText(debugColour::label, next);
    ImGui::PopTextWrapPos();
    ImGui::End();

    // Edits go through the control's one edit path, and only while the machine stands still.
    if (!control.paused())
        return;
    if (!editedName.empty())
        control.edit([&](Mtx& m) { setCpuRegister(m.cpu, editedName, editedValue); });
    if (flagsEdited)
        control.edit([flags](Mtx& m) { m.cpu.F = flags; });
    if (stateEdited)
        control.edit([=](Mtx& m) {
            uint8_t state = uint8_t(m.cpu.intState & ~(IFF1 | IFF2));
            state |= (iff1 ? IFF1 : 0) | (iff2 ? IFF2 : 0);
            m.cpu.intState = state;
            setInterruptMode(m.cpu, mode);
        });
}

} // namespace ollendor
