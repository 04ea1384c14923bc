#include "debug/registers.h"

#include <cctype>
#include <string>

namespace ollendor {

namespace {

constexpr RegisterInfo table[] = {
    // id                   name    key     max     cond   value
    {CpuRegister::AF,   "AF",   "af",   0xFFFF, true,  true},
    {CpuRegister::BC,   "BC",   "bc",   0xFFFF, true,  true},
    {CpuRegister::DE,   "DE",   "de",   0xFFFF, true,  true},
    {CpuRegister::HL,   "HL",   "hl",   0xFFFF, true,  true},
    {CpuRegister::AF2,  "AF'",  "af_",  0xFFFF, false, true},
    {CpuRegister::BC2,  "BC'",  "bc_",  0xFFFF, false, true},
    {CpuRegister::DE2,  "DE'",  "de_",  0xFFFF, false, true},
    {CpuRegister::HL2,  "HL'",  "hl_",  0xFFFF, false, true},
    {CpuRegister::IX,   "IX",   "ix",   0xFFFF, true,  true},
    {CpuRegister::IY,   "IY",   "iy",   0xFFFF, true,  true},
    {CpuRegister::SP,   "SP",   "sp",   0xFFFF, true,  true},
    {CpuRegister::PC,   "PC",   "pc",   0xFFFF, true,  true},
    {CpuRegister::I,    "I",    "i",    0xFF,   true,  true},
    {CpuRegister::A,    "A",    "a",    0xFF,   true,  false},
    {CpuRegister::F,    "F",    "f",    0xFF,   true,  false},
    {CpuRegister::B,    "B",    "b",    0xFF,   true,  false},
    {CpuRegister::C,    "C",    "c",    0xFF,   true,  false},
    {CpuRegister::D,    "D",    "d",    0xFF,   true,  false},
    {CpuRegister::E,    "E",    "e",    0xFF,   true,  false},
    {CpuRegister::H,    "H",    "h",    0xFF,   true,  false},
    {CpuRegister::L,    "L",    "l",    0xFF,   true,  false},
    {CpuRegister::IM,   "IM",   "im",   2,      false, false},
    {CpuRegister::IFF1, "IFF1", "iff1", 1,      false, false},
    {CpuRegister::IFF2, "IFF2", "iff2", 1,      false, false},
};

void setBit(uint8_t& bits, uint8_t bit, bool on)
{
    bits = on ? uint8_t(bits | bit) : uint8_t(bits & ~bit);
}

} // namespace

std::span<const RegisterInfo> cpuRegisters()
{
    return table;
}

const RegisterInfo& registerInfo(CpuRegister id)
{
    for (const RegisterInfo& info : table)
        if (info.id == id)
            return info;
    return table[0];
}

const RegisterInfo* findCpuRegister(std::string_view given)
{
    std::string name;
    for (const char c : given)
        name += c == '\'' ? '_' : char(std::tolower(static_cast<unsigned char>(c)));
    for (const RegisterInfo& info : table)
        if (name == info.key)
            return &info;
    return nullptr;
}

uint16_t readCpuRegister(const Z80State& cpu, CpuRegister id)
{
    switch (id) {
    case CpuRegister::A: return cpu.A;
    case CpuRegister::F: return cpu.F;
    case CpuRegister::B: return cpu.B;
    case CpuRegister::C: return cpu.C;
    case CpuRegister::D: return cpu.D;
    case CpuRegister::E: return cpu.E;
    case CpuRegister::H: return cpu.H;
    case CpuRegister::L: return cpu.L;
    case CpuRegister::I: return cpu.I;
    case CpuRegister::AF: return cpu.AF();
    case CpuRegister::BC: return cpu.BC();
    case CpuRegister::DE: return cpu.DE();
    case CpuRegister::HL: return cpu.HL();
    case CpuRegister::IX: return cpu.IX;
    case CpuRegister::IY: return cpu.IY;
    case CpuRegister::SP: return cpu.SP;
    case CpuRegister::PC: return cpu.PC;
    case CpuRegister::AF2: return cpu.altAF;
    case CpuRegister::BC2: return cpu.altBC;
    case CpuRegister::DE2: return cpu.altDE;
    case CpuRegister::HL2: return cpu.altHL;
    case CpuRegister::IM: return (cpu.intState & IM2) ? 2 : (cpu.intState & IM1) ? 1 : 0;
    case CpuRegister::IFF1: return (cpu.intState & IFF1) ? 1 : 0;
    case CpuRegister::IFF2: return (cpu.intState & IFF2) ? 1 : 0;
    }
    return 0;
}

void writeCpuRegister(Z80State& cpu, CpuRegister id, uint16_t value)
{
    const uint8_t byte = uint8_t(value);
    switch (id) {
    case CpuRegister::A: cpu.A = byte; break;
    case CpuRegister::F: cpu.F = byte; break;
    case CpuRegister::B: cpu.B = byte; break;
    case CpuRegister::C: cpu.C = byte; break;
    case CpuRegister::D: cpu.D = byte; break;
    case CpuRegister::E: cpu.E = byte; break;
    case CpuRegister::H: cpu.H = byte; break;
    case CpuRegister::L: cpu.L = byte; break;
    case CpuRegister::I: cpu.I = byte; break;
    case CpuRegister::AF: cpu.setAF(value); break;
    case CpuRegister::BC: cpu.setBC(value); break;
    case CpuRegister::DE: cpu.setDE(value); break;
    case CpuRegister::HL: cpu.setHL(value); break;
    case CpuRegister::IX: cpu.IX = value; break;
    case CpuRegister::IY: cpu.IY = value; break;
    case CpuRegister::SP: cpu.SP = value; break;
    case CpuRegister::PC:
        // A CPU waiting at its HALT would leave it for the address after the HALT when an
        // interrupt came; moved elsewhere, it runs on from there.
        cpu.PC = value;
        setBit(cpu.intState, HALTED, false);
        break;
    case CpuRegister::AF2: cpu.altAF = value; break;
    case CpuRegister::BC2: cpu.altBC = value; break;
    case CpuRegister::DE2: cpu.altDE = value; break;
    case CpuRegister::HL2: cpu.altHL = value; break;
    case CpuRegister::IM:
        setBit(cpu.intState, IM1, value == 1);
        setBit(cpu.intState, IM2, value == 2);
        break;
    case CpuRegister::IFF1: setBit(cpu.intState, IFF1, value != 0); break;
    case CpuRegister::IFF2: setBit(cpu.intState, IFF2, value != 0); break;
    }
}

bool setCpuRegister(Z80State& cpu, std::string_view name, uint16_t value)
{
    const RegisterInfo* info = findCpuRegister(name);
    if (!info)
        return false;
    writeCpuRegister(cpu, info->id, value);
    return true;
}

} // namespace ollendor
