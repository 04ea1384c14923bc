// Choosing menu items by their text in a bare ImGui context: the pointer is moved over the
// menu bar (or the open menu) until the widget of that text is the one hovered, then
// clicked there, as a user would.
#pragma once

#include <functional>
#include <optional>

#include <imgui.h>
#include <imgui_internal.h>

namespace ollendor {

class MenuClicks {
public:
    using Frame = std::function<void()>; // runs one frame of the widgets

    explicit MenuClicks(Frame frame) : frame_(std::move(frame)) {}

    // Opens the bar's menu of that title and clicks its item; false when either is not
    // found (or the item is disabled, so never hovered).
    bool choose(const char* menu, const char* item)
    {
        return open(menu) && clickItem(item);
    }

    bool open(const char* menu)
    {
        ImGuiWindow* bar = ImGui::FindWindowByName("##MainMenuBar");
        if (!bar)
            return false;
        const ImGuiID id = ImHashStr(menu, 0, ImHashStr("##menubar", 0, bar->ID));
        const float y = bar->Pos.y + bar->Size.y / 2;
        for (float x = bar->Pos.x + 2; x < bar->Pos.x + bar->Size.x; x += 5)
            if (hovers(ImVec2(x, y), id))
                return click(ImVec2(x, y)), ImGui::GetCurrentContext()->OpenPopupStack.Size > 0;
        return false;
    }

    bool clickItem(const char* item)
    {
        ImGuiContext& g = *ImGui::GetCurrentContext();
        if (g.OpenPopupStack.Size == 0 || !g.OpenPopupStack.back().Window)
            return false;
        ImGuiWindow* popup = g.OpenPopupStack.back().Window;
        const ImGuiID id = ImHashStr(item, 0, popup->ID);
        const float x = popup->Pos.x + 24;
        for (float y = popup->Pos.y + 2; y < popup->Pos.y + popup->Size.y; y += 3)
            if (hovers(ImVec2(x, y), id))
                return click(ImVec2(x, y)), true;
        return false;
    }

private:
    bool hovers(ImVec2 at, ImGuiID id)
    {
        ImGui::GetIO().MousePos = at;
        frame_();
        return ImGui::GetCurrentContext()->HoveredId == id;
    }
    void click(ImVec2 at)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = at;
        io.MouseDown[0] = true;
        frame_();
        io.MouseDown[0] = false;
        frame_();
        frame_();
    }

    Frame frame_;
};

} // namespace ollendor
