// Renderer speed: one whole frame per mode, and the heavy case of Graphics II under 32
// magnified 16 x 16 sprites, all visible.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "bench/bench.h"
#include "video/render.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

VdpState vdp;
RenderState renderState;
FrameBuffer frameBuffer;

void setRegister(unsigned reg, uint8_t value)
{
    vdpWriteControl(vdp, value);
    vdpWriteControl(vdp, uint8_t(0x80 | reg));
}

// Video memory of random bytes, tables at the usual places, and `sprites` sprites with
// solid patterns spread over the picture (the rest cut off by the terminator).
void setUp(uint8_t reg0, uint8_t reg1, unsigned sprites)
{
    vdpReset(vdp);
    std::mt19937 random(1);
    for (uint8_t& b : vdp.vram)
        b = uint8_t(random());
    setRegister(0, reg0);
    setRegister(1, reg1);
    setRegister(2, 0x06); // names 0x1800
    setRegister(3, 0xFF); // colours 0x2000
    setRegister(4, 0x03); // patterns 0
    setRegister(5, 0x36); // sprite attributes 0x1B00
    setRegister(6, 0x07); // sprite patterns 0x3800
    setRegister(7, 0xF4);
    std::fill_n(vdp.vram + 0x3800, 0x800, uint8_t(0xFF));
    for (unsigned i = 0; i < 32; ++i) {
        uint8_t* entry = vdp.vram + 0x1B00 + 4 * i;
        entry[0] = i < sprites ? uint8_t(1 + (i * 37) % 158) : 208;
        entry[1] = uint8_t(1 + (i * 53) % 222);
        entry[2] = uint8_t(4 * i);
        entry[3] = uint8_t(1 + i % 15);
    }
}

// Best per-frame time in microseconds over several batches.
double timeRender()
{
    constexpr int batches = 15, frames = 200;
    double best = 1e9;
    for (int b = 0; b < batches; ++b) {
        auto start = std::chrono::steady_clock::now();
        for (int f = 0; f < frames; ++f)
            vdpRender(vdp, renderState, frameBuffer);
        std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count() / frames);
    }
    return best;
}

void videoBench()
{
    struct Case {
        const char* name;
        uint8_t reg0, reg1;
        unsigned sprites;
    };
    const Case cases[] = {
        {"render GI", 0x00, 0x40, 0},
        {"render GII", 0x02, 0x40, 0},
        {"render Text", 0x00, 0x50, 0},
        {"render GI+32 sprites", 0x00, 0x43, 32},
        {"render GII+32 sprites", 0x02, 0x43, 32},
    };
    for (const Case& c : cases) {
        setUp(c.reg0, c.reg1, c.sprites);
        std::printf("%s: %.2f us\n", c.name, timeRender());
    }
}

const BenchSection videoSection("video", 30, videoBench);

} // namespace
