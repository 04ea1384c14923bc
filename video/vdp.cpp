#include "video/vdp.h"

#include <cstring>

namespace ollendor {

namespace {

// Bit 0 of the mode is register 0 bit 1 (Graphics II), bit 1 is register 1 bit 3
// (Multicolour), bit 2 is register 1 bit 4 (Text).
void updateMode(VdpState& vdp)
{
    vdp.mode = uint8_t(((vdp.registers[1] >> 2) & 6) | ((vdp.registers[0] >> 1) & 1));
}

// The address register may count past 0x3FFF; the store is 16 KiB, so accesses wrap.
uint8_t& vramAt(VdpState& vdp, uint16_t address)
{
    return vdp.vram[address & (vramSize - 1)];
}

} // namespace

void vdpWriteControl(VdpState& vdp, uint8_t value)
{
    if (!vdp.secondByteExpected) {
        vdp.firstByte = value;
        vdp.secondByteExpected = true;
        return;
    }
    if (value & 0x80) {
        // Register write: bits 6-3 are ignored, the low three bits select the register.
        vdp.registers[value & 7] = vdp.firstByte;
        updateMode(vdp);
    } else {
        // Address set: bit 6 (read or write direction) plays no part.
        vdp.address = uint16_t((value & 0x3F) << 8 | vdp.firstByte);
    }
    vdp.secondByteExpected = false;
}

void vdpWriteData(VdpState& vdp, uint8_t value)
{
    vramAt(vdp, vdp.address) = value;
    vdp.address++;
    vdp.secondByteExpected = false;
}

uint8_t vdpReadData(VdpState& vdp)
{
    vdp.secondByteExpected = false;
    uint8_t value = vramAt(vdp, vdp.address);
    vdp.address++;
    return value;
}

uint8_t vdpReadStatus(VdpState& vdp)
{
    vdp.secondByteExpected = false;
    return vdp.status;
}

void vdpReset(VdpState& vdp)
{
    vdp.status = 0;
    std::memset(vdp.registers, 0, sizeof vdp.registers);
    std::memset(vdp.vram, 0, sizeof vdp.vram);
    vdp.secondByteExpected = false;
    vdp.firstByte = 0;
    vdp.address = 0;
    updateMode(vdp);
}

} // namespace ollendor
