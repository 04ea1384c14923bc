// The video display processor: registers, 16 KiB of video memory and its two ports.
//
// Ports: OUT 1 writes video memory, IN 1 reads it; OUT 2 takes control byte pairs
// (register writes and address sets), IN 2 reads the status byte.
// Modelled: the control latch, the auto-incrementing address, the register file and the
// display mode derived from registers 0 and 1.
// Not modelled: the read-ahead buffer (a read returns the byte at the address now), status
// bits (no frame flag, fifth-sprite or collision flag: status is always 0) and the VDP
// interrupt. Data accesses wrap at 14 bits, so the address never leaves the 16 KiB store.
#pragma once

#include <cstdint>

namespace ollendor {

inline constexpr unsigned vramSize = 0x4000;

struct VdpState {
    uint8_t registers[8];              // control registers 0-7, written only through the control port
    uint8_t status;                    // status byte: 0, never set by anything
    uint16_t address;                  // next data access; the control port sets 14 bits of it
    bool secondByteExpected;           // the next control byte completes a pair
    uint8_t firstByte;                 // first control byte of a pair
    uint8_t vram[vramSize];            // video memory
    uint8_t mode;                      // display mode 0-7 from registers 0 and 1
};

// Display modes the renderer draws; every other mode number is unsupported.
inline constexpr uint8_t modeGraphics1 = 0;
inline constexpr uint8_t modeGraphics2 = 1;
inline constexpr uint8_t modeText      = 4;

void vdpWriteData(VdpState& vdp, uint8_t value);    // OUT 1
void vdpWriteControl(VdpState& vdp, uint8_t value); // OUT 2
uint8_t vdpReadData(VdpState& vdp);                 // IN 1
uint8_t vdpReadStatus(VdpState& vdp);               // IN 2
void vdpReset(VdpState& vdp);                       // machine start-up: every field 0, Graphics I

} // namespace ollendor
