#include "ui/debugger/tape_view.h"

#include <cstdio>

#include <imgui.h>

namespace ollendor {

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
