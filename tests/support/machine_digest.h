// A fingerprint of everything a machine is (field by field, never padding), for tests
// that compare many machines of one run without keeping each.
#pragma once

#include <cstdint>

#include <xxhash.h>

#include "machine/machine.h"

namespace ollendor {

inline uint64_t machineDigest(const Mtx& m)
{
    XXH64_state_t* state = XXH64_createState();
    XXH64_reset(state, 0);
    auto add = [&](const void* data, size_t size) { XXH64_update(state, data, size); };
    auto value = [&](auto v) { add(&v, sizeof v); };
    const Z80State& c = m.cpu;
    for (uint16_t word : {c.AF(), c.BC(), c.DE(), c.HL(), c.IX, c.IY, c.PC, c.SP, c.altAF, c.altBC, c.altDE, c.altHL})
        value(word);
    value(c.intState);
    value(c.I);
    value(cyclesLeftInSlice(c));
    value(c.zeroCostSteps);
    value(c.sliceEndDue);
    add(m.memory.page, sizeof m.memory.page);
    value(m.memory.ramPage);
    value(m.memory.romPage);
    for (const CtcChannel& ch : m.ctc.channel) {
        value(ch.control);
        value(ch.timeConstant);
        value(ch.count);
        value(ch.counter);
        value(ch.timeConstantNext);
        value(ch.running);
    }
    value(m.ctc.vector);
    add(m.vdp.registers, sizeof m.vdp.registers);
    add(m.vdp.vram, sizeof m.vdp.vram);
    value(m.vdp.address);
    value(m.vdp.secondByteExpected);
    value(m.vdp.firstByte);
    value(m.render.previousMode);
    add(m.frame.pixels, sizeof m.frame.pixels);
    add(m.sound.tonePeriod, sizeof m.sound.tonePeriod);
    add(m.sound.volume, sizeof m.sound.volume);
    value(m.sound.latchedChannel);
    add(&m.sound.published, sizeof m.sound.published);
    add(m.soundOutput.channelPhase, sizeof m.soundOutput.channelPhase);
    value(m.soundOutput.secondHalfNext);
    value(m.soundOutput.halfStart);
    add(&m.soundOutput.heard, sizeof m.soundOutput.heard);
    value(m.keyboard.senseLow);
    value(m.keyboard.senseHigh);
    value(m.keyboard.capsLockAtStart);
    add(m.keyboard.input.rows.data(), sizeof m.keyboard.input.rows);
    value(m.keyboard.input.capsLock);
    value(m.tape.opened);
    value(m.tape.left);
    add(m.tape.buffer, sizeof m.tape.buffer);
    value(m.timing.hookCount);
    value(m.timing.hookCalls);
    value(m.timing.frames);
    const uint64_t digest = XXH64_digest(state);
    XXH64_freeState(state);
    return digest;
}

} // namespace ollendor
