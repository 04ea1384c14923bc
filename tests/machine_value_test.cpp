// The machine is a value: a copy taken mid-run is a second machine that runs on exactly
// as the first, two machines share nothing, and the run stops for its host without the
// emulated program noticing.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "machine/machine.h"
#include "machine/rom_set.h"
#include "tests/support/graphics_page.h"
#include "tests/support/machine_compare.h"

using namespace ollendor;

TEST(MachineValue, ACopyTakenMidRunRunsOnAsTheOriginal)
{
    auto original = graphics_page::builtinMachine();
    graphics_page::runFrames(*original, 60);
    ASSERT_EQ(original->vdp.mode, modeGraphics2) << "key 4 should have opened the graphics page";
    auto copy = std::make_unique<Mtx>(*original);
    expectSameMachine(*original, *copy, "right after the copy");

    graphics_page::runFrames(*original, 45);
    graphics_page::runFrames(*copy, 45);
    expectSameMachine(*original, *copy, "45 frames later");

    // The sprites moved: the runs did something, and the same thing.
    auto earlier = graphics_page::builtinMachine();
    graphics_page::runFrames(*earlier, 60);
    EXPECT_NE(std::memcmp(earlier->frame.pixels, copy->frame.pixels, sizeof copy->frame.pixels), 0);
}

TEST(MachineValue, TwoMachinesRunIndependently)
{
    auto a = graphics_page::builtinMachine();
    auto b = graphics_page::builtinMachine();
    graphics_page::runFrames(*a, 30);
    // b has not run: still at power-on apart from the ROM.
    EXPECT_EQ(b->timing.frames, 0u);
    EXPECT_EQ(b->cpu.PC, 0x0000);
    graphics_page::runFrames(*b, 30);
    expectSameMachine(*a, *b, "two machines, same 30 frames");
    // Writing into one leaves the other alone.
    a->memory.page[0][0xC000] ^= 0xFF;
    EXPECT_NE(a->memory.page[0][0xC000], b->memory.page[0][0xC000]);
}

TEST(MachineValue, SteppingAndRunningGiveTheSameMachine)
{
    auto ran = graphics_page::builtinMachine();
    auto stepped = graphics_page::builtinMachine();
    graphics_page::runFrames(*ran, 3);
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
    auto machine = graphics_page::builtinMachine();
    uint64_t last = machineCycles(*machine);
    for (int i = 0; i < 20000; ++i) {
        machineStep(*machine);
        takeEvents(*machine);
        const uint64_t now = machineCycles(*machine);
        ASSERT_GE(now, last) << "step " << i;
        last = now;
    }
    // Every frame is 133,120 cycles of the hook's counting.
    graphics_page::runFrames(*machine, 1);
    const uint64_t atFrame = machineCycles(*machine);
    graphics_page::runFrames(*machine, 10);
    EXPECT_EQ(machineCycles(*machine) - atFrame, 10 * cyclesPerFrame);
}
