// Running and stopping: status, pause, resume, the steps, going back in time, quit.
#include <chrono>

#include "automation/tool_support.h"
#include "machine/machine.h"

namespace ollendor {

namespace {

using namespace tool;

// The longest a request waits for the machine to stop; the default of the steps that run.
constexpr int64_t maxWaitMs = 60000;
constexpr int64_t defaultStepWaitMs = 5000;

struct Status {
    bool paused = false;
    uint16_t pc = 0;
    uint64_t frame = 0;
    uint64_t cycles = 0;
    uint64_t stops = 0;
    std::string stopReason;
};

Status statusOf(Control& control)
{
    Status status;
    status.paused = control.paused();
    status.pc = control.machine().cpu.PC;
    status.frame = control.session().frames();
    status.cycles = machineCycles(control.machine());
    status.stops = control.stops();
    status.stopReason = control.stop().text();
    return status;
}

const Shape statusShape{{"state", {{"type", "string"}, {"enum", {"running", "paused"}}}},
                        {"pc", outInteger()},
                        {"frame", outInteger()},
                        {"cycles", outInteger()},
                        {"stop_reason", outString()}};

Json statusSchema()
{
    return statusShape.schema();
}

ToolResult statusResult(const Status& status, const std::string& before = "")
{
    Json json = statusShape({{"state", status.paused ? "paused" : "running"},
                             {"pc", status.pc},
                             {"frame", status.frame},
                             {"cycles", status.cycles},
                             {"stop_reason", status.stopReason}});
    std::string line = status.paused ? "paused at " + hex4(status.pc) : "running";
    if (status.paused && !status.stopReason.empty())
        line += " (" + status.stopReason + ")";
    line += ", frame " + std::to_string(status.frame);
    return success(std::move(json), before + line);
}

// Carries out `start` on the loop's thread (it gives an error text, empty when it did
// what was asked), then, when the machine runs on, waits up to waitMs for its next stop.
// The waiting happens here, on the transport's thread, asking the loop for the status
// between short sleeps, so the loop never waits for a client.
ToolResult startAndWait(MachineAccess& machine, const std::function<std::string(Control&)>& start, int64_t waitMs,
                        const char* goal = nullptr)
{
    std::string error;
    Status status;
    uint64_t commands = 0;
    // Several turns of the machine with waits between them, so machine.run itself: `why`
    // says why the emulator could not be reached.
    std::string why;
    if (!machine.run([&](Control& control) {
            error = start(control);
            status = statusOf(control);
            commands = control.commands();
        }, why))
        return failure(why);
    if (!error.empty())
        return failure(error);
    if (status.paused || waitMs <= 0)
        return statusResult(status);
    const uint64_t stopsAtStart = status.stops;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    if (!machine.startWait())
        return statusResult(status, "not waiting (too many requests wait for the machine already): ");
    bool gone = false;
    bool givenUp = false;
    bool overridden = false;
    bool dropped = false;
    const auto look = [&](Control& control) {
        status = statusOf(control);
        overridden = control.commands() != commands;
    };
    while (status.stops == stopsAtStart && !overridden && std::chrono::steady_clock::now() < deadline) {
        if (!machine.idle()) {
            givenUp = true;
            break;
        }
        if (!machine.run(look, why)) {
            gone = true;
            break;
        }
    }
    // A wait that ends without its stop leaves nothing armed: the goal would otherwise
    // fire later, at a moment nobody waits for.
    if (!gone && goal && status.stops == stopsAtStart && !overridden)
        gone = !machine.run([&](Control& control) {
            look(control);
            if (!overridden && control.stops() == stopsAtStart) {
                control.dropGoal();
                dropped = true;
            }
        }, why);
    machine.endWait();
    if (gone)
        return failure(why);
    if (overridden)
        return statusResult(status, "the wait ended: another request (or the window) took over the machine before "
                                    "this one's stop; now: ");
    if (status.stops != stopsAtStart) {
        // The stop that ended the wait may be another's: a pause from another request (or
        // the window), perhaps resumed again by the time the status was read.
        if (!status.paused)
            return statusResult(status, "the wait ended at a stop that did not last (another request or the window "
                                        "paused the machine and let it run on): ");
        if (status.stopReason == "user")
            return statusResult(status, "the wait ended: another request or the window paused the machine: ");
        return statusResult(status);
    }
    const std::string droppedText = dropped ? std::string(" (the ") + goal + " is dropped; the machine runs on)" : "";
    // Cut short (the run is ending, or the client left): say so rather than claim the
    // whole wait passed without a stop.
    return statusResult(status, givenUp ? "waiting given up before a stop" + droppedText + ": "
                                        : "no stop within " + std::to_string(waitMs) + " ms" + droppedText + ": ");
}

Json waitProperty(const char* what)
{
    return integer(0, maxWaitMs, std::string("milliseconds to wait for ") + what + " (0: answer at once); at most 60000");
}

int64_t waitArgument(const Json& arguments, int64_t otherwise)
{
    return number(arguments, "until_stop_ms", otherwise);
}

// A result of the control's going back in time: the status, or the reason it could not.
ToolResult backInTime(const char* tool, MachineAccess& machine, const std::function<Control::Result(Control&)>& go)
{
    Control::Result outcome;
    return onMachine(machine, [&](Control& control) {
            outcome = go(control);
            return statusOf(control);
        }, [&](const Status& status) {
            if (!outcome.ok)
                return failure(std::string(tool) + ": " + outcome.error);
            return statusResult(status);
        });
}

} // namespace

void addRunTools(std::vector<Tool>& tools)
{
    tools.push_back({"get_status",
                     "Whether the machine runs or stands paused, where (pc), its frame and cycle counts, and why "
                     "it stopped (\"breakpoint 3\", \"step\", \"user\", \"run to\", \"rewind\"). Every "
                     "client shares this one machine: a request from one (or the window) can end another's wait, "
                     "and the answer to that wait says so.",
                     object({}), statusSchema(), [](const Json&, MachineAccess& machine) {
                         return onMachine(machine, [](Control& control) { return statusOf(control); },
                                          [](const Status& status) { return statusResult(status); });
                     }});
    tools.push_back({"pause", "Pauses the machine between two instructions.", object({}), statusSchema(),
                     [](const Json&, MachineAccess& machine) {
                         return startAndWait(machine, [](Control& control) { control.pause(); return std::string(); }, 0);
                     }});
    tools.push_back({"resume",
                     "Lets the paused machine run on; with until_stop_ms, waits that long for the next stop "
                     "(a breakpoint, say) and gives the status then.",
                     object({{"until_stop_ms", waitProperty("the next stop")}}), statusSchema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         return startAndWait(machine, [](Control& control) { control.resume(); return std::string(); },
                                             waitArgument(arguments, 0));
                     }});
    tools.push_back({"step_into", "Executes count instructions (default 1), into calls; the machine is paused after, or "
                     "sooner at a breakpoint (stop_reason tells which).",
                     object({{"count", integer(1, 100000, "instructions to execute (default 1)")}}), statusSchema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const unsigned count = unsigned(number(arguments, "count", 1));
                         return startAndWait(machine, [count](Control& control) { control.stepInto(count); return std::string(); }, 0);
                     }});
    tools.push_back({"step_over",
                     "Executes count instructions (default 1), running a CALL, RST or block instruction to its "
                     "end; a breakpoint stops it sooner; waits for the step to end (until_stop_ms, default 5000).",
                     object({{"count", integer(1, 100000, "instructions to step over (default 1)")},
                             {"until_stop_ms", waitProperty("the step to end (default 5000)")}}),
                     statusSchema(), [](const Json& arguments, MachineAccess& machine) {
                         const unsigned count = unsigned(number(arguments, "count", 1));
                         return startAndWait(machine, [count](Control& control) { control.stepOver(count); return std::string(); },
                                             waitArgument(arguments, defaultStepWaitMs), "step over");
                     }});
    tools.push_back({"step_out",
                     "Runs until the current routine returns (count routines, default 1); waits for that "
                     "(until_stop_ms, default 5000). Refused at the top level (the call stack, once kept, holds "
                     "no routine). A wait that runs out drops the goal: the machine runs on.",
                     object({{"count", integer(1, 1000, "routines to leave (default 1)")},
                             {"until_stop_ms", waitProperty("the return (default 5000)")}}),
                     statusSchema(), [](const Json& arguments, MachineAccess& machine) {
                         const unsigned count = unsigned(number(arguments, "count", 1));
                         return startAndWait(machine, [count](Control& control) {
                                                 const Control::Result out = control.stepOut(count);
                                                 return out.ok ? std::string() : "step_out: " + out.error;
                                             },
                                             waitArgument(arguments, defaultStepWaitMs), "step out");
                     }});
    tools.push_back({"step_frames",
                     "Runs count whole frames (1/30 s each of emulated time) and pauses; waits for that "
                     "(until_stop_ms, default 5000).",
                     object({{"count", integer(1, 100000, "frames to run")},
                             {"until_stop_ms", waitProperty("the frames to be done (default 5000)")}},
                            {"count"}),
                     statusSchema(), [](const Json& arguments, MachineAccess& machine) {
                         const unsigned count = unsigned(number(arguments, "count", 1));
                         return startAndWait(machine, [count](Control& control) { control.stepFrames(count); return std::string(); },
                                             waitArgument(arguments, defaultStepWaitMs), "frame count");
                     }});
    tools.push_back({"run_to",
                     "Runs until the CPU is about to execute the instruction at address (from that address, "
                     "until it comes there again); waits for that (until_stop_ms, default 5000). A wait that runs "
                     "out drops the target (the machine runs on, nothing left armed); with until_stop_ms 0 the "
                     "target stays armed.",
                     object({{"address", address()}, {"until_stop_ms", waitProperty("the address (default 5000)")}},
                            {"address"}),
                     statusSchema(), [](const Json& arguments, MachineAccess& machine) {
                         const uint16_t target = uint16_t(number(arguments, "address", 0));
                         return startAndWait(machine, [target](Control& control) { control.runTo(target); return std::string(); },
                                             waitArgument(arguments, defaultStepWaitMs), "run to");
                     }});
    tools.push_back({"reverse_step",
                     "Goes back count instructions (default 1), exactly: stepping forward again repeats them. "
                     "Within the frames the rewind buffer holds.",
                     object({{"count", integer(1, 100000, "instructions to go back (default 1)")}}), statusSchema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const unsigned count = unsigned(number(arguments, "count", 1));
                         return backInTime("reverse_step", machine, [count](Control& control) { return control.reverseStep(count); });
                     }});
    tools.push_back({"reverse_continue",
                     "Goes back to the last point before this one where a breakpoint was hit (within the "
                     "frames the rewind buffer holds).",
                     object({}), statusSchema(), [](const Json&, MachineAccess& machine) {
                         return backInTime("reverse_continue", machine, [](Control& control) { return control.reverseContinue(); });
                     }});
    tools.push_back({"rewind",
                     "Goes back that many frame starts; the machine goes on live from there, the inputs after "
                     "it forgotten.",
                     object({{"frames", integer(1, 100000, "frames to go back")}}, {"frames"}), statusSchema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const unsigned frames = unsigned(number(arguments, "frames", 1));
                         return backInTime("rewind", machine, [frames](Control& control) { return control.rewindFrames(frames); });
                     }});
    tools.push_back({"quit", "Ends the emulator's run (the output files asked for on its command line are written).",
                     object({}), Json(), [](const Json&, MachineAccess& machine) {
                         machine.requestQuit();
                         return successText("quitting");
                     }});
}

} // namespace ollendor
