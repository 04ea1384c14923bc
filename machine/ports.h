// The I/O port map: IN and OUT reach the machine's devices by the 8-bit port number alone.
//
// Port  OUT                                   IN
//  0    page selectors (setPages)             0xFF
//  1    video chip data                       video chip data
//  2    video chip control                    video chip status
//  3    nothing                               0x00, and strobes the sound chip
//  4    nothing                               0xAA
//  5    keyboard row drive and scan           keyboard columns 0-7
//  6    sound chip data                       keyboard columns 8-9 and strap bits
//  7    nothing                               0xFF
//  8-11 counter/timer channels 0-3            counter/timer channels 0-3
//  12-  nothing                               0xFF, the value of an undriven data bus
//
// The upper address byte a real Z80 puts on the bus (A or B) plays no part.
#pragma once

#include <cstdint>

namespace ollendor {

struct Mtx;

inline constexpr uint8_t floatingBus = 0xFF; // what IN reads where no device answers

void portOut(Mtx& machine, uint16_t port, uint8_t value);
uint8_t portIn(Mtx& machine, uint16_t port);

} // namespace ollendor
