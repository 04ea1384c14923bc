// The video chip and the renderer: a stream of port operations, then a render, with every
// mode's registers and the sprite tables under the input's control.
//
// Input: a sequence of operations, each an opcode byte and, for writes, an operand byte.
//   opcode % 8: 0 data write, 1 control write, 2 data read, 3 status read,
//   4 a register write as a control pair (operand = value, opcode bits 3-5 = register),
//   5 an address set as a control pair (operand = low byte, opcode bits 3-7 = high bits),
//   6 a block of data writes (operand = count, the bytes follow), 7 render now.
// A render always ends the input, so every stream is drawn at least once. A render reports
// an unsupported mode exactly when it finds one the last render did not.
#include <fuzzer/FuzzedDataProvider.h>

#include "video/render.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

VdpState vdp;
RenderState renderState;
FrameBuffer frame;
uint8_t lastRenderedMode; // the mode at the last render

void render()
{
    const bool reported = vdpRender(vdp, renderState, frame);
    const bool unsupported = vdp.mode != modeGraphics1 && vdp.mode != modeGraphics2 && vdp.mode != modeText;
    if (reported != (unsupported && vdp.mode != lastRenderedMode))
        __builtin_trap();
    lastRenderedMode = vdp.mode;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The video chip, the renderer's memory and the picture, as at program start.
    vdpReset(vdp);
    renderState = RenderState{};
    frame = FrameBuffer{};
    lastRenderedMode = 0;

    FuzzedDataProvider input(data, size);
    while (input.remaining_bytes() > 0) {
        const uint8_t opcode = input.ConsumeIntegral<uint8_t>();
        switch (opcode % 8) {
        case 0: vdpWriteData(vdp, input.ConsumeIntegral<uint8_t>()); break;
        case 1: vdpWriteControl(vdp, input.ConsumeIntegral<uint8_t>()); break;
        case 2: (void)vdpReadData(vdp); break;
        case 3: (void)vdpReadStatus(vdp); break;
        case 4:
            vdpWriteControl(vdp, input.ConsumeIntegral<uint8_t>());
            vdpWriteControl(vdp, uint8_t(0x80 | ((opcode >> 3) & 7)));
            break;
        case 5:
            vdpWriteControl(vdp, input.ConsumeIntegral<uint8_t>());
            vdpWriteControl(vdp, uint8_t(opcode >> 3));
            break;
        case 6: {
            const unsigned count = input.ConsumeIntegral<uint8_t>() + 1u;
            for (unsigned i = 0; i < count && input.remaining_bytes() > 0; ++i)
                vdpWriteData(vdp, input.ConsumeIntegral<uint8_t>());
            break;
        }
        case 7: render(); break;
        }
    }
    render();

    // What the renderer promises: palette indices only.
    for (uint8_t pixel : frame.pixels) {
        if (pixel > 15)
            __builtin_trap();
    }
    if (vdp.mode > 7)
        __builtin_trap();
    return 0;
}
