// The rewind buffer on the built-in ROM's graphics page (moving sprites, so the picture,
// the video memory and RAM change every frame): every capture held comes back exactly,
// the machine runs on from a restored one as it ran the first time, and the capacity and
// the memory budget drop the oldest captures, never a wrong one.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "machine/machine.h"
#include "machine/rom_set.h"
#include "state/rewind.h"
#include "tests/support/graphics_page.h"
#include "tests/support/machine_compare.h"

using namespace ollendor;

namespace {

void runTo(Mtx& machine, uint64_t frame)
{
    while (machine.timing.frames < frame)
        graphics_page::runFrame(machine);
}

// The machine as a fresh run leaves it at the end of `frame`.
std::unique_ptr<Mtx> machineAtFrame(uint64_t frame)
{
    auto machine = graphics_page::builtinMachine();
    runTo(*machine, frame);
    return machine;
}

// A capture is the whole value: besides the emulated state, the ROM set it was laid out
// from and the events waiting for the host.
void expectSameCapture(const Mtx& a, const Mtx& b, const std::string& where)
{
    expectSameMachine(a, b, where);
    EXPECT_EQ(a.romIdentity, b.romIdentity) << where;
    EXPECT_EQ(a.romBuiltin, b.romBuiltin) << where;
    EXPECT_EQ(a.events.raised, b.events.raised) << where;
    EXPECT_EQ(std::memcmp(a.events.diagnosticLine, b.events.diagnosticLine, sizeof a.events.diagnosticLine), 0)
        << where;
}

std::string atFrame(uint64_t frame) { return "frame " + std::to_string(frame); }

using Kept = std::map<uint64_t, std::unique_ptr<Mtx>>;

void keepIfNamed(const Mtx& machine, std::initializer_list<uint64_t> keep, Kept& kept)
{
    for (uint64_t k : keep)
        if (k == machine.timing.frames)
            kept[k] = std::make_unique<Mtx>(machine);
}

// Runs on to the end of frame `last`, capturing after every frame, and keeps a copy of the
// machine at each frame named in `keep`.
void runOnCapturing(Mtx& machine, RewindBuffer& buffer, uint64_t last, std::initializer_list<uint64_t> keep,
                    Kept& kept)
{
    while (machine.timing.frames < last) {
        graphics_page::runFrame(machine);
        buffer.capture(machine);
        keepIfNamed(machine, keep, kept);
    }
}

// The same from a capture at the end of frame `first` (run to without capturing).
Kept captureRun(Mtx& machine, RewindBuffer& buffer, uint64_t first, uint64_t last,
                std::initializer_list<uint64_t> keep)
{
    Kept kept;
    runTo(machine, first);
    buffer.capture(machine);
    keepIfNamed(machine, keep, kept);
    runOnCapturing(machine, buffer, last, keep, kept);
    return kept;
}

} // namespace

TEST(StateRewind, EveryCaptureHeldComesBackExactly)
{
    // Frames 20-319: 300 captures, across the change to the graphics page.
    auto machine = graphics_page::builtinMachine();
    RewindBuffer buffer;
    auto kept = captureRun(*machine, buffer, 20, 319, {20, 302, 317, 318, 319});
    ASSERT_EQ(machine->vdp.mode, modeGraphics2) << "key 4 should have opened the graphics page";
    ASSERT_EQ(buffer.frames(), 300u);
    EXPECT_LE(buffer.memoryBytes(), buffer.budget());

    // Looking leaves the buffer as it is.
    auto view = std::make_unique<Mtx>();
    for (uint64_t back : {0, 1, 2, 17, 299}) {
        ASSERT_TRUE(buffer.peek(*view, back));
        expectSameCapture(*view, *kept.at(319 - back), "peek " + std::to_string(back) + " back");
    }
    EXPECT_EQ(buffer.frames(), 300u);

    // Too far back: refused, the machine untouched.
    *view = *machine;
    EXPECT_FALSE(buffer.peek(*view, 300));
    EXPECT_FALSE(buffer.restore(*view, 300));
    expectSameCapture(*view, *machine, "after a refused restore");
    EXPECT_EQ(buffer.frames(), 300u);

    // Frame by frame backwards, then further, down to the oldest: each restore drops the
    // captures after the one it gives.
    ASSERT_TRUE(buffer.restore(*machine, 1));
    expectSameCapture(*machine, *kept.at(318), "1 back");
    EXPECT_EQ(buffer.frames(), 299u);
    ASSERT_TRUE(buffer.restore(*machine, 1));
    expectSameCapture(*machine, *kept.at(317), "2 back");
    ASSERT_TRUE(buffer.restore(*machine, 15));
    expectSameCapture(*machine, *kept.at(302), "17 back");
    EXPECT_EQ(buffer.frames(), 283u);
    ASSERT_TRUE(buffer.restore(*machine, buffer.frames() - 1));
    expectSameCapture(*machine, *kept.at(20), "the oldest");
    EXPECT_EQ(buffer.frames(), 1u);
    // The newest (and only) capture again, as often as asked.
    machine->cpu.PC ^= 0x1234;
    ASSERT_TRUE(buffer.restore(*machine, 0));
    expectSameCapture(*machine, *kept.at(20), "the oldest once more");
    EXPECT_FALSE(buffer.restore(*machine, 1));
}

TEST(StateRewind, RunningOnFromARestoredCaptureRepeatsTheRunAndContinuesTheHistory)
{
    // Frames 30-129, over the key press that opens the graphics page.
    auto machine = graphics_page::builtinMachine();
    RewindBuffer buffer;
    auto kept = captureRun(*machine, buffer, 30, 129, {30, 35, 60, 75});

    ASSERT_TRUE(buffer.restore(*machine, 129 - 35));
    expectSameCapture(*machine, *kept.at(35), "restored to frame 35");
    EXPECT_EQ(buffer.frames(), 6u);
    // Running on with the captures going on: the keys are pressed again at frame 40.
    Kept none;
    runOnCapturing(*machine, buffer, 75, {}, none);
    expectSameCapture(*machine, *kept.at(75), "frame 75 reached again");
    EXPECT_EQ(buffer.frames(), 46u);
    // The history holds the old captures before the restore and the new ones after it.
    ASSERT_TRUE(buffer.restore(*machine, 15));
    expectSameCapture(*machine, *kept.at(60), "back to frame 60, captured on the second road");
    ASSERT_TRUE(buffer.restore(*machine, buffer.frames() - 1));
    expectSameCapture(*machine, *kept.at(30), "back to frame 30, captured on the first");
}

TEST(StateRewind, AResetInTheWindowIsRewoundToo)
{
    // A reset onto another ROM set changes nearly every block at once, the last one (the
    // set's identity) included: the largest record there is.
    auto machine = graphics_page::builtinMachine();
    RewindBuffer buffer;
    auto kept = captureRun(*machine, buffer, 55, 60, {60});
    RomSet other = builtinRomSet();
    other.basic.at(0x100) ^= 0xFF;
    other.builtin = false;
    other.identity = romSetIdentity(other);
    machineInit(*machine, other);
    buffer.capture(*machine);
    graphics_page::runFrame(*machine);
    buffer.capture(*machine);
    auto view = std::make_unique<Mtx>();
    ASSERT_TRUE(buffer.peek(*view, 0));
    expectSameCapture(*view, *machine, "after the reset");
    ASSERT_TRUE(buffer.restore(*machine, 2));
    expectSameCapture(*machine, *kept.at(60), "before the reset");
}

TEST(StateRewind, TheCapacityDropsTheOldest)
{
    auto machine = graphics_page::builtinMachine();
    RewindBuffer buffer(10);
    auto kept = captureRun(*machine, buffer, 40, 64, {55});
    EXPECT_EQ(buffer.frames(), 10u);
    auto view = std::make_unique<Mtx>();
    EXPECT_FALSE(buffer.peek(*view, 10));
    ASSERT_TRUE(buffer.peek(*view, 9));
    expectSameCapture(*view, *kept.at(55), "the oldest of ten");

    // Cleared, it starts again from nothing.
    buffer.clear();
    EXPECT_EQ(buffer.frames(), 0u);
    EXPECT_FALSE(buffer.restore(*machine, 0));
    kept = captureRun(*machine, buffer, 64, 80, {75});
    EXPECT_EQ(buffer.frames(), 10u);
    ASSERT_TRUE(buffer.restore(*machine, 5));
    expectSameCapture(*machine, *kept.at(75), "5 back after a clear");
}

TEST(StateRewind, TheBudgetDropsTheOldestAndTheRingWraps)
{
    // Room for a few dozen of the graphics page's records, so the ring wraps many times.
    const size_t budget = RewindBuffer::minimumBudget() + 100 * 1024;
    auto machine = graphics_page::builtinMachine();
    RewindBuffer buffer(rewindDefaultCapacity, budget);
    uint64_t fewest = 1000;
    runTo(*machine, 60);
    for (uint64_t frame = 60; frame <= 400; ++frame) {
        buffer.capture(*machine);
        ASSERT_LE(buffer.memoryBytes(), budget) << atFrame(frame);
        if (frame >= 200)
            fewest = std::min<uint64_t>(fewest, buffer.frames());
        if (frame < 400)
            graphics_page::runFrame(*machine);
    }
    ASSERT_GT(fewest, 2u) << "the budget should hold some frames";
    ASSERT_LT(buffer.frames(), 300u) << "the budget should have dropped the oldest";

    // The oldest held is the frame its count says, exactly.
    const uint64_t oldest = 400 - (buffer.frames() - 1);
    auto view = std::make_unique<Mtx>();
    ASSERT_TRUE(buffer.peek(*view, buffer.frames() - 1));
    expectSameCapture(*view, *machineAtFrame(oldest), "the oldest held, " + atFrame(oldest));

    // Back halfway, run on, capture on: the ring goes on wrapping from the restored point.
    const size_t half = buffer.frames() / 2;
    ASSERT_TRUE(buffer.restore(*machine, half));
    Kept none;
    runOnCapturing(*machine, buffer, 500, {}, none);
    EXPECT_LE(buffer.memoryBytes(), budget);
    const uint64_t oldestNow = 500 - (buffer.frames() - 1);
    ASSERT_GT(oldestNow, 400 - half) << "the new records should have pushed out older ones";
    ASSERT_TRUE(buffer.restore(*machine, buffer.frames() - 1));
    expectSameCapture(*machine, *machineAtFrame(oldestNow), "the oldest held after wrapping on");
}

TEST(StateRewind, WithoutRoomForRecordsTheNewestIsHeldAlone)
{
    // A capacity of none (raised to one), and a budget too small for any record.
    auto machine = graphics_page::builtinMachine();
    RewindBuffer noCapacity(0);
    RewindBuffer noBudget(rewindDefaultCapacity, 0);
    EXPECT_EQ(noCapacity.capacity(), 1u);
    EXPECT_EQ(noBudget.budget(), RewindBuffer::minimumBudget());
    runTo(*machine, 40);
    for (int i = 0; i < 10; ++i) {
        graphics_page::runFrame(*machine);
        noCapacity.capture(*machine);
        noBudget.capture(*machine);
    }
    EXPECT_EQ(noBudget.memoryBytes(), RewindBuffer::minimumBudget());
    for (RewindBuffer* buffer : {&noCapacity, &noBudget}) {
        EXPECT_EQ(buffer->frames(), 1u);
        auto view = std::make_unique<Mtx>();
        EXPECT_FALSE(buffer->peek(*view, 1));
        ASSERT_TRUE(buffer->restore(*view, 0));
        expectSameCapture(*view, *machine, "the newest");
    }
}

TEST(StateRewind, SixtySecondsOfTheGraphicsPageFitTheDefaultBudget)
{
    // 1,801 captures: a minute back from the newest, all held.
    auto machine = graphics_page::builtinMachine();
    RewindBuffer buffer;
    auto kept = captureRun(*machine, buffer, 60, 60 + 1800, {60});
    EXPECT_EQ(buffer.frames(), 1801u);
    EXPECT_LE(buffer.memoryBytes(), size_t(64) << 20);
    RecordProperty("memoryBytes", std::to_string(buffer.memoryBytes()));
    std::printf("a minute of the graphics page takes %.1f MiB\n", double(buffer.memoryBytes()) / (1 << 20));
    ASSERT_TRUE(buffer.restore(*machine, 1800));
    expectSameCapture(*machine, *kept.at(60), "a minute back");
}
