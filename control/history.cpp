// The call stack and the trace over the span the rewind history holds. They are followed
// as the machine runs only while someone keeps them (the watching bus costs the run);
// otherwise they are rebuilt when asked, by running the past again from a capture over the
// watching bus with a debugger of its own, so that the plain run pays nothing. What the
// history was at each capture is noted while it is known, so a later rebuild (after a
// step back, say) starts from a capture near the end instead of the oldest one.
#include "control/control.h"

#include <memory>

namespace ollendor {

void Control::checkHistoryClears()
{
    if (debugger_.callStackClears() != callStackClearsSeen_)
        callStackKnown_ = false;
    if (debugger_.traceClears() != traceClearsSeen_)
        traceKnown_ = false;
}

void Control::historyRunsOn()
{
    checkHistoryClears();
    if (!debugger_.watching)
        callStackKnown_ = false;
    if (!debugger_.tracing)
        traceKnown_ = false;
}

void Control::historyLost()
{
    callStackKnown_ = traceKnown_ = false;
}

void Control::noteHistoryAtCapture()
{
    if (captures_.empty())
        return;
    checkHistoryClears();
    Capture& capture = captures_.back();
    if (callStackKnown_)
        capture.callStack = debugger_.callStackState();
    if (traceKnown_)
        capture.traced = debugger_.trace().total();
    capture.fromFrame = historyFromFrame_;
}

void Control::callStackStartsHere()
{
    checkHistoryClears();
    debugger_.setCallStackState(CallStackState{{}, true, false, 0});
    callStackKnown_ = true;
    callStackClearsSeen_ = debugger_.callStackClears();
    if (!traceKnown_)
        historyFromFrame_ = machine().timing.frames;
    noteHistoryAtCapture();
}

std::optional<uint64_t> Control::oldestCaptureFrame() const
{
    return captures_.empty() ? std::nullopt : std::optional<uint64_t>(captures_.front().frame);
}

std::optional<uint64_t> Control::newestCaptureFrame() const
{
    return captures_.empty() ? std::nullopt : std::optional<uint64_t>(captures_.back().frame);
}

Control::Result Control::freshHistory()
{
    checkHistoryClears();
    if (callStackKnown_ && traceKnown_)
        return {};
    const MachinePosition end = machinePosition(machine());
    const long last = captureAtOrBefore(end);
    if (last < 0)
        return {false, "no history is kept to rebuild the call stack and the trace from"};

    // The newest capture with the history noted that still lies a whole trace's worth of
    // instructions before the end: running from there gives the same trace and call stack
    // as running from the oldest. Otherwise the oldest.
    size_t start = 0;
    std::optional<uint64_t> newestTraced;
    for (long i = last; i >= 0 && !newestTraced; --i)
        newestTraced = captures_[size_t(i)].traced;
    for (long i = last; i > 0 && newestTraced; --i) {
        const Capture& capture = captures_[size_t(i)];
        if (capture.callStack && capture.traced && *newestTraced - *capture.traced >= traceCapacity) {
            start = size_t(i);
            break;
        }
    }

    const auto now = std::make_unique<Mtx>(machine());
    if (!rewind_.peek(machine(), captures_.size() - 1 - start)) {
        machine() = *now;
        return {false, "the rewind buffer could not give back its capture"};
    }
    auto past = std::make_unique<Debugger>();
    past->watching = past->tracing = true;
    Capture& from = captures_[start];
    if (from.callStack)
        past->setCallStackState(*from.callStack);
    const bool fromNoted = from.callStack && from.traced;
    past->traceCountsFrom(fromNoted ? *from.traced : 0);
    // From a later capture the trace fills with what follows it, and the call stack is as
    // known as it was there; from the oldest, neither reaches before it.
    const uint64_t fromFrame = start > 0 ? from.fromFrame : from.frame;
    auto note = [&](Capture& capture) {
        capture.callStack = past->callStackState();
        capture.traced = past->trace().total();
        capture.fromFrame = fromFrame;
    };
    note(from);
    bool ok = true;
    for (size_t i = start + 1; ok && i <= size_t(last); ++i) {
        ok = session_.reexecuteTo(captures_[i].position, past.get());
        if (ok)
            note(captures_[i]);
    }
    ok = ok && session_.reexecuteTo(end, past.get());
    machine() = *now;
    if (!ok)
        return {false, "the run could not be repeated up to where the machine stands"};
    debugger_.takeHistory(*past);
    callStackKnown_ = traceKnown_ = true;
    callStackClearsSeen_ = debugger_.callStackClears();
    traceClearsSeen_ = debugger_.traceClears();
    historyFromFrame_ = fromFrame;
    return {};
}

} // namespace ollendor
