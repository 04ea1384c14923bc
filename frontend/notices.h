// Short notices over the emulated picture ("State saved to slot 1", "Sound off"): one line
// at the top of the picture that shows for a moment and fades, so what a key or an item
// did is seen in the window, not only on standard error. A newer notice replaces the one
// showing. Errors show in red and stay longer.
#pragma once

#include <string>

#include "frontend/main_window_parts.h"

namespace ollendor {

class Notices final : public MainWindowPart {
public:
    static constexpr double seconds = 2.5;      // a notice's time, the last half second fading
    static constexpr double errorSeconds = 6.0; // an error's

    // picture (may be null) tells where the picture is; without one, the whole window.
    explicit Notices(const MainWindowPart* picture = nullptr) : picture_(picture) {}

    void show(const std::string& text, bool error = false);
    // The notice showing now (empty when none); its opacity, 1 until it starts fading.
    const std::string& text() const { return text_; }
    bool isError() const { return error_; }
    float opacity() const { return opacity_; }

    void drawWindows() override;
    bool wantsRedraw() const override { return !text_.empty(); }

private:
    const MainWindowPart* picture_;
    std::string text_;
    bool error_ = false;
    bool fresh_ = false;   // shown since the last frame: its time starts at the next
    double since_ = 0;     // ImGui time it was first drawn
    float opacity_ = 1;
};

} // namespace ollendor
