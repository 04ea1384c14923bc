// Field-by-field comparison of two machines, for tests that expect the same machine from
// two roads (a copy run on, a run stopped and resumed). Padding never takes part.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "machine/machine.h"

namespace ollendor {

inline void expectSameCpu(const Z80State& a, const Z80State& b, const std::string& where)
{
    EXPECT_EQ(a.AF(), b.AF()) << where;
    EXPECT_EQ(a.BC(), b.BC()) << where;
    EXPECT_EQ(a.DE(), b.DE()) << where;
    EXPECT_EQ(a.HL(), b.HL()) << where;
    EXPECT_EQ(a.IX, b.IX) << where;
    EXPECT_EQ(a.IY, b.IY) << where;
    EXPECT_EQ(a.PC, b.PC) << where;
    EXPECT_EQ(a.SP, b.SP) << where;
    EXPECT_EQ(a.altAF, b.altAF) << where;
    EXPECT_EQ(a.altBC, b.altBC) << where;
    EXPECT_EQ(a.altDE, b.altDE) << where;
    EXPECT_EQ(a.altHL, b.altHL) << where;
    EXPECT_EQ(a.intState, b.intState) << where;
    EXPECT_EQ(a.I, b.I) << where;
    EXPECT_EQ(cyclesLeftInSlice(a), cyclesLeftInSlice(b)) << where;
    EXPECT_EQ(a.zeroCostSteps, b.zeroCostSteps) << where;
    EXPECT_EQ(a.sliceEndDue, b.sliceEndDue) << where;
}

// Every piece of emulated state; the events raised are not state but messages.
inline void expectSameMachine(const Mtx& a, const Mtx& b, const std::string& where)
{
    expectSameCpu(a.cpu, b.cpu, where);
    EXPECT_EQ(std::memcmp(a.memory.page, b.memory.page, sizeof a.memory.page), 0) << where << ": memory";
    EXPECT_EQ(a.memory.ramPage, b.memory.ramPage) << where;
    EXPECT_EQ(a.memory.romPage, b.memory.romPage) << where;
    for (unsigned c = 0; c < 4; ++c) {
        const CtcChannel& x = a.ctc.channel[c];
        const CtcChannel& y = b.ctc.channel[c];
        EXPECT_TRUE(x.control == y.control && x.timeConstant == y.timeConstant && x.count == y.count &&
                    x.counter == y.counter && x.timeConstantNext == y.timeConstantNext &&
                    x.running == y.running)
            << where << ": counter/timer channel " << c;
    }
    EXPECT_EQ(a.ctc.vector, b.ctc.vector) << where;
    EXPECT_EQ(std::memcmp(a.vdp.registers, b.vdp.registers, sizeof a.vdp.registers), 0) << where;
    EXPECT_EQ(std::memcmp(a.vdp.vram, b.vdp.vram, sizeof a.vdp.vram), 0) << where << ": video memory";
    EXPECT_EQ(a.vdp.address, b.vdp.address) << where;
    EXPECT_EQ(a.vdp.secondByteExpected, b.vdp.secondByteExpected) << where;
    EXPECT_EQ(a.vdp.firstByte, b.vdp.firstByte) << where;
    EXPECT_EQ(a.vdp.mode, b.vdp.mode) << where;
    EXPECT_EQ(a.render.previousMode, b.render.previousMode) << where;
    EXPECT_EQ(std::memcmp(a.frame.pixels, b.frame.pixels, sizeof a.frame.pixels), 0) << where << ": picture";
    EXPECT_EQ(std::memcmp(a.sound.tonePeriod, b.sound.tonePeriod, sizeof a.sound.tonePeriod), 0) << where;
    EXPECT_EQ(std::memcmp(a.sound.volume, b.sound.volume, sizeof a.sound.volume), 0) << where;
    EXPECT_EQ(a.sound.latchedChannel, b.sound.latchedChannel) << where;
    EXPECT_EQ(a.sound.published, b.sound.published) << where;
    EXPECT_EQ(std::memcmp(a.soundOutput.channelPhase, b.soundOutput.channelPhase, sizeof a.soundOutput.channelPhase), 0)
        << where << ": sound waves";
    EXPECT_EQ(a.soundOutput.secondHalfNext, b.soundOutput.secondHalfNext) << where;
    EXPECT_EQ(a.soundOutput.halfStart, b.soundOutput.halfStart) << where << ": sound halves";
    EXPECT_EQ(a.soundOutput.heard, b.soundOutput.heard) << where;
    EXPECT_EQ(a.keyboard.senseLow, b.keyboard.senseLow) << where;
    EXPECT_EQ(a.keyboard.senseHigh, b.keyboard.senseHigh) << where;
    EXPECT_EQ(a.keyboard.capsLockAtStart, b.keyboard.capsLockAtStart) << where;
    EXPECT_EQ(a.keyboard.input, b.keyboard.input) << where;
    EXPECT_EQ(a.tape.opened, b.tape.opened) << where;
    EXPECT_EQ(a.tape.left, b.tape.left) << where;
    EXPECT_EQ(std::memcmp(a.tape.buffer, b.tape.buffer, sizeof a.tape.buffer), 0) << where << ": tape";
    EXPECT_EQ(a.timing.hookCount, b.timing.hookCount) << where;
    EXPECT_EQ(a.timing.hookCalls, b.timing.hookCalls) << where;
    EXPECT_EQ(a.timing.frames, b.timing.frames) << where;
}

} // namespace ollendor
