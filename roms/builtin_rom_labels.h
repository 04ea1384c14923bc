// The label files z80asm writes beside the built-in ROM images (build/roms/*.labels),
// embedded as text for the debugger's symbols, and the names the ROM sources define with
// equ, which the label files do not tell from labels. Generated into builtin_rom_labels.cpp.
#pragma once

#include <string_view>

extern const std::string_view builtinOsRomLabels;    // osrom.labels
extern const std::string_view builtinBasicRomLabels; // basicrom.labels
extern const std::string_view builtinAssemRomLabels; // assemrom.labels
extern const std::string_view builtinRomEquates;     // one name per line
