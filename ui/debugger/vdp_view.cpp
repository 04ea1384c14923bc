#include "ui/debugger/vdp_view.h"

#include <utility>

#include <imgui.h>

#include "debug/vdp_pictures.h"
#include "ui/debugger/widgets.h"
#include "debug/info_text.h"

namespace ollendor {

namespace {

void registersTab(const VdpState& vdp)
{
    char mode[infoTextSize];
    describeVdpMode(vdp, mode, sizeof mode);
    ImGui::Text("%s (mode %u)", mode, unsigned(vdp.mode));
    if (ImGui::BeginTable("##registers", 2, ImGuiTableFlags_SizingFixedFit)) {
        for (int r = 0; r < 8; ++r) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::Text("R%d  %02X", r, unsigned(vdp.registers[r]));
            ImGui::TableNextColumn();
            // What each register says, from the decoded lines: the flags of R0 and R1, then
            // one line per base or colour.
            static constexpr int firstLine[8] = {0, 1, 7, 8, 9, 10, 11, 12};
            static constexpr int lineCount[8] = {1, 6, 1, 1, 1, 1, 1, 2};
            for (int k = 0; k < lineCount[r]; ++k) {
                char text[infoTextSize];
                if (describeVdpLine(vdp, text, sizeof text, firstLine[r] + k))
                    ImGui::TextUnformatted(text);
            }
        }
        ImGui::EndTable();
    }
    ImGui::Separator();
    ImGui::Text("Status %02X", unsigned(vdp.status));
    ImGui::Text("Address latch %04X (next data access)", unsigned(vdp.address));
    if (vdp.secondByteExpected)
        ImGui::Text("Control port: first byte %02X written, the second is awaited", unsigned(vdp.firstByte));
    else
        ImGui::TextUnformatted("Control port: no byte pair begun");
}

void tablesLine(const VdpTables& tables, const char* what, uint16_t base)
{
    ImGui::Text("%s at %04X%s", what, unsigned(base), tables.drawn ? "" : " (this mode is not drawn)");
}

void spritesTab(VdpView& view, DebugContext& context, const VdpState& vdp)
{
    const VdpTables tables = vdpTables(vdp);
    const SpriteTable table = spriteTable(vdp);
    ImGui::Text("Attributes at %04X, patterns at %04X; %ux%u%s", unsigned(tables.spriteAttributes),
                unsigned(tables.spritePatterns), table.size, table.size, table.magnified ? ", magnified" : "");
    spritePictures(vdp, table, view.sprites);
    void* texture = nullptr;
    if (context.textures) {
        // One upload of all 32; each row shows its own part.
        std::vector<uint8_t> rgba;
        pictureToRgba(view.sprites, rgba);
        texture = context.textures->upload(spriteSlot, view.sprites.width, view.sprites.height, rgba.data());
    }
    if (!ImGui::BeginTable("##sprites", 7, ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY | ImGuiTableFlags_SizingFixedFit))
        return;
    ImGui::TableSetupScrollFreeze(0, 1);
    for (const char* heading : {"#", "picture", "x", "y", "name", "colour", ""})
        ImGui::TableSetupColumn(heading);
    ImGui::TableHeadersRow();
    const float size = float(table.size) * 2;
    for (const SpriteEntry& entry : table.entries) {
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        ImGui::Text("%u", entry.index);
        ImGui::TableNextColumn();
        if (texture) {
            const float u0 = float(entry.index) / 32, u1 = float(entry.index + 1) / 32;
            const ImVec2 at = ImGui::GetCursorScreenPos();
            ImGui::GetWindowDrawList()->AddRectFilled(at, ImVec2(at.x + size, at.y + size), IM_COL32(60, 60, 60, 255));
            ImGui::Image(texture, ImVec2(size, size), ImVec2(u0, 0), ImVec2(u1, 1));
        }
        ImGui::TableNextColumn();
        ImGui::Text("%u", unsigned(entry.x));
        ImGui::TableNextColumn();
        ImGui::Text("%u", unsigned(entry.y));
        ImGui::TableNextColumn();
        ImGui::Text("%02X", unsigned(entry.pattern));
        ImGui::TableNextColumn();
        ImGui::Text("%u%s", unsigned(entry.colour), entry.earlyClock ? " early" : "");
        ImGui::TableNextColumn();
        if (!entry.drawn())
            ImGui::TextDisabled("%s", spriteStatusText(entry.status));
    }
    ImGui::EndTable();
}

} // namespace

void drawVdpView(VdpView& view, DebugContext& context, bool* open)
{
    if (!ImGui::Begin("Video chip", open)) {
        ImGui::End();
        return;
    }
    const VdpState& vdp = context.machine().vdp;
    const VdpTables tables = vdpTables(vdp);
    // A row of buttons rather than ImGui's tabs: a tab takes a click only when the pointer
    // was seen over it a frame before, which a touch or a warped pointer never gives.
    using Tab = VdpView::Tab;
    const std::pair<Tab, const char*> tabs[] = {
        {Tab::registers, "Registers"}, {Tab::patterns, "Patterns"}, {Tab::names, "Names"},
        {Tab::colours, "Colours"},     {Tab::sprites, "Sprites"},
    };
    for (const auto& [tab, title] : tabs) {
        if (tab != Tab::registers)
            ImGui::SameLine();
        const bool chosen = view.tab == tab;
        if (chosen)
            ImGui::PushStyleColor(ImGuiCol_Button, ImGui::GetStyleColorVec4(ImGuiCol_ButtonActive));
        if (ImGui::Button(title))
            view.tab = tab;
        if (chosen)
            ImGui::PopStyleColor();
    }
    ImGui::Separator();
    view.shown = view.tab;
    auto pictureTab = [&](int slot, void (*make)(const VdpState&, IndexedPicture&), const char* what, uint16_t base) {
        tablesLine(tables, what, base);
        ImGui::SameLine();
        ImGui::SetNextItemWidth(80);
        ImGui::SliderInt("zoom", &view.scale, 1, 3, "%dx");
        make(vdp, view.picture);
        if (view.picture.width == 0)
            ImGui::TextUnformatted("Text mode takes its colours from register 7: there is no colour table.");
        else
            showPicture(context.textures, slot, view.picture, float(view.scale));
    };
    switch (view.tab) {
    case Tab::none:
    case Tab::registers: registersTab(vdp); break;
    case Tab::patterns: pictureTab(patternSlot, patternPicture, "Pattern table", tables.patterns); break;
    case Tab::names: pictureTab(nameSlot, namePicture, "Name table", tables.names); break;
    case Tab::colours: pictureTab(colourSlot, colourPicture, "Colour table", tables.colours); break;
    case Tab::sprites: spritesTab(view, context, vdp); break;
    }
    ImGui::End();
}

} // namespace ollendor
