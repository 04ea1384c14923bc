// The tape trap: the OS's tape routine (0x0AAE, patched to ED FE + RET) loads each block
// straight from a tape image.
//
// On ED FE the OS has put the block's address in HL and its length in DE. When the OS's
// flags in common RAM ask for a load (0xFD68 non-zero, 0xFD67 zero), the first header
// request (HL = 0xC011, DE = 18) needs the tape image named by the first 9 bytes of the
// name field at 0xC002, and every request takes the next DE bytes of the image. A tape
// image is a plain concatenation of the blocks in the order the OS asks for them. Once the
// whole image has been handed out, the tape has run out: the next header request asks for
// the image named then, so the same tape (or another) can be loaded again.
//
// The machine does not read files: a header request that needs an image raises the
// tapeRequest event and the run returns right after the trap instruction; the host finds
// the image (machine/tape_files.h) and answers with tapeInsert or tapeMissing, which hand
// out the block the OS asked for exactly as if it had been there all along. A missing tape
// leaves the machine running, and the next header request asks again.
// Not modelled: saving, and the cassette signal itself.
#pragma once

#include <cstdint>
#include <span>

#include "cpu/z80.h"

namespace ollendor {

struct Mtx;

inline constexpr unsigned tapeBufferSize = 0x10000;
inline constexpr uint16_t tapeNameAddress = 0xC002;   // 15-byte name field; 9 bytes are used
inline constexpr unsigned tapeNameLength = 9;
inline constexpr uint16_t tapeHeaderAddress = 0xC011; // where the OS loads the 18-byte header
inline constexpr uint16_t tapeHeaderLength = 18;
inline constexpr uint16_t tapeVerifyFlagAddress = 0xFD67; // non-zero: no load
inline constexpr uint16_t tapeLoadFlagAddress = 0xFD68;   // zero: no load
inline constexpr unsigned tapeReportedCapacity = 16;      // names remembered as reported

struct TapeState {
    uint8_t buffer[tapeBufferSize];  // the rest of the opened image, next byte first
    bool opened;                     // an image has been opened (or a load was answered)
    uint32_t left;                   // bytes of the opened image not yet handed out
    uint32_t imageSize;              // bytes of the image last inserted
    bool requestPending;             // a header request waits for tapeInsert or tapeMissing
    uint16_t requestAddress;         // where that request's block goes (HL)
    uint16_t requestLength;          // its length (DE)
    char requestName[tapeNameLength]; // the name the request asks for
    uint32_t blocksServed;           // blocks handed out since power-on
    // Names whose missing image has been reported, so a retry stays quiet. When the ring is
    // full the oldest name may be reported again.
    char reported[tapeReportedCapacity][tapeNameLength];
    uint8_t reportedCount;           // names in the ring, 0-16
    uint8_t reportedNext;            // where the next one goes
};

// Buffer zero, nothing opened, left or asked for, no name remembered.
void tapePowerOn(TapeState& tape);

// ED FE. Reads HL and DE, changes no register or flag.
void tapeTrap(Mtx& machine, Z80State& cpu);

// The answer to a pending request: the image (its first 64 KiB). The requested block is
// handed out from it at once.
void tapeInsert(Mtx& machine, std::span<const uint8_t> image);
// Another tape was put in: the rest of the image being read is gone, so the next header
// request asks for an image again. (A load without a new tape goes on with the image.)
void tapeEject(Mtx& machine);
// The answer that no image could be found: the requested block is handed out from what the
// buffer holds (as a tape that ran out would). True the first time this name goes missing
// since it was last remembered, that is when the user should be told.
bool tapeMissing(Mtx& machine);

} // namespace ollendor
