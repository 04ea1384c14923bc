#include "machine/ports.h"

#include "machine/machine.h"

namespace ollendor {

namespace {

using OutHandler = void (*)(Mtx& machine, uint16_t port, uint8_t value);
using InHandler = uint8_t (*)(Mtx& machine, uint16_t port);

void outNothing(Mtx&, uint16_t, uint8_t) {}
void outPages(Mtx& m, uint16_t, uint8_t value) { setPages(m.memory, value); }
void outVdpData(Mtx& m, uint16_t, uint8_t value) { vdpWriteData(m.vdp, value); }
void outVdpControl(Mtx& m, uint16_t, uint8_t value) { vdpWriteControl(m.vdp, value); }
void outKeyboard(Mtx& m, uint16_t, uint8_t value) { keyboardDrive(m.keyboard, m.memory, value); }
void outSound(Mtx& m, uint16_t, uint8_t value) { soundWriteData(m.sound, value); }
void outCtc(Mtx& m, uint16_t port, uint8_t value) { ctcWrite(m.ctc, port, value); }

uint8_t inFloating(Mtx&, uint16_t) { return floatingBus; }
uint8_t inVdpData(Mtx& m, uint16_t) { return vdpReadData(m.vdp); }
uint8_t inVdpStatus(Mtx& m, uint16_t) { return vdpReadStatus(m.vdp); }
uint8_t inFixedAA(Mtx&, uint16_t) { return 0xAA; }
uint8_t inKeyboard(Mtx& m, uint16_t port) { return keyboardSense(m.keyboard, port); }
uint8_t inCtc(Mtx& m, uint16_t port) { return ctcRead(m.ctc, port); }

// The strobe hands the tone settings on; a change is the host's to publish.
uint8_t inSoundStrobe(Mtx& m, uint16_t)
{
    if (soundStrobe(m.sound))
        raiseEvent(m, MachineEvent::soundChanged);
    return 0;
}

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

void portOut(Mtx& machine, uint16_t port, uint8_t value)
{
    if (port < 16)
        outTable[port](machine, port, value);
}

uint8_t portIn(Mtx& machine, uint16_t port)
{
    return port < 16 ? inTable[port](machine, port) : floatingBus;
}

} // namespace ollendor
