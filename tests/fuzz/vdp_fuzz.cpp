// The video chip and the renderer: a stream of port operations, then a render, with every
// mode's registers and the sprite tables under the input's control.
//
// Input: a sequence of operations, each an opcode byte and, for writes, an operand byte.
//   opcode % 8: 0 data write, 1 control write, 2 data read, 3 status read,
//   4 a register write as a control pair (operand = value, opcode bits 3-5 = register),
//   5 an address set as a control pair (operand = low byte, opcode bits 3-7 = high bits),
//   6 a block of data writes (operand = count, the bytes follow), 7 render now.
// A render always ends the input, so every stream is drawn at least once.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_support.h"
#include "host/test_host.h"
#include "video/vdp.h"

using namespace ollendor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    powerOnVideo();
    TestHost host; // receives the unsupported-mode message boxes

    FuzzedDataProvider input(data, size);
    while (input.remaining_bytes() > 0) {
        const uint8_t opcode = input.ConsumeIntegral<uint8_t>();
        switch (opcode % 8) {
        case 0: vdpWriteData(input.ConsumeIntegral<uint8_t>()); break;
        case 1: vdpWriteControl(input.ConsumeIntegral<uint8_t>()); break;
        case 2: (void)vdpReadData(); break;
        case 3: (void)vdpReadStatus(); break;
        case 4:
            vdpWriteControl(input.ConsumeIntegral<uint8_t>());
            vdpWriteControl(uint8_t(0x80 | ((opcode >> 3) & 7)));
            break;
        case 5:
            vdpWriteControl(input.ConsumeIntegral<uint8_t>());
            vdpWriteControl(uint8_t(opcode >> 3));
            break;
        case 6: {
            const unsigned count = input.ConsumeIntegral<uint8_t>() + 1u;
            for (unsigned i = 0; i < count && input.remaining_bytes() > 0; ++i)
                vdpWriteData(input.ConsumeIntegral<uint8_t>());
            break;
        }
        case 7: vdpRender(frameBuffer); break;
        }
    }
    vdpRender(frameBuffer);

    // What the renderer promises: palette indices only.
    for (uint8_t pixel : frameBuffer.pixels) {
        if (pixel > 15)
            __builtin_trap();
    }
    if (vdp.mode > 7)
        __builtin_trap();
    return 0;
}
