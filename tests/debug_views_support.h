// For the debugger views' tests: a control over the built-in ROM (with a recording host)
// and a bare Dear ImGui context (no window, no SDL) in which the views are drawn, clicked
// and typed into.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>
#include <memory>

#include <imgui.h>

#include "control/control.h"
#include "host/window_drawing.h"
#include "machine/rom_set.h"
#include "tests/support/bare_imgui.h"
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

// Textures kept in memory: the id ImGui gets is the texture's own record.
class FakeTextures : public Textures {
public:
    struct Texture {
        int width = 0, height = 0;
        std::vector<uint8_t> rgba;
    };
    TextureHandle create(int width, int height, TextureScaling) override
    {
        held[next] = Texture{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 4)};
        return next++;
    }
    bool update(TextureHandle handle, const uint8_t* rgba, int pitch) override
    {
        const auto found = held.find(handle);
        if (found == held.end() || pitch < found->second.width * 4)
            return false;
        Texture& texture = found->second;
        for (int row = 0; row < texture.height; ++row)
            std::copy_n(rgba + size_t(row) * size_t(pitch), size_t(texture.width) * 4,
                        texture.rgba.begin() + ptrdiff_t(row) * texture.width * 4);
        return true;
    }
    void destroy(TextureHandle handle) override { held.erase(handle); }
    void* imguiTexture(TextureHandle handle) const override
    {
        const auto found = held.find(handle);
        return found == held.end() ? nullptr : const_cast<Texture*>(&found->second);
    }
    const std::string& error() const override { return reason; }

    std::map<TextureHandle, Texture> held;
    TextureHandle next = 1;
    std::string reason;
};


} // namespace ollendor
