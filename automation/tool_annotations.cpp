// The titles and behaviour hints of the tools, in one table: whether a tool only reads
// (readOnlyHint), whether what it changes can be lost for good (destructiveHint: the
// machine's state replaced, memory or registers overwritten, the run ended), and whether
// calling it twice with the same arguments does no more than calling it once
// (idempotentHint). The hints of the MCP tool annotations.
#include "automation/tools.h"

namespace ollendor {

namespace {

struct Annotation {
    const char* name;
    const char* title;
    bool readOnly;
    bool destructive;
    bool idempotent;
};

// clang-format off
constexpr Annotation annotations[] = {
    // name                 title                              read   destr  idem
    {"get_status",          "Machine status",                  true,  false, true},
    {"pause",               "Pause",                           false, false, true},
    {"resume",              "Resume",                          false, false, true},
    {"step_into",           "Step into",                       false, false, false},
    {"step_over",           "Step over",                       false, false, false},
    {"step_out",            "Step out",                        false, false, false},
    {"step_frames",         "Run frames",                      false, false, false},
    {"run_to",              "Run to an address",               false, false, false},
    {"reverse_step",        "Step back",                       false, true,  false},
    {"reverse_continue",    "Back to the last breakpoint hit", false, true,  false},
    {"rewind",              "Rewind frames",                   false, true,  false},
    {"reset",               "Reset the machine",               false, true,  true},
    {"quit",                "Quit the emulator",               false, true,  true},
    {"get_registers",       "CPU registers",                   true,  false, true},
    {"set_register",        "Set a register",                  false, true,  true},
    {"read_memory",         "Read memory",                     true,  false, true},
    {"write_memory",        "Write memory",                    false, true,  true},
    {"search_memory",       "Search memory",                   true,  false, true},
    {"get_memory_map",      "Memory map",                      true,  false, true},
    {"load_binary",         "Load a binary",                   false, true,  true},
    {"disassemble",         "Disassemble",                     true,  false, true},
    {"set_breakpoint",      "Set a breakpoint",                false, false, true},
    {"remove_breakpoint",   "Remove a breakpoint",             false, true,  true},
    {"enable_breakpoint",   "Enable or disable a breakpoint",  false, false, true},
    {"clear_breakpoints",   "Remove every breakpoint",         false, true,  true},
    {"list_breakpoints",    "List breakpoints",                true,  false, true},
    {"get_call_stack",      "Call stack",                      true,  false, true},
    {"get_trace",           "Trace of instructions",           true,  false, true},
    {"get_history",         "Rewind history",                  true,  false, true},
    {"load_symbols",        "Load symbols",                    false, false, true},
    {"lookup_symbol",       "Look up a symbol",                true,  false, true},
    {"list_symbols",        "List symbols",                    true,  false, true},
    {"remove_symbols",      "Remove symbols",                  false, true,  true},
    {"get_video_state",     "Video chip state",                true,  false, true},
    {"list_sprites",        "Sprites",                         true,  false, true},
    {"get_ctc_state",       "Counter/timer state",             true,  false, true},
    {"get_sound_state",     "Sound chip state",                true,  false, true},
    {"get_keyboard_state",  "Keyboard state",                  true,  false, true},
    {"screenshot",          "Screenshot",                      true,  false, true},
    {"type_text",           "Type text",                       false, false, false},
    {"press_keys",          "Press keys",                      false, false, false},
    {"list_tapes",          "List tapes",                      true,  false, true},
    {"mount_tape",          "Mount a tape",                    false, false, true},
    {"unmount_tape",        "Unmount the tape",                false, false, true},
    {"save_state",          "Save the state",                  false, true,  true},
    {"load_state",          "Load a state",                    false, true,  true},
};
// clang-format on

} // namespace

bool annotateTool(Tool& tool)
{
    for (const Annotation& a : annotations)
        if (tool.name == a.name) {
            tool.title = a.title;
            // Everything the tools reach is the emulator itself: a closed world.
            tool.annotations = {{"title", a.title},
                                {"readOnlyHint", a.readOnly},
                                {"destructiveHint", a.destructive},
                                {"idempotentHint", a.idempotent},
                                {"openWorldHint", false}};
            return true;
        }
    return false;
}

} // namespace ollendor
