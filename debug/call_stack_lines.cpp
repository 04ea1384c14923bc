#include "debug/call_stack_lines.h"

namespace ollendor {

std::vector<CallStackLine> callStackLines(const std::vector<CallFrame>& frames, const Symbols& symbols)
{
    std::vector<CallStackLine> lines;
    lines.reserve(frames.size());
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        CallStackLine line;
        switch (frame->kind) {
        case CallFrame::Kind::call: line.kind = "CALL"; break;
        case CallFrame::Kind::rst: line.kind = "RST"; break;
        case CallFrame::Kind::interrupt: line.kind = "interrupt"; break;
        }
        line.target = frame->target;
        line.from = frame->from;
        line.returnTo = frame->returnTo;
        line.sp = frame->sp;
        line.targetName = symbols.nearest(frame->target);
        line.fromName = symbols.nearest(frame->from);
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace ollendor
