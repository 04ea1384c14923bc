// Stopping the run loop between two instructions and going on must be invisible to the
// emulated program: the same hook calls at the same points, the same registers, the same
// memory, whether the run went through uninterrupted, stopped every few accesses, stopped
// at set cycle counts, or went one instruction at a time.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cpu/run.h"

using namespace ollendor;

namespace {

// Everything a run leaves behind: the machine, and what the hook saw at each call.
struct World {
    std::array<uint8_t, 0x10000> memory{};
    struct HookCall {
        uint16_t pc;
        int32_t cyclesLeft;
        uint8_t a;
        bool operator==(const HookCall&) const = default;
    };
    std::vector<HookCall> hookCalls;
    unsigned hookLimit = 400;      // the hook says quit at this call
    unsigned stopEvery = 0;        // ask for a stop on every n-th memory access; 0: never
    unsigned accesses = 0;         // memory accesses so far
    unsigned stopsAsked = 0;       // stops asked for by the bus
    bool stopAtHooks = false;      // the hook asks for a stop at every call
    Z80State* cpu = nullptr;       // for the bus's stop requests
};

// A bus that holds a pointer to its world, as the machine's bus does.
struct WorldBus {
    World* world;

    void access()
    {
        if (world->stopEvery && ++world->accesses % world->stopEvery == 0) {
            requestStop(*world->cpu);
            ++world->stopsAsked;
        }
    }
    uint8_t memRead(uint16_t address)
    {
        access();
        return world->memory[address];
    }
    void memWrite(uint16_t address, uint8_t value)
    {
        access();
        if (address >= 0x4000)
            world->memory[address] = value;
    }
    uint8_t portIn(uint16_t) { return 0xFF; }
    void portOut(uint16_t, uint8_t value) { world->memory[0x7000 + world->hookCalls.size() % 256] = value; }
    uint16_t periodicHook(Z80State& cpu)
    {
        world->hookCalls.push_back({cpu.PC, cyclesLeftInSlice(cpu), cpu.A});
        if (world->stopAtHooks)
            requestStop(cpu);
        if (world->hookCalls.size() >= world->hookLimit)
            return hookQuit;
        return world->hookCalls.size() % 3 == 0 ? 0x0038 : hookContinue;
    }
    void tapeTrap(Z80State&) {}
    void diagnostic(Z80State&, const char*) {}
};
static_assert(Z80Bus<WorldBus>);

std::vector<uint8_t> program()
{
    std::ifstream in(std::string(OLLENDOR_TEST_ASM_DIR) + "/stop_resume.bin", std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing test program stop_resume.bin";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Trial {
    World world;
    Z80State cpu{};

    Trial()
    {
        const std::vector<uint8_t> code = program();
        std::memcpy(world.memory.data(), code.data(), code.size());
        for (unsigned i = 0; i < 300; ++i)
            world.memory[0x4000 + i] = uint8_t(i * 7);
        cpu.cyclesPerHook = 2048;
        cpuReset(cpu);
        world.cpu = &cpu;
    }
    bool finished() const { return world.hookCalls.size() >= world.hookLimit; }
};

void expectSame(const Trial& reference, const Trial& other, const char* how)
{
    ASSERT_EQ(reference.world.hookCalls.size(), other.world.hookCalls.size()) << how;
    for (size_t i = 0; i < reference.world.hookCalls.size(); ++i)
        ASSERT_EQ(reference.world.hookCalls[i], other.world.hookCalls[i]) << how << ", hook call " << i;
    // The registers up to I: the padding after them is no state (clang leaves it unset).
    EXPECT_EQ(std::memcmp(&reference.cpu, &other.cpu, offsetof(Z80State, I) + 1), 0) << how;
    EXPECT_EQ(reference.cpu.cyclesLeft, other.cpu.cyclesLeft) << how;
    EXPECT_EQ(reference.cpu.zeroCostSteps, other.cpu.zeroCostSteps) << how;
    EXPECT_EQ(reference.world.memory, other.world.memory) << how;
}

Trial uninterrupted()
{
    Trial run;
    cpuRun(WorldBus{&run.world}, run.cpu);
    EXPECT_TRUE(run.finished());
    return run;
}

} // namespace

TEST(CpuStop, StoppingAtAnyAccessChangesNothing)
{
    const Trial reference = uninterrupted();
    EXPECT_GT(reference.world.memory[0x6004], 50) << "the interrupt handler should have run often";
    for (unsigned every : {1u, 2u, 7u, 13u, 101u, 997u}) {
        Trial run;
        run.world.stopEvery = every;
        unsigned runs = 0;
        while (!run.finished()) {
            cpuRun(WorldBus{&run.world}, run.cpu);
            ++runs;
            ASSERT_FALSE(run.cpu.stopRequested);
            ASSERT_EQ(run.cpu.cyclesHeld, 0) << "a returned run keeps no cycles aside";
            ASSERT_TRUE(run.cpu.cyclesLeft > 0 || run.cpu.sliceEndDue)
                << "a spent slice is ended, or left due for the next run";
        }
        EXPECT_GT(run.world.stopsAsked, 20u);
        EXPECT_GT(runs, run.world.stopsAsked / 4) << "stops asked for in one instruction merge";
        expectSame(reference, run, ("a stop every " + std::to_string(every) + " accesses").c_str());
    }
}

TEST(CpuStop, StoppingAtCycleCountsChangesNothing)
{
    const Trial reference = uninterrupted();
    for (int32_t left : {2047, 1500, 700, 64, 1}) {
        Trial run;
        run.world.stopAtHooks = true; // each run ends with its slice at the latest
        unsigned early = 0;
        while (!run.finished()) {
            const int32_t before = run.cpu.cyclesLeft;
            if (left < before)
                requestStopAt(run.cpu, left);
            const uint16_t hooksBefore = uint16_t(run.world.hookCalls.size());
            cpuRun(WorldBus{&run.world}, run.cpu);
            if (run.world.hookCalls.size() == hooksBefore) {
                // Returned inside the slice: at the first boundary with at most `left` left.
                ASSERT_LE(run.cpu.cyclesLeft, left);
                ++early;
            }
        }
        if (left > 1)
        {
            EXPECT_GT(early, 150u) << left;
        }
        expectSame(reference, run, ("stops at " + std::to_string(left) + " cycles left").c_str());
    }
}

TEST(CpuStop, SteppingOneInstructionAtATimeChangesNothing)
{
    const Trial reference = uninterrupted();
    Trial run;
    unsigned steps = 0;
    while (!run.finished()) {
        cpuStep(WorldBus{&run.world}, run.cpu);
        ++steps;
    }
    EXPECT_GT(steps, 2000u);
    expectSame(reference, run, "single steps");
}

TEST(CpuStop, StepAtHaltRunsOneSliceEndAndEntersTheHandlerWhenDue)
{
    Trial run;
    run.world.hookLimit = 100000;
    WorldBus bus{&run.world};
    cpuStep(bus, run.cpu); // LD SP,nn
    EXPECT_EQ(run.cpu.PC, 0x0003);
    EXPECT_EQ(run.cpu.cyclesLeft, 2048 - 10);
    EXPECT_TRUE(run.world.hookCalls.empty());

    while (run.world.memory[run.cpu.PC] != 0x76)
        cpuStep(bus, run.cpu);
    const uint16_t halt = run.cpu.PC;
    // Each step at the HALT is one slice end; the third hook call answers with an interrupt.
    for (int step = 0; step < 3; ++step) {
        const size_t hooks = run.world.hookCalls.size();
        ASSERT_EQ(run.cpu.PC, halt);
        cpuStep(bus, run.cpu);
        ASSERT_EQ(run.world.hookCalls.size(), hooks + 1);
        if (run.cpu.PC != halt)
            break;
        EXPECT_TRUE(run.cpu.intState & HALTED);
    }
    EXPECT_EQ(run.cpu.PC, 0x0038) << "the step that met the interrupt goes into the handler";
    EXPECT_FALSE(run.cpu.intState & HALTED);
    EXPECT_EQ(run.world.memory[run.cpu.SP] | run.world.memory[run.cpu.SP + 1] << 8, halt + 1);
}
