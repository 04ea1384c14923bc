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
#include "machine/memory.h"

inline constexpr int32_t mtxCyclesPerHook = 2048;

extern Z80State z80;

// Start-up: load the ROM images from romFolder and patch the tape trap, reset the video
// chip, the CPU and the pacing clock, and set the hook period last, so that the first hook
// call comes right after the first instruction. Stops at a ROM image that cannot be read
// and gives the reason; the caller reports it.
RomLoadResult machineInit(const std::filesystem::path& romFolder = ".");

// Runs the CPU until the host quits; gives the program counter it stopped at.
uint16_t machineRun();

// Every machine global back to its program-start value (the tape folder is kept). The
// program starts in this state; tests use it to start afresh.
void machinePowerOn();
