// What the code views show: the disassembly's lines (labels, bytes, the T-states this CPU
// charges, unrecognised and prefix-ignored forms, PC, a HALT that waits, breakpoints),
// how the listing follows PC and scrolls; breakpoints toggled and typed in; the trace as
// text, searched and exported. (The call stack's lines and what a single step met are made
// below the views: tests/debug_view_models_test.cpp.)
#include "tests/debug_views_support.h"

#include <fstream>

#include "debug/builtin_symbols.h"
#include "ui/debugger/breakpoints_view.h"
#include "ui/debugger/disassembly_view.h"
#include "ui/debugger/symbols_view.h"
#include "ui/debugger/trace_view.h"
#include "ui/debugger/widgets.h"
#include "tests/support/scratch_files.h"

using namespace ollendor;

namespace {

// A short program in common RAM, with two labels.
constexpr uint16_t start = 0xD000;
const uint8_t program[] = {
    0x3E, 0x05,       // D000 start: LD A,$05
    0x20, 0xFC,       // D002 JR NZ,start
    0xED, 0x4C,       // D004 (unrecognised ED form)
    0xDD, 0x00,       // D006 (DD before NOP: prefix ignored)
    0xED, 0xB0,       // D008 LDIR
    0xCD, 0x00, 0xD0, // D00A again: CALL start
    0x76,             // D00D HALT
};

void putProgram(Mtx& machine)
{
    for (size_t i = 0; i < sizeof program; ++i)
        machine.memory.page[0][start + i] = program[i];
}

Symbols programSymbols()
{
    Symbols symbols;
    symbols.add("start", 0xD000);
    symbols.add("again", 0xD00A);
    return symbols;
}

} // namespace

TEST(DebugDisassembly, LinesShowLabelsBytesCostsFormsPcAndBreakpoints)
{
    ControlRig rig(0);
    putProgram(rig.machine());
    rig.machine().cpu.PC = 0xD000;
    const Symbols symbols = programSymbols();
    Breakpoints breakpoints;
    breakpoints.add(BreakKind::exec, 0xD002, 0xD002, std::nullopt);
    const int off = breakpoints.add(BreakKind::exec, 0xD004, 0xD004, std::nullopt).id;
    breakpoints.setEnabled(off, false);

    const auto lines = disassemblyLines(rig.machine(), &symbols, breakpoints, start, 7);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].label, "start");
    EXPECT_EQ(lines[0].bytes, "3E 05");
    EXPECT_EQ(lines[0].cycles, "7");
    EXPECT_STREQ(lines[0].instruction.text, "LD A,$05");
    EXPECT_TRUE(lines[0].atPc);
    EXPECT_FALSE(lines[1].atPc);

    EXPECT_STREQ(lines[1].instruction.text, "JR NZ,start");
    EXPECT_EQ(lines[1].cycles, "12/7") << "taken, then not taken";
    EXPECT_EQ(lines[1].instruction.target, std::optional<uint16_t>(0xD000));
    EXPECT_EQ(lines[1].breakpoint, BreakMark::enabled);

    EXPECT_EQ(lines[2].instruction.form, Form::unrecognised);
    EXPECT_EQ(lines[2].cycles, "0");
    EXPECT_NE(lines[2].note.find("unrecognised"), std::string::npos);
    EXPECT_EQ(lines[2].breakpoint, BreakMark::disabled);

    EXPECT_EQ(lines[3].instruction.form, Form::prefixIgnored);
    EXPECT_EQ(lines[3].bytes, "DD 00");
    EXPECT_NE(lines[3].note.find("prefix ignored"), std::string::npos);

    EXPECT_EQ(lines[4].cycles, "21/16") << "LDIR: a repeating step, the last";
    EXPECT_EQ(lines[5].label, "again");
    EXPECT_STREQ(lines[5].instruction.text, "CALL start");
    EXPECT_EQ(lines[5].breakpoint, BreakMark::none);
    EXPECT_FALSE(lines[6].waiting);

    // Halted at the HALT: the line says it waits.
    rig.machine().cpu.PC = 0xD00D;
    rig.machine().cpu.intState |= HALTED;
    const auto halted = disassemblyLines(rig.machine(), &symbols, breakpoints, 0xD00D, 1);
    EXPECT_TRUE(halted[0].atPc);
    EXPECT_TRUE(halted[0].waiting);
    EXPECT_NE(halted[0].note.find("waits for an interrupt"), std::string::npos);
}

TEST(DebugDisassembly, TheListingFollowsPcAtAStopAndScrollsByInstructions)
{
    ControlRig rig(0);
    putProgram(rig.machine());
    rig.control.pause();
    DisassemblyView view;
    view.follow(rig.control); // first look: where the CPU is
    EXPECT_EQ(view.top, listingStartBefore(rig.machine(), rig.machine().cpu.PC, 4));

    view.top = start;
    view.scroll(rig.machine(), -2);
    EXPECT_EQ(view.top, 0xD004) << "two instructions on";
    view.scroll(rig.machine(), 1);
    EXPECT_EQ(view.top, 0xD002) << "one back";

    // A stop with PC in the listing leaves it; one elsewhere brings PC into view.
    view.top = start;
    view.shownInstructions = 7;
    rig.machine().cpu.PC = 0xD008;
    rig.control.stepInto(0); // a stop without moving
    view.follow(rig.control);
    EXPECT_EQ(view.top, start);
    rig.machine().cpu.PC = 0x0100;
    rig.control.stepInto(0);
    view.follow(rig.control);
    EXPECT_NE(view.top, start);
    EXPECT_LE(view.top, 0x0100);
    EXPECT_GE(view.top, 0x0100 - 16);
    view.followPc = false;
    rig.machine().cpu.PC = 0xD008;
    rig.control.stepInto(0);
    view.follow(rig.control);
    EXPECT_NE(view.top, start) << "not following: the listing stays";

    view.show(rig.machine(), 0xD00A);
    EXPECT_EQ(view.selected, std::optional<uint16_t>(0xD00A));
    EXPECT_LT(view.top, 0xD00A);
}

TEST(DebugBreakpointEdits, ToggleRemovesEveryOneAtTheAddressOrSetsOne)
{
    Breakpoints breakpoints;
    EXPECT_TRUE(toggleExecBreakpoint(breakpoints, 0x1234));
    ASSERT_EQ(breakpoints.all().size(), 1u);
    EXPECT_TRUE(breakpoints.watchesExec(0x1234));
    EXPECT_FALSE(toggleExecBreakpoint(breakpoints, 0x1234));
    EXPECT_TRUE(breakpoints.all().empty());

    // A disabled one (and a conditional one) at the address go; other kinds stay.
    const int disabled = breakpoints.add(BreakKind::exec, 0x2000, 0x2000, std::nullopt).id;
    breakpoints.setEnabled(disabled, false);
    breakpoints.add(BreakKind::exec, 0x2000, 0x2000, parseCondition("A == 1").condition);
    breakpoints.add(BreakKind::read, 0x2000, 0x2000, std::nullopt);
    EXPECT_FALSE(toggleExecBreakpoint(breakpoints, 0x2000));
    ASSERT_EQ(breakpoints.all().size(), 1u);
    EXPECT_EQ(breakpoints.all()[0].kind, BreakKind::read);
}

TEST(DebugBreakpointEdits, TheFormTakesSymbolsHexPortsAndConditionsAndSaysWhatIsWrong)
{
    Breakpoints breakpoints;
    const Symbols symbols = programSymbols();
    auto add = [&](int kind, const char* first, const char* last, const char* condition) {
        BreakpointForm form;
        form.kind = kind;
        std::snprintf(form.first, sizeof form.first, "%s", first);
        std::snprintf(form.last, sizeof form.last, "%s", last);
        std::snprintf(form.condition, sizeof form.condition, "%s", condition);
        return addFromForm(breakpoints, symbols, form);
    };
    const int exec = add(0, "again", "", "").id;
    ASSERT_NE(exec, 0);
    EXPECT_EQ(breakpoints.find(exec)->first, 0xD00A);
    const int write = add(2, "start", "start+$FF", "A == $10").id;
    ASSERT_NE(write, 0);
    EXPECT_EQ(breakpoints.find(write)->describe(), "write $D000-$D0FF if A == $10");
    const int out = add(4, "10", "", "").id;
    ASSERT_NE(out, 0);
    EXPECT_EQ(breakpoints.find(out)->first, 0x10) << "ports are hex, as they are shown";
    EXPECT_NE(add(5, "7", "", "").id, 0) << "video chip register 7";
    EXPECT_NE(add(6, "3", "", "").id, 0) << "counter/timer channel 3";

    EXPECT_EQ(add(3, "1FF", "", "").error, "a port is 0-255");
    EXPECT_EQ(add(5, "8", "", "").error, "the video chip has registers 0-7");
    EXPECT_NE(add(6, "x", "", "").error.find("channel"), std::string::npos);
    EXPECT_NE(add(0, "nowhere", "", "").error.find("nowhere"), std::string::npos);
    EXPECT_NE(add(1, "again", "start", "").error.find("ends before it starts"), std::string::npos);
    EXPECT_NE(add(0, "start", "", "Q == 1").error.find("condition"), std::string::npos);
    EXPECT_NE(add(0, "", "", "").error.find("type an address"), std::string::npos);
    EXPECT_EQ(breakpoints.all().size(), 5u) << "nothing refused was added";
}

TEST(DebugTrace, LinesAreSearchedBothWaysAndExportedWhole)
{
    ControlRig rig;
    rig.control.debugger().watching = rig.control.debugger().tracing = true;
    for (int i = 0; i < 3; ++i)
        rig.control.runFrame();
    const TraceRing& trace = rig.control.debugger().trace();
    ASSERT_GT(trace.size(), 1000u);
    const Symbols& symbols = rig.control.symbols();

    const TraceEntry& first = trace.at(0);
    const std::string line = traceLineText(first, &symbols);
    EXPECT_NE(line.find(hex4(first.pc)), std::string::npos) << line;
    EXPECT_NE(line.find(decodeInstruction(first.pc, first.bytes, &symbols).text), std::string::npos) << line;
    EXPECT_NE(line.find("SP=" + hex4(first.sp)), std::string::npos) << line;

    // The ROM waits at a HALT between interrupts: found going on and going back.
    const auto halt = findInTrace(trace, &symbols, "halt", std::nullopt, true);
    ASSERT_TRUE(halt.has_value());
    EXPECT_EQ(trace.at(*halt).bytes[0], 0x76);
    const auto next = findInTrace(trace, &symbols, "HALT", halt, true);
    ASSERT_TRUE(next.has_value());
    EXPECT_NE(*next, *halt);
    EXPECT_EQ(findInTrace(trace, &symbols, "HALT", next, false), halt) << "back again";
    EXPECT_FALSE(findInTrace(trace, &symbols, "no such text", std::nullopt, true).has_value());
    EXPECT_FALSE(findInTrace(trace, &symbols, "", std::nullopt, true).has_value());

    ScratchFolder folder;
    std::string error;
    const auto path = folder.path() / "trace.txt";
    ASSERT_TRUE(exportTrace(trace, &symbols, path, error)) << error;
    std::ifstream in(path);
    std::string text;
    size_t count = 0;
    std::string firstLine;
    while (std::getline(in, text))
        if (count++ == 0)
            firstLine = text;
    EXPECT_EQ(count, trace.size());
    EXPECT_EQ(firstLine, line);

    // A folder where the file should be, or a missing folder: refused, nothing written.
    EXPECT_FALSE(exportTrace(trace, &symbols, folder.path(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(exportTrace(trace, &symbols, folder.path() / "missing" / "t.txt", error));
    EXPECT_FALSE(error.empty());
}

TEST(DebugSymbolsView, LoadReportsAndTheFilter)
{
    ScratchFolder folder;
    const auto file = folder.path() / "game.lbl";
    {
        std::ofstream out(file);
        out << "player:\tequ $C100\nscore:\tequ $C200\nthis is not a label line\n";
    }
    Symbols symbols;
    const SymbolFileResult loaded = loadSymbolFile(symbols, file);
    const std::string report = symbolLoadReport(file, loaded);
    EXPECT_NE(report.find("added 2 symbols"), std::string::npos) << report;
    EXPECT_NE(report.find("1 line skipped"), std::string::npos) << report;
    EXPECT_NE(report.find(":3:"), std::string::npos) << "the bad line by number: " << report;

    const SymbolFileResult missing = loadSymbolFile(symbols, folder.path() / "none.lbl");
    EXPECT_EQ(symbolLoadReport(folder.path() / "none.lbl", missing), missing.error);
    EXPECT_FALSE(missing.error.empty());

    const auto found = filteredSymbols(symbols, "SCO");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "score");
    EXPECT_EQ(found[0].address, 0xC200);
    EXPECT_EQ(filteredSymbols(symbols, "").size(), 2u);

    std::string error;
    EXPECT_EQ(resolveAddress(symbols, "player+2", error), std::optional<uint16_t>(0xC102));
    EXPECT_EQ(resolveAddress(symbols, " c000 ", error), std::optional<uint16_t>(0xC000));
    EXPECT_FALSE(resolveAddress(symbols, "10000", error));
    EXPECT_NE(error.find("10000"), std::string::npos);
    EXPECT_FALSE(resolveAddress(symbols, "  ", error));
    EXPECT_EQ(error, "type an address or a symbol");
}
