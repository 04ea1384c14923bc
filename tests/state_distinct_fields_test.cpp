// A state file round trip in which every field of the machine holds a value of its own:
// no two fields (nor two elements of an array) hold the same value where their ranges
// allow it, so a field written or read in the wrong order, into the wrong place, or not
// at all, comes back different. The loaded machine starts from power-on, whose values are
// other still.
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "state/state_file.h"

using namespace ollendor;

namespace {

// Values that differ from one call to the next, in every byte: the low byte alone never
// repeats within 200 calls, nor is it 0, 1 or 0xFF.
struct Distinct {
    uint32_t n = 0x11;
    uint32_t next()
    {
        n += 1;
        const uint32_t v = n;
        return v | (v + 0x37) << 8 | (v + 0x59) << 16 | (v + 0x7B) << 24;
    }
    uint8_t u8() { return uint8_t(next()); }
    uint16_t u16() { return uint16_t(next()); }
};

void fillBytes(uint8_t* bytes, size_t size, uint32_t seed)
{
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t((i * 131 + seed * 17 + (i >> 8) * 7) ^ (i >> 16) * 29);
}

// Every field of the machine a state file holds, each a value of its own within what the
// loader accepts.
void fillDistinct(Mtx& m)
{
    Distinct d;
    Z80State& c = m.cpu;
    c.F = d.u8(); c.A = d.u8(); c.C = d.u8(); c.B = d.u8();
    c.E = d.u8(); c.D = d.u8(); c.L = d.u8(); c.H = d.u8();
    c.IX = d.u16(); c.IY = d.u16(); c.PC = d.u16(); c.SP = d.u16();
    c.altAF = d.u16(); c.altBC = d.u16(); c.altDE = d.u16(); c.altHL = d.u16();
    c.intState = IFF1 | IM2 | HALTED;
    c.I = d.u8();
    c.cyclesPerHook = mtxCyclesPerHook;
    c.cyclesLeft = 1234;
    c.cyclesHeld = 0;
    c.stopRequested = false;
    c.zeroCostSteps = 777;
    c.sliceEndDue = false;
    c.cpuId = d.next();
    c.reportUnknown = true;

    for (unsigned p = 0; p < pageCount; ++p)
        fillBytes(m.memory.page[p], pageSize, p + 1);
    m.memory.ramPage = 13;
    m.memory.romPage = 6;

    for (unsigned ch = 0; ch < 4; ++ch) {
        CtcChannel& x = m.ctc.channel[ch];
        x.control = d.u8();
        x.timeConstant = d.u8();
        x.count = d.u8();
        x.counter = int32_t(d.u16() % 0xFF00);
        x.timeConstantNext = ch % 2 == 0;
        x.running = ch % 2 == 1;
    }
    m.ctc.vector = 0xA8;

    for (uint8_t& r : m.vdp.registers)
        r = d.u8();
    m.vdp.registers[0] = 0x02; // mode 1 (Graphics II) from registers 0 and 1
    m.vdp.registers[1] = 0xC3;
    m.vdp.mode = 1;
    m.vdp.status = d.u8();
    m.vdp.address = uint16_t(d.u16() & 0x3FFF);
    m.vdp.secondByteExpected = true;
    m.vdp.firstByte = d.u8();
    fillBytes(m.vdp.vram, sizeof m.vdp.vram, 99);
    m.render.previousMode = 4;

    const uint16_t periods[4] = {0x123, 0x2F4, 0x3A5, 0x056};
    const uint32_t volumes[4] = {114, 90, 57, 28};
    for (unsigned ch = 0; ch < 4; ++ch) {
        m.sound.tonePeriod[ch] = periods[ch];
        m.sound.volume[ch] = volumes[ch];
    }
    m.sound.latchedChannel = 2;
    for (unsigned ch = 0; ch < 3; ++ch) {
        m.sound.published.frequency[ch] = d.u16();
        m.sound.published.amplitude[ch] = d.u16();
    }

    m.keyboard.senseLow = d.u8();
    m.keyboard.senseHigh = d.u8();
    m.keyboard.capsLockAtStart = int16_t(0x8000);
    for (unsigned row = 0; row < 8; ++row)
        m.keyboard.input.rows[row] = uint16_t(d.u16() & 0x3FF);
    m.keyboard.input.capsLock = 1;

    m.tape.opened = true;
    m.tape.left = 0x1234;
    m.tape.imageSize = 0x5678;
    m.tape.requestPending = false;
    m.tape.requestAddress = d.u16();
    m.tape.requestLength = d.u16();
    fillBytes(reinterpret_cast<uint8_t*>(m.tape.requestName), sizeof m.tape.requestName, 5);
    m.tape.blocksServed = d.next();
    fillBytes(reinterpret_cast<uint8_t*>(m.tape.reported), sizeof m.tape.reported, 6);
    m.tape.reportedCount = 11;
    m.tape.reportedNext = 3;
    fillBytes(m.tape.buffer, sizeof m.tape.buffer, 7);

    for (size_t i = 0; i < sizeof m.frame.pixels; ++i)
        m.frame.pixels[i] = uint8_t((i * 7 + i / 256) % 16);

    m.timing.hookCalls = 65 * 1000 + 42; // 1000 frames and 42 calls into the next
    m.timing.frames = 1000;
    m.timing.hookCount = 42;
    m.timing.stopAtHookCall = 0;

    // The sound output where the halves stand at the last frame end, each wave and tone heard
    // a value of its own.
    soundOutputStartAt(m.soundOutput, uint64_t(1000) * cyclesPerFrame, m.sound.published);
    for (unsigned ch = 0; ch < 3; ++ch) {
        m.soundOutput.channelPhase[ch] = uint16_t((ch % 2 ? 0x8000 : 0) | (d.u16() & 0x3FF));
        m.soundOutput.heard.frequency[ch] = d.u16();
        m.soundOutput.heard.amplitude[ch] = d.u16();
    }
}

} // namespace

TEST(StateDistinctFields, EveryFieldComesBackFromItsOwnPlace)
{
    auto saved = std::make_unique<Mtx>();
    machinePowerOn(*saved);
    saved->romIdentity = 0x0123456789ABCDEFull;
    saved->romBuiltin = false;
    fillDistinct(*saved);
    auto loaded = std::make_unique<Mtx>();
    machinePowerOn(*loaded);
    loaded->romIdentity = saved->romIdentity;
    loaded->romBuiltin = saved->romBuiltin;

    const StateResult result = decodeState(encodeState(*saved), *loaded, *loaded);
    ASSERT_TRUE(result.ok) << result.error;

    const Mtx& a = *saved;
    const Mtx& b = *loaded;
#define SAME(field) EXPECT_EQ(a.field, b.field) << #field
#define SAME_BYTES(field) EXPECT_EQ(std::memcmp(&a.field, &b.field, sizeof a.field), 0) << #field
    SAME(cpu.F); SAME(cpu.A); SAME(cpu.C); SAME(cpu.B); SAME(cpu.E); SAME(cpu.D); SAME(cpu.L);
    SAME(cpu.H); SAME(cpu.IX); SAME(cpu.IY); SAME(cpu.PC); SAME(cpu.SP); SAME(cpu.altAF);
    SAME(cpu.altBC); SAME(cpu.altDE); SAME(cpu.altHL); SAME(cpu.intState); SAME(cpu.I);
    SAME(cpu.cyclesPerHook); SAME(cpu.cyclesLeft); SAME(cpu.cyclesHeld); SAME(cpu.zeroCostSteps);
    SAME(cpu.sliceEndDue); SAME(cpu.cpuId); SAME(cpu.reportUnknown); SAME(cpu.stopRequested);
    SAME_BYTES(memory.page); SAME(memory.ramPage); SAME(memory.romPage);
    for (unsigned ch = 0; ch < 4; ++ch) {
        SAME(ctc.channel[ch].control); SAME(ctc.channel[ch].timeConstant); SAME(ctc.channel[ch].count);
        SAME(ctc.channel[ch].counter); SAME(ctc.channel[ch].timeConstantNext);
        SAME(ctc.channel[ch].running);
    }
    SAME(ctc.vector);
    SAME_BYTES(vdp.registers); SAME(vdp.status); SAME(vdp.address); SAME(vdp.secondByteExpected);
    SAME(vdp.firstByte); SAME_BYTES(vdp.vram); SAME(vdp.mode); SAME(render.previousMode);
    SAME_BYTES(frame.pixels);
    SAME_BYTES(sound.tonePeriod); SAME_BYTES(sound.volume); SAME(sound.latchedChannel);
    SAME_BYTES(sound.published.frequency); SAME_BYTES(sound.published.amplitude);
    SAME(keyboard.senseLow); SAME(keyboard.senseHigh); SAME(keyboard.capsLockAtStart);
    SAME_BYTES(keyboard.input.rows); SAME(keyboard.input.capsLock);
    SAME(tape.opened); SAME(tape.left); SAME(tape.imageSize); SAME(tape.requestPending);
    SAME(tape.requestAddress); SAME(tape.requestLength); SAME_BYTES(tape.requestName);
    SAME(tape.blocksServed); SAME_BYTES(tape.reported); SAME(tape.reportedCount);
    SAME(tape.reportedNext); SAME_BYTES(tape.buffer);
    SAME(timing.hookCount); SAME(timing.hookCalls); SAME(timing.frames);
    SAME_BYTES(soundOutput.channelPhase); SAME(soundOutput.secondHalfNext); SAME(soundOutput.halfStart);
    SAME_BYTES(soundOutput.heard.frequency); SAME_BYTES(soundOutput.heard.amplitude);
    SAME(romIdentity); SAME(romBuiltin);
#undef SAME
#undef SAME_BYTES
}
