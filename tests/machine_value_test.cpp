// The machine is a value: a copy taken mid-run is a second machine that runs on exactly
// as the first, two machines share nothing, and the run stops for its host without the
// emulated program noticing.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "machine/machine.h"
#include "machine/rom_set.h"
#include "tests/support/machine_compare.h"

using namespace ollendor;

namespace {

constexpr uint8_t key4 = 0x34;

// A machine on the built-in ROM; key 4 (the graphics page with moving sprites) is held
// for a few frames from frame 40 so that the picture changes every frame after it.
std::unique_ptr<Mtx> graphicsMachine()
{
    auto machine = std::make_unique<Mtx>();
    machinePowerOn(*machine);
    machineInit(*machine, builtinRomSet());
    return machine;
}

// Runs whole frames, answering any tape request as missing; keys as the script says.
void runFrames(Mtx& machine, unsigned frames)
{
    const uint64_t end = machine.timing.frames + frames;
    while (machine.timing.frames < end) {
        const uint64_t frame = machine.timing.frames;
        machine.keyboard.input = keyboardInputFrom([frame](uint8_t key) { return key == key4 && frame >= 40 && frame < 44; }, 0);
        machineRun(machine);
        const MachineEvents events = takeEvents(machine);
        if (events.has(MachineEvent::tapeRequest))
            tapeMissing(machine);
    }
}

} // namespace

TEST(MachineValue, ACopyTakenMidRunRunsOnAsTheOriginal)
{
    auto original = graphicsMachine();
    runFrames(*original, 60);
    ASSERT_EQ(original->vdp.mode, modeGraphics2) << "key 4 should have opened the graphics page";
    auto copy = std::make_unique<Mtx>(*original);
    expectSameMachine(*original, *copy, "right after the copy");

    runFrames(*original, 45);
    runFrames(*copy, 45);
    expectSameMachine(*original, *copy, "45 frames later");

    // The sprites moved: the runs did something, and the same thing.
    auto earlier = graphicsMachine();
    runFrames(*earlier, 60);
    EXPECT_NE(std::memcmp(earlier->frame.pixels, copy->frame.pixels, sizeof copy->frame.pixels), 0);
}

TEST(MachineValue, TwoMachinesRunIndependently)
{
    auto a = graphicsMachine();
    auto b = graphicsMachine();
    runFrames(*a, 30);
    // b has not run: still at power-on apart from the ROM.
    EXPECT_EQ(b->timing.frames, 0u);
    EXPECT_EQ(b->cpu.PC, 0x0000);
    runFrames(*b, 30);
    expectSameMachine(*a, *b, "two machines, same 30 frames");
    // Writing into one leaves the other alone.
    a->memory.page[0][0xC000] ^= 0xFF;
    EXPECT_NE(a->memory.page[0][0xC000], b->memory.page[0][0xC000]);
}

TEST(MachineValue, SteppingAndRunningGiveTheSameMachine)
{
    auto ran = graphicsMachine();
    auto stepped = graphicsMachine();
    runFrames(*ran, 3);
    while (stepped->timing.frames < 3) {
        machineStep(*stepped);
        const MachineEvents events = takeEvents(*stepped);
        if (events.has(MachineEvent::tapeRequest))
            tapeMissing(*stepped);
    }
    expectSameMachine(*ran, *stepped, "three frames run, or stepped one instruction at a time");
}

TEST(MachineValue, CyclesCountEmulatedTimeAndNeverGoBack)
{
    auto machine = graphicsMachine();
    uint64_t last = machineCycles(*machine);
    for (int i = 0; i < 20000; ++i) {
        machineStep(*machine);
        takeEvents(*machine);
        const uint64_t now = machineCycles(*machine);
        ASSERT_GE(now, last) << "step " << i;
        last = now;
    }
    // Every frame is 133,120 cycles of the hook's counting.
    runFrames(*machine, 1);
    const uint64_t atFrame = machineCycles(*machine);
    runFrames(*machine, 10);
    EXPECT_EQ(machineCycles(*machine) - atFrame, 10 * cyclesPerFrame);
}
