// A bare Dear ImGui context (no window, no SDL) for tests of widgets: frames, clicks,
// key presses and typed characters are scripted.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include <imgui.h>

namespace ollendor {

class BareImGui : public ::testing::Test {
protected:
    explicit BareImGui(ImVec2 displaySize = ImVec2(1280, 819)) : displaySize_(displaySize) {}

    void SetUp() override
    {
        context = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = displaySize_;
        io.DeltaTime = 1.0f / 60;
        io.KeyMap[ImGuiKey_Enter] = enterKey;
        io.KeyMap[ImGuiKey_KeyPadEnter] = keypadEnterKey;
        io.KeyMap[ImGuiKey_Escape] = escapeKey;
        io.KeyMap[ImGuiKey_Backspace] = backspaceKey;
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height); // builds the font
        ImGui::StyleColorsLight();
    }
    void TearDown() override { ImGui::DestroyContext(context); }

    void frame(const std::function<void()>& widgets)
    {
        ImGui::NewFrame();
        widgets();
        ImGui::Render();
    }
    // The pointer arrives, the button goes down, then up; widgets in each of the frames.
    void click(float x, float y, const std::function<void()>& widgets)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(x, y);
        frame(widgets);
        io.MouseDown[0] = true;
        frame(widgets);
        io.MouseDown[0] = false;
        frame(widgets);
    }
    // Two clicks in quick succession.
    void doubleClick(float x, float y, const std::function<void()>& widgets)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(x, y);
        frame(widgets);
        for (int i = 0; i < 2; ++i) {
            io.MouseDown[0] = true;
            frame(widgets);
            io.MouseDown[0] = false;
            frame(widgets);
        }
    }
    void press(int key, const std::function<void()>& widgets)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.KeysDown[key] = true;
        frame(widgets);
        io.KeysDown[key] = false;
        frame(widgets);
    }
    // Characters typed into the field that has the keyboard.
    void type(const char* text, const std::function<void()>& widgets)
    {
        ImGui::GetIO().AddInputCharactersUTF8(text);
        frame(widgets);
    }

    // Key indices of the scripted keyboard (ImGui maps its keys onto them).
    static constexpr int enterKey = 1, keypadEnterKey = 2, escapeKey = 3, backspaceKey = 4;
    ImGuiContext* context = nullptr;

private:
    ImVec2 displaySize_;
};

} // namespace ollendor
