#include "machine/ports.h"

#include "machine/ctc.h"
#include "machine/keyboard.h"
#include "machine/memory.h"
#include "sound/soundchip.h"
#include "video/vdp.h"

namespace {

using OutHandler = void (*)(uint16_t port, uint8_t value);
using InHandler = uint8_t (*)(uint16_t port);

void outNothing(uint16_t, uint8_t) {}
void outPages(uint16_t, uint8_t value) { setPages(value); }
void outVdpData(uint16_t, uint8_t value) { vdpWriteData(value); }
void outVdpControl(uint16_t, uint8_t value) { vdpWriteControl(value); }
void outKeyboard(uint16_t, uint8_t value) { keyboardDrive(value); }
void outSound(uint16_t, uint8_t value) { soundWriteData(value); }
void outCtc(uint16_t port, uint8_t value) { ctcWrite(port, value); }

uint8_t inFloating(uint16_t) { return floatingBus; }
uint8_t inVdpData(uint16_t) { return vdpReadData(); }
uint8_t inVdpStatus(uint16_t) { return vdpReadStatus(); }
uint8_t inSoundStrobe(uint16_t) { return soundStrobe(); }
uint8_t inFixedAA(uint16_t) { return 0xAA; }
uint8_t inKeyboard(uint16_t port) { return keyboardSense(port); }
uint8_t inCtc(uint16_t port) { return ctcRead(port); }

constexpr OutHandler outTable[16] = {
    outPages,      // 0  RAM and ROM page selectors
    outVdpData,    // 1  video chip data
    outVdpControl, // 2  video chip control
    outNothing,    // 3
    outNothing,    // 4
    outKeyboard,   // 5  keyboard row drive
    outSound,      // 6  sound chip data
    outNothing,    // 7
    outCtc,        // 8  counter/timer channel 0
    outCtc,        // 9  channel 1
    outCtc,        // 10 channel 2
    outCtc,        // 11 channel 3
    outNothing,    // 12
    outNothing,    // 13
    outNothing,    // 14
    outNothing,    // 15
};

constexpr InHandler inTable[16] = {
    inFloating,    // 0  the page selectors cannot be read back
    inVdpData,     // 1  video chip data
    inVdpStatus,   // 2  video chip status
    inSoundStrobe, // 3  sound chip strobe, reads 0
    inFixedAA,     // 4  0xAA
    inKeyboard,    // 5  keyboard columns 0-7
    inKeyboard,    // 6  keyboard columns 8-9 and strap bits
    inFloating,    // 7
    inCtc,         // 8  counter/timer channel 0
    inCtc,         // 9  channel 1
    inCtc,         // 10 channel 2
    inCtc,         // 11 channel 3
    inFloating,    // 12
    inFloating,    // 13
    inFloating,    // 14
    inFloating,    // 15
};

} // namespace

void portOut(uint16_t port, uint8_t value)
{
    if (port < 16)
        outTable[port](port, value);
}

uint8_t portIn(uint16_t port)
{
    return port < 16 ? inTable[port](port) : floatingBus;
}
