#include "debug/tape_names.h"

#include <cstdio>

namespace ollendor {

std::string tapeNameText(const char (&name)[tapeNameLength])
{
    std::string text = "\"";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            text += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(byte));
            text += escaped;
        }
    }
    return text + "\"";
}

std::vector<std::string> reportedTapeNames(const TapeState& tape)
{
    std::vector<std::string> names;
    const unsigned count = tape.reportedCount <= tapeReportedCapacity ? tape.reportedCount : tapeReportedCapacity;
    // Once the ring is full, the oldest is where the next one goes.
    const unsigned start = count < tapeReportedCapacity ? 0 : tape.reportedNext % tapeReportedCapacity;
    for (unsigned i = 0; i < count; ++i)
        names.push_back(tapeNameText(tape.reported[(start + i) % tapeReportedCapacity]));
    return names;
}

} // namespace ollendor
