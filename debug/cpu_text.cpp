#include "debug/cpu_text.h"

namespace ollendor {

std::vector<RegisterValue> cpuRegisters(const Z80State& cpu)
{
    std::vector<RegisterValue> values;
    for (const RegisterInfo& info : ollendor::cpuRegisters())
        if (info.shownAsValue)
            values.push_back({info.name, readCpuRegister(cpu, info.id), info.wide()});
    return values;
}

std::string flagsText(uint8_t f)
{
    const char letters[] = "SZ5H3PNC";
    std::string text(8, '-');
    for (int bit = 7; bit >= 0; --bit)
        if (f >> bit & 1)
            text[size_t(7 - bit)] = letters[7 - bit];
    return text;
}

int interruptMode(const Z80State& cpu)
{
    return readCpuRegister(cpu, CpuRegister::IM);
}

void setInterruptMode(Z80State& cpu, int mode)
{
    writeCpuRegister(cpu, CpuRegister::IM, uint16_t(mode));
}

std::string nextStepText(const Mtx& machine)
{
    const Z80State& cpu = machine.cpu;
    const bool enabled = (cpu.intState & IFF1) != 0;
    if (cpu.sliceEndDue)
        return enabled ? "The slice is spent: the next step ends it (periodic hook), and an interrupt due is accepted there."
                       : "The slice is spent: the next step ends it (periodic hook); interrupts are off.";
    if (cpu.intState & HALTED)
        return enabled ? "Halted: each step runs to the slice's end, where an interrupt due takes the CPU into its handler."
                       : "Halted with interrupts off: only a non-maskable interrupt can wake it.";
    return {};
}

} // namespace ollendor
