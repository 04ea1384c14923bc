// What the machine is given: typed text, held keys, tapes, and whole states.
#include <algorithm>
#include <system_error>

#include "automation/key_names.h"
#include "automation/tool_support.h"
#include "control/key_typist.h"
#include "control/state_slots.h"
#include "files/message_text.h"

namespace ollendor {

namespace {

using namespace tool;

constexpr size_t maxListedTapes = 1000;

const Shape tapeShape{{"name", outString()}, {"size", outInteger()}};
const Shape tapesShape{{"folder", outString()}, {"mounted", outNullable("string")}, {"tapes", outArray(tapeShape.schema())}};
const Shape savedShape{{"saved", outString()}};
const Shape loadedShape{{"loaded", outString()}};

Json stateArguments()
{
    return object({{"path", text("the state file", 4096, 1)},
                   {"slot", integer(1, stateSlotCount, "one of the four slots (1-4) instead of a file")}});
}

// Exactly one of path and slot; what is wrong, or "".
std::string stateTarget(const char* tool, const Json& arguments, std::filesystem::path& path, int& slot)
{
    if (has(arguments, "path") == has(arguments, "slot"))
        return std::string(tool) + ": give either 'path' or 'slot'";
    slot = int(number(arguments, "slot", 0));
    std::string error;
    if (slot == 0 && !pathArgument(arguments, "path", path, error))
        return std::string(tool) + ": " + error;
    return {};
}

// While the machine follows recorded input (a --replay, or the input kept after stepping
// back, until it runs out) the keyboard is the recording's: what is typed or held would
// never reach the machine, so it is refused rather than reported as done.
bool keyboardFollowsRecording(const char* tool, Control& control, std::string& error)
{
    if (!control.session().replaying())
        return false;
    error = std::string(tool) + ": the machine is replaying recorded input (--replay, or the input kept after "
                                "stepping back), so the keyboard follows the recording until it ends; nothing typed";
    return true;
}

std::string targetText(const std::filesystem::path& path, int slot)
{
    return slot ? "slot " + std::to_string(slot) : path.string();
}

// The same for the text of a message: a file name's control characters escaped.
std::string shownTarget(const std::filesystem::path& path, int slot)
{
    return slot ? targetText(path, slot) : escapedName(path.string());
}

// The tape images in the folder (read here, on the transport's thread) and the one mounted.
ToolResult tapeList(const std::filesystem::path& folder, const std::optional<std::filesystem::path>& mounted)
{
    Json tapes = Json::array();
    std::string text;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code ignored;
        if (!entries->is_regular_file(ignored) || tapes.size() >= maxListedTapes)
            continue;
        const uintmax_t size = entries->file_size(ignored);
        tapes.push_back(tapeShape({{"name", entries->path().filename().string()}, {"size", ignored ? 0 : size}}));
    }
    std::sort(tapes.begin(), tapes.end(), [](const Json& a, const Json& b) { return a["name"] < b["name"]; });
    for (const Json& tape : tapes)
        text += escapedName(tape["name"].get<std::string>()) + "\n";
    if (tapes.empty())
        text = "no tape images in " + escapedName(folder.string()) + (error ? " (" + error.message() + ")" : "") + "\n";
    if (mounted)
        text += "mounted: " + escapedName(mounted->string()) + "\n";
    return success(tapesShape({{"folder", folder.string()},
                               {"mounted", mounted ? Json(mounted->string()) : Json()},
                               {"tapes", std::move(tapes)}}),
                   text);
}

} // namespace

void addInputTools(std::vector<Tool>& tools)
{
    tools.push_back({"type_text",
                     "Types text on the emulated keyboard, one key at a time, as --type does: letters, digits, space, "
                     "newline or the two characters \\n (Enter), , . and with Shift the capitals, !\"#$%&'() and < >.",
                     object({{"text", text("what to type", 4096, 1)}}, {"text"}), Json(),
                     [](const Json& arguments, MachineAccess& machine) {
                         const std::string text = unescapeTypedText(string(arguments, "text"));
                         const size_t bad = KeyTypist::firstUntypable(text);
                         if (bad != std::string::npos)
                             return failure("type_text: the character '" + escapedForMessage(characterAt(text, bad)) +
                                            "' at " + std::to_string(bad) + " has no key");
                         std::string refused;
                         return onMachine(machine, [&](Control& control) {
                                 if (!keyboardFollowsRecording("type_text", control, refused))
                                     control.typeText(text);
                             }, [&] {
                                 if (!refused.empty())
                                     return failure(refused);
                                 return successText("typing " + std::to_string(text.size()) + " characters");
                             });
                     }});
    tools.push_back({"press_keys",
                     "Holds host keys down together for frames frames (default 5), by name: " + keyNameList() + ".",
                     object({{"keys", list(text("a key name", 32, 1), 1, 16, "the keys, held together")},
                             {"frames", integer(1, 3000, "frames to hold them (default 5)")}},
                            {"keys"}),
                     Json(), [](const Json& arguments, MachineAccess& machine) {
                         std::vector<uint8_t> keys;
                         for (const Json& name : arguments["keys"]) {
                             const std::optional<uint8_t> key = keyByName(name.get<std::string>());
                             if (!key)
                                 return failure("press_keys: unknown key '" + clipped(name.get<std::string>()) +
                                                "'; the keys are " + keyNameList());
                             keys.push_back(*key);
                         }
                         const unsigned frames = unsigned(number(arguments, "frames", 5));
                         std::string refused;
                         return onMachine(machine, [&](Control& control) {
                                 if (!keyboardFollowsRecording("press_keys", control, refused))
                                     control.holdKeys(keys, frames);
                             }, [&] {
                                 if (!refused.empty())
                                     return failure(refused);
                                 return successText("holding " + std::to_string(keys.size()) + " keys for " +
                                                    std::to_string(frames) + " frames");
                             });
                     }});
    tools.push_back({"list_tapes",
                     "The tape images in the tape folder (name and size), and the tape mounted, if any (it answers "
                     "every load).",
                     object({}), tapesShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         // The folder is read afterwards, off the loop's thread.
                         return onMachine(machine, [](Control& control) {
                                 return std::pair(control.session().tapeFolder(), control.session().mountedTape());
                             }, [](const auto& tape) { return tapeList(tape.first, tape.second); });
                     }});
    tools.push_back({"mount_tape",
                     "Mounts a tape image: every load the machine makes reads that file from now on, whatever name "
                     "it asks for.",
                     object({{"path", text("the tape image", 4096, 1)}}, {"path"}), Json(),
                     [](const Json& arguments, MachineAccess& machine) {
                         std::filesystem::path path;
                         std::string error;
                         if (!pathArgument(arguments, "path", path, error))
                             return failure("mount_tape: " + error);
                         std::error_code status;
                         if (!std::filesystem::is_regular_file(path, status))
                             return failure("mount_tape: " + escapedName(path.string()) +
                                            (status ? ": " + status.message() : " is not a file"));
                         return onMachine(machine, [&](Control& control) { control.mountTape(path); },
                                          [&] { return successText("mounted " + escapedName(path.string())); });
                     }});
    tools.push_back({"unmount_tape", "Takes the mounted tape out: loads look in the tape folder again.", object({}),
                     Json(), [](const Json&, MachineAccess& machine) {
                         return onMachine(machine, [](Control& control) { control.unmountTape(); },
                                          [] { return successText("no tape mounted"); });
                     }});
    tools.push_back({"save_state",
                     "Saves the whole machine to a state file (path) or one of the four slots (slot 1-4).",
                     stateArguments(), savedShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         std::filesystem::path path;
                         int slot = 0;
                         if (const std::string wrong = stateTarget("save_state", arguments, path, slot); !wrong.empty())
                             return failure(wrong);
                         return onMachine(machine, [&](Control& control) {
                                 return slot ? control.saveSlot(slot) : control.saveState(path);
                             }, [&](const Control::Result& saved) {
                                 if (!saved.ok)
                                     return failure("save_state: " + saved.error);
                                 return success(savedShape({{"saved", targetText(path, slot)}}),
                                                "saved to " + shownTarget(path, slot));
                             });
                     }});
    tools.push_back({"load_state",
                     "Puts the machine saved in a state file (path) or slot (slot 1-4) in place; an unusable file "
                     "is refused with the reason and the running machine left alone.",
                     stateArguments(), loadedShape.schema(),
                     [](const Json& arguments, MachineAccess& machine) {
                         std::filesystem::path path;
                         int slot = 0;
                         if (const std::string wrong = stateTarget("load_state", arguments, path, slot); !wrong.empty())
                             return failure(wrong);
                         return onMachine(machine, [&](Control& control) {
                                 return slot ? control.loadSlot(slot) : control.loadState(path);
                             }, [&](const Control::Result& loaded) {
                                 if (!loaded.ok)
                                     return failure("load_state: " + loaded.error);
                                 return success(loadedShape({{"loaded", targetText(path, slot)}}),
                                                "loaded " + shownTarget(path, slot));
                             });
                     }});
}

} // namespace ollendor
