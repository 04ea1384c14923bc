#include "control/control.h"

#include <memory>

#include "control/state_slots.h"
#include "debug/builtin_symbols.h"
#include "debug/disassembler.h"
#include "debug/registers.h"
#include "files/state_files.h"
#include "state/state_file.h"

namespace ollendor {

namespace {

InstructionShape shapeAt(const Mtx& machine, uint16_t pc)
{
    std::array<uint8_t, 4> bytes;
    for (unsigned i = 0; i < bytes.size(); ++i)
        bytes[i] = memRead(machine.memory, uint16_t(pc + i));
    return instructionShape(pc, bytes);
}

bool runsToItsReturn(Flow flow)
{
    return flow == Flow::call || flow == Flow::conditionalCall || flow == Flow::rst || flow == Flow::blockRepeat;
}

} // namespace

Control::Control(Session& session, RewindBuffer& rewind) : session_(session), rewind_(rewind)
{
    if (session_.roms().builtin)
        symbols_ = builtinRomSymbols();
    captureFrame();
    // A machine that has not run yet stands at power-on: every routine is entered after.
    if (machine().timing.hookCalls == 0)
        callStackStartsHere();
}

void Control::pauseFor(StopInfo stop)
{
    paused_ = true;
    stop_ = stop;
    ++stops_;
    framesToRun_ = 0;
}

void Control::pause()
{
    if (paused_)
        return;
    ++commands_;
    debugger_.clearGoal();
    stepsOverLeft_ = stepsOutLeft_ = 0;
    pauseFor(StopInfo{StopReason::user, 0});
}

void Control::resume()
{
    // Resuming a machine that runs changes nothing: waits on it go on.
    if (!paused_)
        return;
    ++commands_;
    resumeRun();
}

void Control::dropGoal()
{
    debugger_.clearGoal();
    stepsOverLeft_ = stepsOutLeft_ = 0;
    framesToRun_ = 0;
}

void Control::resumeRun()
{
    if (!paused_)
        return;
    paused_ = false;
    stop_ = StopInfo{};
    // Stopped on an execution breakpoint: its instruction runs now, not stopping again.
    debugger_.resumeFrom(machine().cpu.PC);
}

void Control::keepHistory(bool keep)
{
    keepHistory_ = keep;
    rewind_.clear();
    captures_.clear();
    if (keep)
        captureFrame();
}

void Control::captureFrame()
{
    if (!keepHistory_) {
        session_.pruneInputLog(machinePosition(machine()));
        return;
    }
    rewind_.capture(machine());
    captures_.push_back(Capture{machinePosition(machine()), machine().timing.frames, {}, {}, 0});
    while (captures_.size() > rewind_.frames())
        captures_.pop_front();
    noteHistoryAtCapture();
    session_.pruneInputLog(captures_.front().position);
}

bool Control::runFrame()
{
    if (paused_)
        return false;
    historyRunsOn();
    const bool frameDone = session_.runFrame(&debugger_);
    if (frameDone) {
        captureFrame();
        if (framesToRun_ > 0 && --framesToRun_ == 0)
            pauseFor(StopInfo{StopReason::step, 0});
        return true;
    }
    if (session_.heldByHost())
        return false; // not a stop: the frame goes on once the host lets the machine go
    afterStop();
    return false;
}

// The debugger stopped the machine (a breakpoint, or a goal met): go on with a stepping
// count, or pause.
void Control::afterStop()
{
    const StopInfo stop = debugger_.stop();
    // One of several counted steps came to its end: the next goes on from here without
    // counting a stop, so a caller waiting for the next stop waits for the last step.
    if (stop.reason == StopReason::step && stepsOverLeft_ > 0) {
        const unsigned left = stepsOverLeft_;
        paused_ = true;
        continueStepOver(left, true);
        return;
    }
    if (stop.reason == StopReason::step && stepsOutLeft_ > 0) {
        --stepsOutLeft_;
        paused_ = true;
        debugger_.stepOut(machine().cpu.SP);
        resumeRun();
        return;
    }
    stepsOverLeft_ = stepsOutLeft_ = 0;
    debugger_.clearGoal();
    pauseFor(stop);
}

void Control::stepInto(unsigned count)
{
    ++commands_;
    if (!paused_)
        pause();
    for (unsigned i = 0; i < count; ++i) {
        if (!countedStep(i == 0))
            return;
    }
    pauseFor(StopInfo{StopReason::step, 0});
}

// One instruction of a counted step. A breakpoint stops the count as it would stop a run:
// before an instruction at an execution breakpoint (not the first, where the user stands),
// or after the access a memory or port breakpoint watches; false then, the machine paused
// with the breakpoint as the reason.
bool Control::countedStep(bool first)
{
    Z80State& cpu = machine().cpu;
    if (!first && !(cpu.intState & HALTED) && debugger_.breakpoints.watchesExec(cpu.PC)) {
        if (const int id = debugger_.breakpoints.hit(BreakKind::exec, cpu.PC, cpu, &machine().memory)) {
            pauseFor(StopInfo{StopReason::breakpoint, id});
            return false;
        }
    }
    // Checked above, or where the user stands (a stop there counted it already): the
    // step does not count it again.
    debugger_.resumeFrom(cpu.PC);
    debugger_.setStop(StopInfo{});
    historyRunsOn();
    if (session_.step(&debugger_))
        captureFrame();
    if (debugger_.stop().reason == StopReason::breakpoint) {
        pauseFor(debugger_.stop());
        return false;
    }
    return true;
}

void Control::stepOver(unsigned count)
{
    ++commands_;
    if (count == 0)
        return;
    if (!paused_)
        pause();
    continueStepOver(count, true);
}

// From a pause: instructions that do not run to a return are stepped into here; the first
// that does sets the goal and lets the machine run, the steps left going on at its end.
void Control::continueStepOver(unsigned count, bool first)
{
    for (; count > 0; --count, first = false) {
        const Mtx& m = machine();
        const InstructionShape shape = shapeAt(m, m.cpu.PC);
        if (runsToItsReturn(shape.flow) && !(m.cpu.intState & HALTED)) {
            stepsOverLeft_ = count - 1;
            debugger_.stepOver(uint16_t(m.cpu.PC + shape.length), m.cpu.SP);
            resumeRun();
            return;
        }
        stepsOverLeft_ = 0;
        if (!countedStep(first))
            return;
    }
    pauseFor(StopInfo{StopReason::step, 0});
}

Control::Result Control::stepOut(unsigned count)
{
    if (count == 0)
        return {};
    if (!paused_)
        pause();
    ++commands_;
    if (debugger_.watching)
        freshHistory(); // after going back, the routines the machine is in now
    if (debugger_.watching && debugger_.callStackFromStart() && debugger_.callStack().size() < count)
        return {false, debugger_.callStack().empty()
                           ? "the machine is in no routine (the call stack is empty): nothing returns"
                           : "the machine is in " + std::to_string(debugger_.callStack().size()) + " routines, not " +
                                 std::to_string(count)};
    stepsOutLeft_ = count - 1;
    debugger_.stepOut(machine().cpu.SP);
    resumeRun();
    return {};
}

void Control::runTo(uint16_t address)
{
    ++commands_;
    if (!paused_)
        pause();
    debugger_.runTo(address);
    resumeRun();
}

void Control::stepFrames(unsigned count)
{
    ++commands_;
    if (count == 0)
        return;
    if (!paused_)
        pause();
    framesToRun_ = count;
    resumeRun();
}

size_t Control::rewindDepth() const
{
    return rewind_.frames() > 0 ? rewind_.frames() - 1 : 0;
}

long Control::captureAtOrBefore(const MachinePosition& position) const
{
    for (long i = long(captures_.size()) - 1; i >= 0; --i)
        if (!(position < captures_[size_t(i)].position))
            return i;
    return -1;
}

Control::Result Control::goBack(const MachinePosition& target, const StopInfo& stop)
{
    const long index = captureAtOrBefore(target);
    if (index < 0)
        return {false, "the rewind buffer holds nothing that far back"};
    const size_t framesBack = captures_.size() - 1 - size_t(index);
    auto earlier = std::make_unique<Mtx>();
    if (!rewind_.restore(*earlier, framesBack))
        return {false, "the rewind buffer holds nothing that far back"};
    captures_.resize(size_t(index) + 1);
    // The machine at the capture, then on to the target with the inputs of the time.
    session_.goBackTo(*earlier, true);
    session_.reexecuteTo(target);
    debugger_.clearGoal();
    debugger_.clearHistory();
    historyLost();
    stepsOverLeft_ = stepsOutLeft_ = 0;
    pauseFor(stop);
    changed(true);
    return {};
}

Control::Result Control::reverseStep(unsigned count)
{
    ++commands_;
    if (!paused_)
        pause();
    if (count == 0)
        return {};
    MachinePosition end = machinePosition(machine());
    const auto now = std::make_unique<Mtx>(machine());
    std::vector<MachinePosition> boundaries;
    for (long index = captureAtOrBefore(end); index >= 0; --index) {
        const size_t framesBack = captures_.size() - 1 - size_t(index);
        if (!rewind_.peek(machine(), framesBack))
            break;
        if (!session_.reexecuteSteppingTo(end, boundaries)) {
            machine() = *now;
            return {false, "the run could not be repeated up to where the machine stands"};
        }
        // boundaries runs from the capture (front) to `end` (back).
        const size_t steps = boundaries.size() - 1;
        if (count <= steps) {
            const MachinePosition target = boundaries[steps - count];
            machine() = *now;
            return goBack(target, StopInfo{StopReason::step, 0});
        }
        count -= unsigned(steps);
        end = boundaries.front();
    }
    machine() = *now;
    return {false, "the rewind buffer holds nothing that far back"};
}

Control::Result Control::reverseContinue()
{
    ++commands_;
    if (!paused_)
        pause();
    if (!debugger_.breakpoints.armed())
        return {false, "no breakpoint is set"};
    MachinePosition end = machinePosition(machine());
    const auto now = std::make_unique<Mtx>(machine());
    // The search runs the past again: what the call stack and the trace hold is of now,
    // and stays so when nothing is found.
    struct Quiet {
        Debugger& debugger;
        bool watching = debugger.watching, tracing = debugger.tracing;
        CallStackState stack = debugger.callStackState();
        explicit Quiet(Debugger& d) : debugger(d) { debugger.watching = debugger.tracing = false; }
        ~Quiet()
        {
            debugger.watching = watching;
            debugger.tracing = tracing;
            debugger.setCallStackState(std::move(stack));
        }
    };
    std::optional<Quiet> quiet(std::in_place, debugger_);
    for (long index = captureAtOrBefore(end); index >= 0; --index) {
        if (captures_[size_t(index)].position == end) {
            continue; // nothing lies between this capture and the end
        }
        const size_t framesBack = captures_.size() - 1 - size_t(index);
        if (!rewind_.peek(machine(), framesBack))
            break;
        // The hits met while searching are not hits of the run: their counts are put back.
        const std::vector<uint64_t> counts = debugger_.breakpoints.hitCounts();
        debugger_.collected.clear();
        debugger_.clearGoal();
        session_.reexecuteTo(end, &debugger_);
        debugger_.breakpoints.restoreHitCounts(counts);
        const Debugger::Hit* last = nullptr;
        for (const Debugger::Hit& hit : debugger_.collected)
            if (hit.position < end && (!last || last->position < hit.position))
                last = &hit;
        if (last) {
            const Debugger::Hit found = *last;
            debugger_.collected.clear();
            machine() = *now;
            quiet.reset();
            return goBack(found.position, StopInfo{StopReason::breakpoint, found.breakpoint});
        }
        debugger_.collected.clear();
        end = captures_[size_t(index)].position;
    }
    machine() = *now;
    return {false, "no breakpoint was hit in the frames the rewind buffer holds"};
}

Control::Result Control::rewindFrames(unsigned frames)
{
    ++commands_;
    if (frames == 0)
        return {};
    // Mid-frame, the first frame start back is the newest capture itself.
    const bool atCapture = !captures_.empty() && captures_.back().position == machinePosition(machine());
    const size_t framesBack = atCapture ? frames : frames - 1;
    if (captures_.empty() || framesBack >= captures_.size())
        return {false, "the rewind buffer holds " + std::to_string(rewindDepth()) + " frames"};
    auto earlier = std::make_unique<Mtx>();
    if (!rewind_.restore(*earlier, framesBack))
        return {false, "the rewind buffer holds " + std::to_string(rewindDepth()) + " frames"};
    captures_.resize(captures_.size() - framesBack);
    session_.goBackTo(*earlier, false);
    debugger_.clearGoal();
    debugger_.clearHistory();
    historyLost();
    stepsOverLeft_ = stepsOutLeft_ = 0;
    framesToRun_ = 0;
    // Paused, it stands at the frame start now: no longer where it stopped.
    if (paused_)
        stop_ = StopInfo{StopReason::rewind, 0};
    changed(true);
    return {};
}

SymbolFileResult Control::loadSymbols(const std::filesystem::path& path)
{
    return loadSymbolFile(symbols_, path);
}

Control::Result Control::saveState(const std::filesystem::path& path)
{
    const StateResult saved = saveStateFile(machine(), path);
    return {saved.ok, saved.error};
}

Control::Result Control::loadState(const std::filesystem::path& path)
{
    auto loaded = std::make_unique<Mtx>();
    const StateResult result = loadStateFile(path, machine(), *loaded);
    if (!result.ok)
        return {false, result.error};
    session_.replaceMachine(*loaded);
    machineReplaced();
    return {};
}

Control::Result Control::saveSlot(int slot)
{
    std::string why;
    const std::optional<std::filesystem::path> path = stateSlotPath(slot, &why);
    if (!path || !makeStateSlotFolder(why))
        return {false, "cannot save to slot " + std::to_string(slot) + ": " + why};
    return saveState(*path);
}

Control::Result Control::loadSlot(int slot)
{
    std::string why;
    const std::optional<std::filesystem::path> path = stateSlotPath(slot, &why);
    if (!path)
        return {false, "cannot load slot " + std::to_string(slot) + ": " + why};
    return loadState(*path);
}

void Control::changed(bool jump)
{
    ++generation_;
    if (jump)
        ++jumps_;
}

void Control::reset()
{
    ++commands_;
    auto fresh = std::make_unique<Mtx>();
    fresh->keyboard.input = machine().keyboard.input; // the keys held stay held
    machineInit(*fresh, session_.roms());
    session_.replaceMachine(*fresh);
    machineReplaced();
    // From power-on every routine entered is seen.
    callStackStartsHere();
    stepsOverLeft_ = stepsOutLeft_ = 0;
    framesToRun_ = 0;
    if (paused_)
        stop_ = StopInfo{StopReason::reset, 0};
}

Control::Result Control::loadBinary(std::span<const uint8_t> bytes, uint16_t address, std::optional<unsigned> page,
                                    std::optional<uint16_t> start)
{
    if (bytes.empty())
        return {false, "there are no bytes to load"};
    if (size_t(address) + bytes.size() > 0x10000)
        return {false, std::to_string(bytes.size()) + " bytes from " + std::to_string(address) +
                           " run past the end of memory (65536)"};
    if (page && *page >= pageCount)
        return {false, "a page is 0-15"};
    ++commands_;
    // An edit: the recorded past no longer leads here.
    edit([&](Mtx& m) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const uint16_t at = uint16_t(address + i);
            m.memory.page[page ? *page : pageOf(m.memory, at)][at] = bytes[i];
        }
        if (start)
            writeCpuRegister(m.cpu, CpuRegister::PC, *start);
    });
    if (start)
        callStackStartsHere();
    return {};
}

void Control::machineReplaced()
{
    rewind_.clear();
    captures_.clear();
    debugger_.clearGoal();
    debugger_.clearHistory();
    historyLost();
    captureFrame();
    changed(true);
}

void Control::edit(const std::function<void(Mtx&)>& change)
{
    session_.editMachine(change);
    // The picture is drawn at frame ends; an edit (of video memory, a video register, or
    // anything the picture shows) is drawn at once from the video chip as it now is, so
    // the window and a screenshot show it while paused. The renderer's memory of the mode
    // is left alone: entering an unsupported mode is still told at the next frame end.
    Mtx& m = machine();
    RenderState render = m.render;
    vdpRender(m.vdp, render, m.frame);
    // The rewind history restarts from the machine as it now is (as after a loaded state,
    // without forgetting the call stack and the trace).
    rewind_.clear();
    captures_.clear();
    captureFrame();
    changed(true);
}

void Control::mountTape(const std::filesystem::path& file)
{
    session_.mountTape(file);
    changed(false);
}

void Control::unmountTape()
{
    session_.unmountTape();
    changed(false);
}

void Control::typeText(const std::string& text)
{
    session_.typeText(text);
    changed(false);
}

void Control::holdKeys(std::vector<uint8_t> keys, unsigned frames)
{
    session_.holdKeys(std::move(keys), frames);
    changed(false);
}

bool Control::startReplay(std::unique_ptr<RecordingStream> recording, const std::string& source, std::string& error)
{
    if (!session_.startReplay(std::move(recording), source, error))
        return false;
    machineReplaced();
    return true;
}

} // namespace ollendor
