#include "debug/step_report.h"

#include "debug/hex_text.h"

namespace ollendor {

StepStart stepStart(const Mtx& machine)
{
    StepStart start;
    start.pc = machine.cpu.PC;
    start.intState = machine.cpu.intState;
    start.sliceEndDue = machine.cpu.sliceEndDue;
    start.hookCalls = machine.timing.hookCalls;
    start.opcode[0] = memRead(machine.memory, start.pc);
    start.opcode[1] = memRead(machine.memory, uint16_t(start.pc + 1));
    return start;
}

namespace {
// Instructions that clear IFF1 themselves: DI, and RETN/RETI (which copy IFF2 into it).
bool clearsIff1(const StepStart& start)
{
    if (start.sliceEndDue)
        return false; // the step ran only the slice end, no instruction
    if (start.opcode[0] == 0xF3)
        return true;
    return start.opcode[0] == 0xED && (start.opcode[1] & 0xC7) == 0x45;
}
} // namespace

StepReport stepReport(const StepStart& start, const Mtx& after)
{
    StepReport report;
    if (after.timing.hookCalls == start.hookCalls)
        return report;
    report.sliceEnded = true;
    report.hookCall = after.timing.hookCalls;
    // Accepting an interrupt is the only other thing that clears IFF1; it pushes the
    // address the CPU was to go on at, which is now on top of the stack.
    const bool wasEnabled = (start.intState & IFF1) != 0;
    if (wasEnabled && !(after.cpu.intState & IFF1) && !clearsIff1(start)) {
        CallFrame frame;
        frame.kind = CallFrame::Kind::interrupt;
        frame.target = after.cpu.PC;
        frame.sp = after.cpu.SP;
        frame.returnTo = uint16_t(memRead(after.memory, after.cpu.SP) | memRead(after.memory, uint16_t(after.cpu.SP + 1)) << 8);
        // A halted CPU goes on past its HALT; the interrupt came at the HALT itself.
        frame.from = (start.intState & HALTED) ? start.pc : frame.returnTo;
        report.interrupt = frame;
    }
    return report;
}

std::string StepReport::text() const
{
    if (!sliceEnded)
        return {};
    std::string text = "The step ended the slice (hook call " + std::to_string(hookCall) + ")";
    if (interrupt)
        text += " and an interrupt was accepted: the handler at " + hex4(interrupt->target) + " returns to " +
                hex4(interrupt->returnTo) + ".";
    else
        text += ".";
    return text;
}

} // namespace ollendor
