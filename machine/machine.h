// The one emulated MTX: its CPU and start-up, and the run entry.
//
// Every device keeps its state in a global of its own (memoryPages, ctc, vdp, soundChip,
// the keyboard's sense bytes, the pacing values, the tape buffer); this file adds the CPU's
// register file and strings them together. machineInit runs once per program, after the
// host is installed; machineRun returns when the host's message pump says quit.
#pragma once

#include <cstdint>
#include <filesystem>

#include "cpu/z80.h"
using namespace ollendor; // FIXME: until the machine moves into the namespace
#include "machine/memory.h"

inline constexpr int32_t mtxCyclesPerHook = 2048;

extern Z80State z80;

// Start-up: load the ROM images from romFolder and patch the tape trap, reset the video
// chip, the CPU and the pacing clock, and set the hook period last, so that the first hook
// call comes right after the first instruction.
// When any of osrom, basicrom and assemrom does not exist in romFolder, the built-in ROM
// set runs instead, and a line on stderr names the missing files and the folder. A file
// that exists but cannot serve as an image (a folder, unreadable, empty) stops the start:
// the result is not ok and its message names the file and the folder; the caller reports it.
RomLoadResult machineInit(const std::filesystem::path& romFolder = ".");

// Whether the last machineInit fell back on the built-in ROM set.
bool runningBuiltinRom();

// Runs the CPU until the host quits; gives the program counter it stopped at.
uint16_t machineRun();

// Every machine global back to its program-start value (the tape folder is kept). The
// program starts in this state; tests use it to start afresh.
void machinePowerOn();
