// For the debugger views' tests: a control over the built-in ROM (with a recording host)
// and a bare Dear ImGui context (no window, no SDL) in which the views are drawn, clicked
// and typed into.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>
#include <memory>

#include <imgui.h>

#include "control/control.h"
#include "host/picture_textures.h"
#include "machine/rom_set.h"
#include "tests/support/recording_host.h"

namespace ollendor {

// A session on the built-in ROM with its control, run a few frames in so that the ROM has
// set up its screen and its interrupts.
struct ControlRig {
    explicit ControlRig(unsigned frames = 20) : session(builtinRomSet()), rewind(120), control(session, rewind)
    {
        session.setHost(host);
        for (unsigned i = 0; i < frames; ++i)
            control.runFrame();
    }
    Mtx& machine() { return session.machine(); }
    // Lets the loop run until the machine pauses (a goal met, a breakpoint), at most frames.
    bool runUntilPaused(unsigned frames = 300)
    {
        for (unsigned i = 0; i < frames && !control.paused(); ++i)
            control.runFrame();
        return control.paused();
    }

    RecordingHost host;
    Session session;
    RewindBuffer rewind;
    Control control;
};

// Keeps what was uploaded last to each slot; the texture id is the slot's own address.
class FakeTextures : public PictureTextures {
public:
    struct Upload {
        int width = 0, height = 0;
        std::vector<uint8_t> rgba;
    };
    void* upload(int slot, int width, int height, const uint8_t* rgba) override
    {
        Upload& last = uploads[slot];
        last.width = width;
        last.height = height;
        last.rgba.assign(rgba, rgba + size_t(width) * size_t(height) * 4);
        ++count;
        return &last;
    }
    std::map<int, Upload> uploads;
    int count = 0;
};

class BareImGui : public ::testing::Test {
protected:
    void SetUp() override
    {
        context = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(1280, 819);
        io.DeltaTime = 1.0f / 60;
        io.KeyMap[ImGuiKey_Enter] = enterKey;
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

    static constexpr int enterKey = 1, escapeKey = 3, backspaceKey = 4;
    ImGuiContext* context = nullptr;
};

} // namespace ollendor
