#include "debug/registers.h"

#include <cctype>
#include <string>

namespace ollendor {

namespace {

void setBit(uint8_t& bits, uint8_t bit, bool on)
{
    bits = on ? uint8_t(bits | bit) : uint8_t(bits & ~bit);
}

} // namespace

bool setCpuRegister(Z80State& cpu, std::string_view given, uint16_t value)
{
    std::string name;
    for (const char c : given)
        name += c == '\'' ? '_' : char(std::tolower(static_cast<unsigned char>(c)));
    const uint8_t byte = uint8_t(value);
    if (name == "af") cpu.setAF(value);
    else if (name == "bc") cpu.setBC(value);
    else if (name == "de") cpu.setDE(value);
    else if (name == "hl") cpu.setHL(value);
    else if (name == "af_") cpu.altAF = value;
    else if (name == "bc_") cpu.altBC = value;
    else if (name == "de_") cpu.altDE = value;
    else if (name == "hl_") cpu.altHL = value;
    else if (name == "ix") cpu.IX = value;
    else if (name == "iy") cpu.IY = value;
    else if (name == "sp") cpu.SP = value;
    else if (name == "pc") {
        // A CPU waiting at its HALT would leave it for the address after the HALT when an
        // interrupt came; moved elsewhere, it runs on from there.
        cpu.PC = value;
        setBit(cpu.intState, HALTED, false);
    }
    else if (name == "a") cpu.A = byte;
    else if (name == "f") cpu.F = byte;
    else if (name == "b") cpu.B = byte;
    else if (name == "c") cpu.C = byte;
    else if (name == "d") cpu.D = byte;
    else if (name == "e") cpu.E = byte;
    else if (name == "h") cpu.H = byte;
    else if (name == "l") cpu.L = byte;
    else if (name == "i") cpu.I = byte;
    else if (name == "im") {
        setBit(cpu.intState, IM1, value == 1);
        setBit(cpu.intState, IM2, value == 2);
    }
    else if (name == "iff1") setBit(cpu.intState, IFF1, value != 0);
    else if (name == "iff2") setBit(cpu.intState, IFF2, value != 0);
    else return false;
    return true;
}

} // namespace ollendor
