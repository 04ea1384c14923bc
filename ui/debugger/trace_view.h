// The trace: the last 100,000 instructions executed (while this view or the call stack is
// open), each with the emulated cycle it started at, its address, bytes, mnemonic (with
// symbols) and the registers it started from. Searchable (any part of a line, ignoring
// case) and exported as a text file, one line per instruction, oldest first.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "debug/symbols.h"
#include "debug/trace.h"
#include "ui/debugger/debug_context.h"

namespace ollendor {

// "   1234567  0AAE  ED FE        TAPETRAP             AF=0044 BC=... SP=F000"
std::string traceLineText(const TraceEntry& entry, const Symbols* symbols);

// The index of the next entry after `from` (or before it, going back) whose line holds
// `needle` ignoring case, wrapping round; none when no line does. `from` may be none to
// start at the oldest (or, going back, the newest).
std::optional<size_t> findInTrace(const TraceRing& trace, const Symbols* symbols, std::string_view needle,
                                  std::optional<size_t> from, bool forward);

// Every entry as a line, oldest first, through a temporary file and a rename. False, with
// the reason, when the file could not be written (the file there before is kept).
bool exportTrace(const TraceRing& trace, const Symbols* symbols, const std::filesystem::path& path, std::string& error);

struct TraceView {
    char search[64] = {};
    char exportPath[256] = "trace.txt";
    std::optional<size_t> selected;
    bool scrollToSelected = false;
    bool followNewest = true;
    uint64_t seenStops = ~uint64_t(0);
    std::string status;
    bool statusIsError = false;
};

void drawTraceView(TraceView& view, DebugContext& context, bool* open);

} // namespace ollendor
