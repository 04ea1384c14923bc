// The debugger tests' program (tests/asm/debug_steps.asm) as the OS ROM of a ROM set, the
// other two images empty.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "machine/rom_set.h"

namespace ollendor {

inline const std::string stepsProgram = std::string(OLLENDOR_TEST_ASM_DIR) + "/debug_steps.bin";

inline RomSet stepsRom()
{
    RomSet roms;
    std::ifstream in(stepsProgram, std::ios::binary);
    roms.os.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    roms.basic.assign(romImageSize, 0);
    roms.assem.assign(romImageSize, 0);
    roms.identity = romSetIdentity(roms);
    return roms;
}

} // namespace ollendor
