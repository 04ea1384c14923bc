// What every debugger view is handed when it draws: the control (and through it the
// machine, the debugger and the symbols), the picture uploads, the memory of the last
// pauses, and the requests one view makes of another (show this address in the
// disassembly or the memory view), which the Debug part carries out at its next frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "control/control.h"
#include "debug/memory_area.h"
#include "debug/pause_memory.h"
#include "debug/step_report.h"
#include "ui/debugger/picture_slots.h"

namespace ollendor {

// Where the memory view reads: the CPU's 64 KiB as paged now, one page of the store, or
// the video chip's 16 KiB.
// What the memory view shows: one of the machine's memory areas (debug/memory_area.h).
using MemorySource = MemoryArea;

struct DebugContext {
    explicit DebugContext(Control& control) : control(control) {}

    Control& control;
    PictureSlots* textures = nullptr;    // null without a window: pictures are left out
    PauseMemory changes;                 // kept while the memory view is open

    // Requests between views, carried out at the next frame.
    std::optional<uint16_t> showCode;   // scroll the disassembly there (opening it)
    std::optional<uint16_t> showMemory; // scroll the memory view there, in the CPU's view

    // What the last single step met (a slice end, an accepted interrupt), while the machine
    // still stands where that step left it.
    std::optional<StepReport> lastStep;
    uint64_t lastStepStops = 0;
    const StepReport* currentStep() const
    {
        return lastStep && lastStepStops == control.stops() ? &*lastStep : nullptr;
    }

    // The outcome of the last action that can fail (a step back, a load, a bad address),
    // shown in the main window until the next one.
    std::string message;
    bool messageIsError = false;
    uint64_t messageSerial = 0; // counts the messages told (the same text twice is told twice)
    void tell(std::string text, bool error)
    {
        message = std::move(text);
        messageIsError = error;
        ++messageSerial;
    }

    Mtx& machine() { return control.machine(); }
    const Symbols& symbols() const { return control.symbols(); }
};

} // namespace ollendor
