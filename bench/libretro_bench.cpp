// The libretro core against the headless loop: the time of one frame through retro_run
// (run, picture composed, samples handed over) beside one frame of the session the
// headless program runs, alone and with the same picture and sound work done (as the
// window's loop and its sound thread do it), on the built-in ROM's graphics page, in
// alternating batches of the same run, so all meet the same machine load.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/bench.h"
#include "control/session.h"
#include "machine/hook.h"
#include "roms/builtin_rom.h"
#include "sound/synth.h"
#include "video/display.h"

#ifdef OLLENDOR_LIBRETRO_CORE
#include <libretro-common/libretro.h>
#endif

using namespace ollendor;

namespace {

#ifdef OLLENDOR_LIBRETRO_CORE

retro_keyboard_event_t keyboard;

bool RETRO_CALLCONV environment(unsigned command, void* data)
{
    switch (command) {
    case RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK:
        keyboard = static_cast<const retro_keyboard_callback*>(data)->callback;
        return true;
    case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
    case RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME:
        return true;
    default:
        return false;
    }
}
void RETRO_CALLCONV video(const void*, unsigned, unsigned, size_t) {}
size_t RETRO_CALLCONV audio(const int16_t*, size_t frames) { return frames; }
void RETRO_CALLCONV poll() {}
int16_t RETRO_CALLCONV input(unsigned, unsigned, unsigned, unsigned) { return 0; }

template <class F>
F entry(void* handle, const char* name)
{
    return reinterpret_cast<F>(dlsym(handle, name));
}

double secondsOf(auto&& body)
{
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void libretroBench()
{
    void* handle = dlopen(OLLENDOR_LIBRETRO_CORE, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::printf("libretro: skipped (%s)\n", dlerror());
        return;
    }
    entry<void (*)(retro_environment_t)>(handle, "retro_set_environment")(environment);
    entry<void (*)(retro_video_refresh_t)>(handle, "retro_set_video_refresh")(video);
    entry<void (*)(retro_audio_sample_batch_t)>(handle, "retro_set_audio_sample_batch")(audio);
    entry<void (*)(retro_input_poll_t)>(handle, "retro_set_input_poll")(poll);
    entry<void (*)(retro_input_state_t)>(handle, "retro_set_input_state")(input);
    entry<void (*)()>(handle, "retro_init")();
    entry<bool (*)(const retro_game_info*)>(handle, "retro_load_game")(nullptr);
    const auto retroRun = entry<void (*)()>(handle, "retro_run");

    Session session(builtinRomSet());
    session.setHostKeys([](uint8_t) { return false; });
    session.typeText("4");
    // Both on the graphics page (sprites moving) before timing starts.
    for (int i = 0; i < 10; ++i)
        retroRun();
    keyboard(true, RETROK_4, '4', 0);
    keyboard(false, RETROK_4, '4', 0);
    for (int i = 0; i < 60; ++i) {
        retroRun();
        session.runFrame();
    }

    // The picture composed and the sound synthesised as the frames go by, the halves of
    // 1,562 and 1,563 samples filled as emulated time reaches their end.
    static uint32_t pixels[consoleWidth * consoleHeight];
    static ToneSynth synth;
    static int16_t half[secondHalfSamples];
    uint64_t cycles = 0, samples = 0;
    bool second = false;
    ToneSettings tones{{440, 440, 440}, {0, 0, 0}};
    auto headlessFrame = [&](bool work) {
        session.runFrame();
        if (!work)
            return;
        const Mtx& m = session.machine();
        composeConsole(pixels, consoleWidth * 4, m.frame, displayBlanked(m.vdp), backdropColour(m.vdp));
        applyPublished(tones, m.sound.published);
        cycles += cyclesPerFrame;
        for (unsigned count; (samples + (count = second ? secondHalfSamples : firstHalfSamples)) * 128 <= cycles;) {
            fillHalf(synth, tones, half, count);
            samples += count;
            second = !second;
        }
    };

    constexpr int batches = 20, frames = 50;
    double core = 1e9, headless = 1e9, headlessWork = 1e9;
    for (int b = 0; b < batches; ++b) {
        core = std::min(core, secondsOf([&] { for (int f = 0; f < frames; ++f) retroRun(); }) / frames);
        headless = std::min(headless, secondsOf([&] { for (int f = 0; f < frames; ++f) headlessFrame(false); }) / frames);
        headlessWork = std::min(headlessWork, secondsOf([&] { for (int f = 0; f < frames; ++f) headlessFrame(true); }) / frames);
    }
    std::printf("libretro: retro_run %.1f us/frame; headless loop %.1f us/frame, with the picture composed and "
                "the sound synthesised %.1f us/frame (retro_run %+.1f%%); graphics page, best of %d batches of %d "
                "frames\n",
                core * 1e6, headless * 1e6, headlessWork * 1e6, (core / headlessWork - 1) * 100, batches, frames);

    // What rewind and run-ahead pay each frame: a serialize (and, run-ahead, an unserialize).
    const size_t size = entry<size_t (*)()>(handle, "retro_serialize_size")();
    const auto serialize = entry<bool (*)(void*, size_t)>(handle, "retro_serialize");
    const auto unserialize = entry<bool (*)(const void*, size_t)>(handle, "retro_unserialize");
    std::vector<uint8_t> state(size);
    double save = 1e9, load = 1e9;
    for (int b = 0; b < 10; ++b) {
        save = std::min(save, secondsOf([&] { serialize(state.data(), size); }));
        load = std::min(load, secondsOf([&] { unserialize(state.data(), size); }));
    }
    std::printf("libretro: retro_serialize %.0f us, retro_unserialize %.0f us, %zu bytes\n", save * 1e6,
                load * 1e6, size);
    entry<void (*)()>(handle, "retro_deinit")();
}

#else

void libretroBench()
{
    std::printf("libretro: skipped (the core is not built: no libretro header)\n");
}

#endif

const BenchSection libretroSection("libretro", 60, libretroBench);

} // namespace
