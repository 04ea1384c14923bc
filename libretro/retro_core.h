// The machine as a libretro core sees it: one Mtx, the keys held, the picture and the
// sound of each frame, and the state bytes. No libretro types here: libretro.cpp turns the
// frontend's calls into these.
//
// A frame is run as the headless loop runs one: the input set at its start, every event
// serviced on the way (a tape request answered from the content's tape, sound publications
// taken up), the picture composed on the 320 x 200 console at its end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/rom_set.h"
#include "sound/soundchip.h"
#include "sound/synth.h"
#include "video/display.h"

namespace ollendor {

// The machine's own samples (31,250 a second, made in halves of 1,562 and 1,563 at frame
// ends) handed out as exactly 1,040 samples a frame (133,120 cycles) from a queue that
// starts with one half of silence, so that every frame has its share although a half is
// only made at its end. The queue is the host's; the synthesiser is part of the machine.
struct CoreSound {
    static constexpr unsigned samplesPerFrame = 1040;
    static constexpr unsigned queueCapacity = 2 * secondHalfSamples + samplesPerFrame;
    std::array<int16_t, queueCapacity> queue{}; // made and not yet handed out, oldest first
    uint32_t queued = 0;
};

// Back to the start: one half of silence queued.
void coreSoundStart(CoreSound& sound);
// The one place where a frame's samples come from: the machine's samples made in the frame
// that just ended join the queue, and samplesPerFrame of them go to out.
size_t coreSoundFrame(CoreSound& sound, Mtx& machine, int16_t* out);

// Where log lines go: a level (0 debug, 1 info, 2 warning, 3 error) and the text.
using CoreLog = void (*)(int level, const char* text);

class RetroCore {
public:
    static constexpr unsigned width = consoleWidth;
    static constexpr unsigned height = consoleHeight;
    static constexpr double framesPerSecond = 4000000.0 / 133120.0;
    static constexpr unsigned sampleRate = 31250;

    explicit RetroCore(CoreLog log);

    // A machine at power-on with this ROM set; any tape content is forgotten.
    void start(const RomSet& roms);
    // Power-on again with the same ROM set and content.
    void reset();
    // Content: a state file of ours (it replaces the machine) or a tape image (it answers
    // every tape request, as `ollendor FILE` mounts one). False with the reason when a state
    // file cannot be used.
    bool loadContent(std::span<const uint8_t> bytes, std::string& error);

    // A key held on the host keyboard or the pad, by Windows virtual-key code. A key
    // pressed and let go between two frames is still seen down for one frame.
    void keyboardKey(uint8_t virtualKey, bool down);
    void setCapsLock(bool locked) { capsLocked_ = locked; }
    // The pad's keys for the next frame (virtual-key codes, as many as are held).
    void setPadKeys(std::span<const uint8_t> keys);

    // Runs one frame; the picture and its samples are then in pixels() and samples().
    void runFrame();
    const uint32_t* pixels() const { return pixels_.data(); }
    std::span<const int16_t> samples() const { return {samples_.data(), sampleCount_}; }

    // The state as bytes: a state file of ours, then the core's own block (the sound output),
    // then zero bytes up to stateSize(), which never changes. The same machine gives the
    // same bytes.
    size_t stateSize() const { return stateSize_; }
    bool saveState(std::span<uint8_t> out) const;
    // Takes either form (the padded one above, or a plain state file); false with the
    // reason, and the machine untouched, when the bytes cannot be used.
    bool loadState(std::span<const uint8_t> bytes, std::string& error);

    Mtx& machine() { return *machine_; }

private:
    void answerTapeRequest();

    CoreLog log_;
    RomSet roms_;
    std::unique_ptr<Mtx> machine_;
    std::vector<uint8_t> tape_;          // the content's tape image (first 64 KiB)
    bool tapeMounted_ = false;
    std::array<bool, 256> keyDown_{};    // held on the keyboard now
    std::array<bool, 256> keyLatched_{}; // pressed since the last frame began
    std::vector<uint8_t> padKeys_;
    bool capsLocked_ = false;
    CoreSound sound_;
    std::vector<uint32_t> pixels_ = std::vector<uint32_t>(size_t(width) * height);
    std::array<int16_t, CoreSound::samplesPerFrame> samples_{};
    size_t sampleCount_ = 0;
    size_t stateSize_ = 0;
};

// The RETROK_* key code (libretro's numbering, which follows SDL 1.2) as the virtual-key
// code the keyboard matrix uses; 0 for a key the MTX has not.
uint8_t virtualKeyOfRetroKey(unsigned retroKey);

// The ROM set from a folder read through `read` (a function that gives a file's bytes, or
// false when it is not there): the three images, or the built-in set when none or only
// some are there (said through the log), the folder shown on its welcome page.
using ReadFile = bool (*)(const std::string& path, std::vector<uint8_t>& bytes, void* context);
RomSet coreRomSet(const std::string& folder, ReadFile read, void* context, CoreLog log);

} // namespace ollendor
