// The disassembly: instructions as the CPU sees memory now, with their labels, bytes and
// the T-states each costs on this machine; the instruction at PC and the breakpoints are
// marked, and the forms this CPU does not recognise (they do nothing and cost 0) are
// labelled as such. It follows PC when the machine stops, scrolls freely (wheel), goes to
// an address or a symbol, toggles a breakpoint on a click in a line's address column (the
// rest of the line selects it; F9 toggles at the selection), and goes to a jump's or
// call's target on a double click.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "debug/breakpoints.h"
#include "debug/disassembler.h"
#include "debug/symbols.h"
#include "ui/debugger/debug_context.h"
#include "machine/machine.h"

namespace ollendor {

enum class BreakMark : uint8_t { none, enabled, disabled };

// The mark of the execution breakpoints at an address: enabled when any there is.
BreakMark execBreakMark(const Breakpoints& breakpoints, uint16_t address);

struct DisassemblyLine {
    Instruction instruction;
    std::string label;  // the address's best label (shown above it), or empty
    std::string bytes;  // "DD 21 00 C0"
    std::string cycles; // "7"; "12/7" for a branch taken/not, "21/16" repeating/last
    std::string note;   // "unrecognised: does nothing, 0 T-states", "prefix ignored", ...
    bool atPc = false;
    bool waiting = false; // the CPU is halted at this HALT, waiting for an interrupt
    BreakMark breakpoint = BreakMark::none;
};

// `count` instructions from `start`, as the CPU sees memory now. `symbols` may be null.
std::vector<DisassemblyLine> disassemblyLines(const Mtx& machine, const Symbols* symbols,
                                              const Breakpoints& breakpoints, uint16_t start, unsigned count);

// Where a listing starts to show `address` with up to `before` instructions above it.
uint16_t listingStartBefore(const Mtx& machine, uint16_t address, unsigned before);

struct DisassemblyView {
    uint16_t top = 0;                 // first address listed
    std::optional<uint16_t> selected; // the line F9 toggles at
    bool followPc = true;             // a stop scrolls PC into view
    uint64_t seenStops = ~uint64_t(0);
    unsigned shownInstructions = 24;  // how many fitted at the last frame
    char gotoText[64] = {};
    std::string gotoError;

    // Lists from a few instructions before the address and selects it.
    void show(const Mtx& machine, uint16_t address);
    // At a stop not seen before (with followPc): PC into view when it is not listed now.
    void follow(const Control& control);
    // The wheel: positive scrolls back, negative on (one instruction per step).
    void scroll(const Mtx& machine, int steps);
};

void drawDisassemblyView(DisassemblyView& view, DebugContext& context, bool* open);

} // namespace ollendor
