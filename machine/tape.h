// The tape trap: the OS's tape routine (0x0AAE, patched to ED FE + RET) loads each block
// straight from a tape image file on the host.
//
// On ED FE the OS has put the block's address in HL and its length in DE. When the OS's
// flags in common RAM ask for a load (0xFD68 non-zero, 0xFD67 zero), the first header
// request (HL = 0xC011, DE = 18) opens the tape image named by the first 9 bytes of the
// name field at 0xC002, and every request takes the next DE bytes of the image. A tape
// image is a plain concatenation of the blocks in the order the OS asks for them. Once the
// whole image has been handed out, the tape has run out: the next header request opens
// the image named then, so the same tape (or another) can be loaded again.
//
// The name comes from emulated memory, so it never leaves the tape folder: a name with
// '/', '\\' or a NUL byte, or "." or "..", counts as a file that cannot be opened. When
// the exact 9-byte name is not there, the name without trailing spaces is tried, then
// with ".mtx" and ".MTX" added. Only regular files are opened, and never with an open
// that could wait (a FIFO would freeze the machine in the middle of an instruction). A
// tape that cannot be opened shows a message box, once per name, saying why (no such
// file, permission denied, a folder, a FIFO ...), and leaves the machine running; the
// next header request looks again.
// Not modelled: saving, and the cassette signal itself.
#pragma once

#include <cstdint>
#include <filesystem>

#include "cpu/z80.h"
using namespace ollendor; // FIXME: until the machine moves into the namespace

inline constexpr unsigned tapeBufferSize = 0x10000;
inline constexpr uint16_t tapeNameAddress = 0xC002;   // 15-byte name field; 9 bytes are used
inline constexpr unsigned tapeNameLength = 9;
inline constexpr uint16_t tapeHeaderAddress = 0xC011; // where the OS loads the 18-byte header
inline constexpr uint16_t tapeHeaderLength = 18;
inline constexpr uint16_t tapeVerifyFlagAddress = 0xFD67; // non-zero: no load
inline constexpr uint16_t tapeLoadFlagAddress = 0xFD68;   // zero: no load

extern uint8_t tapeBuffer[tapeBufferSize]; // the rest of the opened image, next byte first
extern uint8_t tapeOpened;                 // 1 once an image has been opened; never cleared
extern uint32_t tapeLeft;                  // bytes of the opened image not yet handed out

// The folder tape images are read from ("tapes" under the current directory at start).
void setTapeFolder(const std::filesystem::path& folder);
const std::filesystem::path& tapeFolder();

// Buffer zero, nothing opened or left, no missing name remembered; the folder is kept.
void tapePowerOn();

// ED FE. Reads HL and DE, changes no register or flag.
void tapeTrap(Z80State& cpu);
