// The libretro core against the headless loop: the time of one frame through retro_run
// (run, picture composed, samples handed over) beside one frame of the session the
// headless program runs, on the built-in ROM's graphics page, in alternating batches of
// the same run, so both meet the same machine load.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench/bench.h"
#include "control/session.h"
#include "roms/builtin_rom.h"

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

    constexpr int batches = 20, frames = 50;
    double core = 1e9, headless = 1e9;
    for (int b = 0; b < batches; ++b) {
        core = std::min(core, secondsOf([&] { for (int f = 0; f < frames; ++f) retroRun(); }) / frames);
        headless = std::min(headless, secondsOf([&] { for (int f = 0; f < frames; ++f) session.runFrame(); }) / frames);
    }
    std::printf("libretro: retro_run %.1f us/frame, headless loop %.1f us/frame (%+.1f%%), graphics page, "
                "best of %d batches of %d frames\n",
                core * 1e6, headless * 1e6, (core / headless - 1) * 100, batches, frames);
    entry<void (*)()>(handle, "retro_deinit")();
}

#else

void libretroBench()
{
    std::printf("libretro: skipped (the core is not built: no libretro header)\n");
}

#endif

const BenchSection section("libretro", 60, libretroBench);

} // namespace
