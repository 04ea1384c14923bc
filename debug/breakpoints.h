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

namespace ollendor {

enum class BreakKind : uint8_t { exec, read, write, in, out, vdpRegister, interrupt };

// "exec", "read", "write", "in", "out", "vdp_register", "interrupt".
const char* breakKindName(BreakKind kind);
std::optional<BreakKind> parseBreakKind(std::string_view name);

// A register compared with a value.
struct Condition {
    using Register = CpuRegister; // those with inConditions (debug/registers.h)
    enum class Compare : uint8_t { equal, notEqual, less, greater, lessOrEqual, greaterOrEqual };
    Register reg = Register::A;
    Compare compare = Compare::equal;
    uint16_t value = 0;

    bool holds(const Z80State& cpu) const;
    std::string text() const; // "A == $10"
};

struct ConditionParse {
    std::optional<Condition> condition; // when it could be read
    std::string error;                  // why not: "unknown register 'Q'"
};

// "A == 0x10", "hl!=$4000", "B < 3", "SP >= 0xF000": a register, a comparison (== != < > <=
// >=) and a number (decimal, 0x, $, or h), the value within the register's width.
ConditionParse parseCondition(std::string_view text);

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
        std::string error; // why: "a port is 0-255", "the range ends before it starts"
    };
    // Adds a breakpoint; `last` is used by read and write only (an address range).
    Added add(BreakKind kind, uint16_t first, uint16_t last, std::optional<Condition> condition);
    bool remove(int id);
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
    int hit(BreakKind kind, uint16_t value, const Z80State& cpu);

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
