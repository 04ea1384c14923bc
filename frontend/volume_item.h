// The "Sound" menu with the "Volume" slider: the sound output's level in per cent, kept in
// the settings. Muting (Shift+F11) is separate: it silences without changing the level.
#pragma once

#include "frontend/main_window_parts.h"
#include "frontend/settings.h"
#include "host/audio/stream.h"

namespace ollendor {

class VolumeItem final : public MainWindowPart {
public:
    // Both must outlive the item.
    VolumeItem(SoundStream& sound, Settings& settings) : sound_(sound), settings_(settings) {}
    void drawMenus() override;

private:
    SoundStream& sound_;
    Settings& settings_;
};

} // namespace ollendor
