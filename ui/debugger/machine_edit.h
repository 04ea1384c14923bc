// Changing the machine from the debugger's views (a register, a flag, a byte of memory):
// only while it is paused, on the loop's thread, between frames.
//
// An edit is a machine put in place from outside: the run before it can no longer be
// replayed into it. So the edited machine goes in through the session (a recording in
// progress ends there, saying so; a replay stops and the machine goes on live), and the
// rewind history starts again from it: stepping back then stops at the edit instead of
// bringing back a past that never led here. The call stack and the trace stay: they are
// true of what ran.
#pragma once

#include <memory>

#include "control/control.h"

namespace ollendor {

// Applies edit(Mtx&) to a copy of the machine and puts the copy in place; false (nothing
// changed) while the machine runs.
template <class Edit>
bool editMachine(Control& control, Edit&& edit)
{
    if (!control.paused())
        return false;
    auto edited = std::make_unique<Mtx>(control.machine());
    edit(*edited);
    control.session().replaceMachine(*edited);
    // Restarts the rewind history from the machine as it now is (the same as a loaded
    // state, without forgetting the call stack and the trace).
    control.keepHistory(control.keepsHistory());
    return true;
}

} // namespace ollendor
