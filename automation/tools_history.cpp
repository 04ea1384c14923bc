// What the rewind history holds: how far back reverse_step, reverse_continue and rewind
// can go, and what the call stack and the trace are rebuilt from.
#include <cstdio>

#include "automation/tool_support.h"
#include "machine/hook.h"

namespace ollendor {

namespace {

using namespace tool;

constexpr double cpuHertz = 4000000.0;

const Shape historyShape{{"frames", outInteger()}, {"seconds", {{"type", "number"}}},
                         {"oldest_frame", outNullable("integer")}, {"newest_frame", outNullable("integer")},
                         {"memory_bytes", outInteger()}, {"budget_bytes", outInteger()},
                         {"capacity_frames", outInteger()}, {"kept", outBoolean()}};

} // namespace

void addHistoryTools(std::vector<Tool>& tools)
{
    tools.push_back({"get_history",
                     "How much the rewind history holds: the captures kept (one per frame), the emulated seconds "
                     "they span, the oldest and newest frame (frame numbers as get_status gives them; null when "
                     "none is kept), the memory they take and the most they may take. reverse_step, "
                     "reverse_continue and rewind reach back to the oldest; the call stack and the trace are "
                     "known from it.",
                     object({}),
                     historyShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         return onMachine(machine, [](Control& control) {
                             const RewindBuffer& rewind = control.rewindBuffer();
                             const std::optional<uint64_t> oldest = control.oldestCaptureFrame();
                             const std::optional<uint64_t> newest = control.newestCaptureFrame();
                             const uint64_t span = oldest && newest ? *newest - *oldest : 0;
                             return historyShape({{"frames", rewind.frames()},
                                                  {"seconds", double(span * cyclesPerFrame) / cpuHertz},
                                                  {"oldest_frame", oldest ? Json(*oldest) : Json()},
                                                  {"newest_frame", newest ? Json(*newest) : Json()},
                                                  {"memory_bytes", rewind.memoryBytes()},
                                                  {"budget_bytes", rewind.budget()},
                                                  {"capacity_frames", rewind.capacity()},
                                                  {"kept", control.keepsHistory()}});
                         }, [](Json data) {
                             char seconds[32];
                             std::snprintf(seconds, sizeof seconds, "%.1f", data["seconds"].get<double>());
                             std::string text;
                             if (data["oldest_frame"].is_null())
                                 text = "no rewind history is kept";
                             else
                                 text = std::to_string(data["frames"].get<size_t>()) + " captures over " + seconds +
                                        " s, frames " + std::to_string(data["oldest_frame"].get<uint64_t>()) + " to " +
                                        std::to_string(data["newest_frame"].get<uint64_t>()) + ", " +
                                        std::to_string(data["memory_bytes"].get<size_t>() >> 20) + " of " +
                                        std::to_string(data["budget_bytes"].get<size_t>() >> 20) + " MiB";
                             return success(std::move(data), text);
                         });
                     }});
}

} // namespace ollendor
