// Breakpoints: on execution at an address, on memory read or write in an address range (as
// the CPU sees memory), on IN or OUT by port number, on a write to a video chip register,
// and on an interrupt being accepted (per counter/timer channel). Each can be disabled
// without being removed, counts its hits, and may carry a condition on a register
// ("A == 0x10") that must hold for the hit to stop the machine.
//
// The list is small and changes only when the user changes it; every change rebuilds bit
// sets by address and port, so the checks made on every access are one bit test.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cpu/z80.h"
#include "debug/registers.h"
#include "machine/memory.h"

namespace ollendor {

class Symbols;

enum class BreakKind : uint8_t { exec, read, write, in, out, vdpRegister, interrupt };

// "exec", "read", "write", "in", "out", "vdp_register", "interrupt".
const char* breakKindName(BreakKind kind);
std::optional<BreakKind> parseBreakKind(std::string_view name);

// A test on the machine that must hold for a breakpoint's hit to stop it: comparisons
// joined by && and ||, && binding tighter ("B == 0 && HL == 0x8074 || A == 1"). Each
// comparison has on its left a register (A ... PC, as in debug/registers.h), a flag (Z, S,
// N, P or V or PV; the carry and half-carry flags as CF and HF, since C and H are
// registers; every flag also as ZF, SF, NF, PF, VF) or a memory byte written as in Z80
// assembly ((HL), (BC), (DE), (SP), (IX+5), (IY-2), (0x8000), (buffer+2)); then == != < >
// <= >= (or =); then a number or a symbol (with +N).
struct Condition {
    using Register = CpuRegister; // those with inConditions (debug/registers.h)
    enum class Compare : uint8_t { equal, notEqual, less, greater, lessOrEqual, greaterOrEqual };
    struct Term {
        enum class Kind : uint8_t { reg, flag, memoryAt, memoryVia } kind = Kind::reg;
        Register reg = Register::A; // reg, and memoryVia's base register
        uint8_t flagMask = 0;       // flag: its bit in F
        uint16_t address = 0;       // memoryAt: the address; memoryVia: the offset added
        Compare compare = Compare::equal;
        uint16_t value = 0;
        bool holds(const Z80State& cpu, const MemoryPages* memory) const;
        std::string text() const;
    };
    // Any of the groups holds when all of its terms hold.
    std::vector<std::vector<Term>> anyOf;

    // Memory bytes read as the CPU sees them; without memory they read as 0.
    bool holds(const Z80State& cpu, const MemoryPages* memory = nullptr) const;
    std::string text() const; // "A == $10", "B == $00 && (HL) != $FF"
};

struct ConditionParse {
    std::optional<Condition> condition; // when it could be read
    std::string error;                  // why not: "unknown register 'Q'"
};

// "A == 0x10", "hl!=$4000", "B < 3 && Z == 1", "(IX+5) == 0 || (buffer) > 9": numbers
// decimal, 0x, $ or h; symbols from `symbols` (may be null); each value within the width
// of what it is compared with.
ConditionParse parseCondition(std::string_view text, const Symbols* symbols = nullptr);

struct Breakpoint {
    int id = 0;                         // 1, 2, ... in the order they were set
    BreakKind kind = BreakKind::exec;
    uint16_t first = 0;                 // address, port, register (0-7) or channel (0-3)
    uint16_t last = 0;                  // the end of an address range (first for the others)
    bool enabled = true;
    uint64_t hits = 0;                  // accesses (or executions) that met it, condition or not
    std::optional<Condition> condition; // must hold for a hit to stop the machine

    std::string describe() const;       // "exec $0AAE", "write $C000-$C0FF if A == $10"
};

class Breakpoints {
public:
    struct Added {
        int id = 0;        // 0 when refused
        std::string error; // why: "a port is 0-255", "the range ends before it starts",
                           // "the same as breakpoint 2"
    };
    // Adds a breakpoint; `last` is used by read and write only (an address range). One the
    // same as a breakpoint already set (kind, addresses and condition) is refused.
    Added add(BreakKind kind, uint16_t first, uint16_t last, std::optional<Condition> condition);
    bool remove(int id);
    // Removes every breakpoint; gives how many there were.
    size_t clear();
    bool setEnabled(int id, bool enabled);
    const Breakpoint* find(int id) const;
    const std::vector<Breakpoint>& all() const { return list_; }
    // Some enabled breakpoint exists: the machine must run over the watching bus.
    bool armed() const { return armed_; }

    // Asked on every instruction or access while armed: plain bit lookups.
    bool watchesExec(uint16_t pc) const { return exec_[pc]; }
    bool watchesAnyRead() const { return anyRead_; }
    bool watchesAnyMemory() const { return anyRead_ || anyWrite_; }
    // Every enabled breakpoint is an execution one.
    bool onlyExec() const { return onlyExec_; }
    bool watchesRead(uint16_t address) const { return read_[address]; }
    bool watchesWrite(uint16_t address) const { return write_[address]; }
    bool watchesIn(uint8_t port) const { return in_[port]; }
    bool watchesOut(uint8_t port) const { return out_[port]; }
    bool watchesVdpRegister(unsigned reg) const { return (vdp_ >> reg & 1) != 0; }
    bool watchesInterrupt(unsigned channel) const { return (interrupts_ >> channel & 1) != 0; }

    // One access of that kind at that address (port, register, channel): counts a hit on
    // every enabled breakpoint that covers it and gives the id of the first whose
    // condition holds (0: none stops the machine).
    // Conditions on memory read it through `memory`.
    int hit(BreakKind kind, uint16_t value, const Z80State& cpu, const MemoryPages* memory = nullptr);

    // The hit counts in list order, and putting them back (a search through the past
    // re-executes code without those hits counting twice).
    std::vector<uint64_t> hitCounts() const;
    void restoreHitCounts(const std::vector<uint64_t>& counts);

private:
    void rebuild();

    std::vector<Breakpoint> list_;
    int nextId_ = 1;
    bool armed_ = false;
    bool anyRead_ = false;
    bool anyWrite_ = false;
    bool onlyExec_ = true;
    std::bitset<0x10000> exec_, read_, write_;
    std::bitset<0x100> in_, out_;
    uint8_t vdp_ = 0, interrupts_ = 0;
};

} // namespace ollendor
