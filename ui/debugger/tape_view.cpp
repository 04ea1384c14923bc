#include "ui/debugger/tape_view.h"

#include <cstdio>

#include <imgui.h>

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

void drawTapeView(DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Tape trap", open)) {
        ImGui::End();
        return;
    }
    const Session& session = context.control.session();
    const TapeState& tape = session.machine().tape;
    if (session.mountedTape())
        ImGui::TextWrapped("Mounted tape: %s (answers every request)", session.mountedTape()->string().c_str());
    else
        ImGui::TextWrapped("Images come from the folder %s", session.tapeFolder().string().c_str());
    ImGui::Separator();
    if (tape.opened)
        ImGui::Text("Image of %u bytes opened; %u bytes left to hand out", unsigned(tape.imageSize), unsigned(tape.left));
    else
        ImGui::TextUnformatted("No image opened yet");
    ImGui::Text("Blocks served since power-on: %u", unsigned(tape.blocksServed));
    if (tape.requestPending)
        ImGui::Text("Waiting: a request for %s, %u bytes to %04X", tapeNameText(tape.requestName).c_str(),
                    unsigned(tape.requestLength), unsigned(tape.requestAddress));
    bool asked = false;
    for (char c : tape.requestName)
        asked = asked || c != 0;
    if (asked)
        ImGui::Text("Last image asked for: %s", tapeNameText(tape.requestName).c_str());
    const std::vector<std::string> reported = reportedTapeNames(tape);
    if (reported.empty()) {
        ImGui::TextDisabled("No image reported missing");
    } else {
        ImGui::TextUnformatted("Reported missing (a retry stays quiet):");
        for (const std::string& name : reported)
            ImGui::BulletText("%s", name.c_str());
    }
    ImGui::End();
}

} // namespace ollendor
