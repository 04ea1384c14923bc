// Section "zexdoc": the same stretch of the ZEXDOC exerciser on our core and on z80ex, a
// generic Z80 library, each over a flat 64 KiB CP/M harness, in one run. Speeds are
// emulated MHz: T-states per second of this thread's CPU time, each core counting T-states
// its own way (ours charges nothing for the prefixed forms without an index variant).
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" {
#include <z80ex.h>
}

#include "bench/bench.h"
#include "cpu/run.h"
#include "debug/debugger.h"
#include "debug/watching_bus.h"
#include "tools/cpm_bus.h"

using namespace ollendor;

namespace {

// Long enough to cover the first exerciser tests and take several seconds on each core.
constexpr uint64_t workloadTStates = 10'000'000'000;

const char* const zexdocPath = OLLENDOR_TESTDATA_DIR "/zex/zexdoc.com";

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// How the core runs: plain, or through the debugger the way the program decides (the
// plain loop while nothing is armed, the watching bus once something is).
enum class Debugging { none, nothingArmed, oneExecBreakpoint };

double runOllendor(const std::vector<uint8_t>& program, Debugging debugging = Debugging::none)
{
    static Z80State cpu;
    static Debugger debugger;
    CpmBus::load(program, cpu);
    CpmBus::console = nullptr;
    CpmBus::maxTStates = workloadTStates;
    debugger = Debugger{};
    if (debugging == Debugging::oneExecBreakpoint)
        debugger.breakpoints.add(BreakKind::exec, 0xFFF0, 0xFFF0, {}); // never reached: no stop
    const double start = threadSeconds();
    if (debugging == Debugging::none || !debugger.armed())
        cpuRun(CpmBus{}, cpu);
    else {
        debugger.prepare(cpu);
        if (debugger.execOnly()) // as debugRun chooses
            cpuRun(ExecWatchingBus<CpmBus>{CpmBus{}, &debugger}, cpu);
        else
            cpuRun(WatchingBus<CpmBus>{CpmBus{}, &debugger}, cpu);
    }
    const double seconds = threadSeconds() - start;
    return double(CpmBus::tStates) / seconds / 1e6;
}

// The z80ex harness: the same memory layout as CpmBus, with the two traps taken on the
// opcode fetch from the BDOS entry (which holds a RET) and from 0x0000.
struct Z80exMachine {
    uint8_t memory[0x10000];
    Z80EX_CONTEXT* cpu;
    bool finished;
};

Z80EX_BYTE z80exMemRead(Z80EX_CONTEXT* cpu, Z80EX_WORD address, int m1, void* data)
{
    auto* machine = static_cast<Z80exMachine*>(data);
    if (m1 && (address == 0x0000 || (address == CpmBus::bdosEntry && z80ex_get_reg(cpu, regBC) % 256 == 0)))
        machine->finished = true;
    return machine->memory[address];
}

void z80exMemWrite(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value, void* data)
{
    static_cast<Z80exMachine*>(data)->memory[address] = value;
}

Z80EX_BYTE z80exPortIn(Z80EX_CONTEXT*, Z80EX_WORD, void*) { return 0xFF; }
void z80exPortOut(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void*) {}
Z80EX_BYTE z80exIntRead(Z80EX_CONTEXT*, void*) { return 0xFF; }

double runZ80ex(const std::vector<uint8_t>& program)
{
    static Z80exMachine machine;
    static Z80State unused;
    CpmBus::load(program, unused); // the same memory image as our harness
    std::copy(CpmBus::memory.begin(), CpmBus::memory.end(), machine.memory);
    machine.memory[CpmBus::bdosEntry] = 0xC9; // RET; the output is dropped
    machine.finished = false;
    machine.cpu = z80ex_create(z80exMemRead, &machine, z80exMemWrite, &machine, z80exPortIn,
                               &machine, z80exPortOut, &machine, z80exIntRead, &machine);
    z80ex_set_reg(machine.cpu, regPC, CpmBus::programStart);
    z80ex_set_reg(machine.cpu, regSP, CpmBus::bdosEntry - 2);

    uint64_t tStates = 0;
    const double start = threadSeconds();
    while (tStates < workloadTStates && !machine.finished)
        tStates += uint64_t(z80ex_step(machine.cpu));
    const double seconds = threadSeconds() - start;
    z80ex_destroy(machine.cpu);
    return double(tStates) / seconds / 1e6;
}

void benchZexdoc()
{
    std::ifstream file(zexdocPath, std::ios::binary);
    if (!file) {
        std::printf("zexdoc: skipped, %s not found\n", zexdocPath);
        return;
    }
    const std::vector<uint8_t> program{std::istreambuf_iterator<char>(file),
                                       std::istreambuf_iterator<char>()};
    const double ours = runOllendor(program);
    const double theirs = runZ80ex(program);
    std::printf("zexdoc MHz: ollendor %.1f, z80ex %.1f, ratio %.2f\n", ours, theirs, ours / theirs);
    // The debugger's cost, side by side with the plain figure just taken.
    const double idle = runOllendor(program, Debugging::nothingArmed);
    const double armed = runOllendor(program, Debugging::oneExecBreakpoint);
    std::printf("zexdoc MHz, debugger with nothing armed: %.1f, ratio %.2f (%.1f%% of plain)\n", idle,
                idle / theirs, 100.0 * idle / ours);
    std::printf("zexdoc MHz, one execution breakpoint armed: %.1f, ratio %.2f (%.1f%% of plain)\n", armed,
                armed / theirs, 100.0 * armed / ours);
}

const BenchSection zexdocSection("zexdoc", 50, benchZexdoc);

} // namespace
