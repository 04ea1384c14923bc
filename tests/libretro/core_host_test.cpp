// A small libretro frontend of our own that loads build/ollendor_libretro.so with dlopen and
// checks what RetroArch's screenshots cannot: the sound, and that the state bytes carry the
// whole run (serialize, run, unserialize, run gives the same frames and samples).
#include <dlfcn.h>

#include <libretro-common/libretro.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// What the core handed over in the last run, and what it was given.
struct Received {
    std::vector<uint32_t> frame;
    std::vector<int16_t> samples;   // left channel, all runs since cleared
    size_t lastBatch = 0;
    bool stereoDiffered = false;
    retro_keyboard_event_t keyboard = nullptr;
    bool pad[16] = {};
    std::string system = "/nonexistent-system-folder";
};
Received got;

void RETRO_CALLCONV hostLog(retro_log_level level, const char* format, ...)
{
    if (level < RETRO_LOG_WARN)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

bool RETRO_CALLCONV hostEnvironment(unsigned command, void* data)
{
    switch (command) {
    case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
        static_cast<retro_log_callback*>(data)->log = hostLog;
        return true;
    case RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY:
        *static_cast<const char**>(data) = got.system.c_str();
        return true;
    case RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK:
        got.keyboard = static_cast<const retro_keyboard_callback*>(data)->callback;
        return true;
    case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
        return *static_cast<const retro_pixel_format*>(data) == RETRO_PIXEL_FORMAT_XRGB8888;
    case RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME:
    case RETRO_ENVIRONMENT_SET_VARIABLES:
    case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS:
        return true;
    default:
        return false; // no options set, no file access of ours: the core's fallbacks
    }
}

void RETRO_CALLCONV hostVideo(const void* data, unsigned width, unsigned height, size_t pitch)
{
    got.frame.assign(size_t(width) * height, 0);
    for (unsigned y = 0; y < height; ++y)
        std::memcpy(&got.frame[size_t(y) * width], static_cast<const uint8_t*>(data) + y * pitch, width * 4);
}

size_t RETRO_CALLCONV hostAudio(const int16_t* data, size_t frames)
{
    for (size_t i = 0; i < frames; ++i) {
        got.samples.push_back(data[2 * i]);
        got.stereoDiffered |= data[2 * i] != data[2 * i + 1];
    }
    got.lastBatch = frames;
    return frames;
}

void RETRO_CALLCONV hostPoll() {}
int16_t RETRO_CALLCONV hostInput(unsigned port, unsigned device, unsigned, unsigned id)
{
    return port == 0 && device == RETRO_DEVICE_JOYPAD && id < 16 && got.pad[id];
}

// The core's entry points, loaded once for the whole program.
struct Core {
    void* handle = nullptr;
#define ENTRY(name) decltype(&::name) name = nullptr
    ENTRY(retro_set_environment); ENTRY(retro_set_video_refresh); ENTRY(retro_set_audio_sample_batch);
    ENTRY(retro_set_input_poll); ENTRY(retro_set_input_state); ENTRY(retro_init); ENTRY(retro_deinit);
    ENTRY(retro_load_game); ENTRY(retro_unload_game); ENTRY(retro_run); ENTRY(retro_serialize_size);
    ENTRY(retro_serialize); ENTRY(retro_unserialize); ENTRY(retro_get_system_av_info); ENTRY(retro_reset);
#undef ENTRY

    bool open()
    {
        handle = dlopen(OLLENDOR_LIBRETRO_CORE, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return false;
        bool all = true;
        auto load = [&](auto& entry, const char* name) {
            entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(handle, name));
            all &= entry != nullptr;
        };
#define LOAD(name) load(name, #name)
        LOAD(retro_set_environment); LOAD(retro_set_video_refresh); LOAD(retro_set_audio_sample_batch);
        LOAD(retro_set_input_poll); LOAD(retro_set_input_state); LOAD(retro_init); LOAD(retro_deinit);
        LOAD(retro_load_game); LOAD(retro_unload_game); LOAD(retro_run); LOAD(retro_serialize_size);
        LOAD(retro_serialize); LOAD(retro_unserialize); LOAD(retro_get_system_av_info); LOAD(retro_reset);
#undef LOAD
        return all;
    }
};

Core& core()
{
    static Core loaded = [] {
        Core c;
        if (!c.open())
            std::fprintf(stderr, "cannot load %s: %s\n", OLLENDOR_LIBRETRO_CORE, dlerror());
        return c;
    }();
    return loaded;
}

class CoreHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        Core& c = core();
        ASSERT_NE(c.handle, nullptr);
        got = Received{};
        c.retro_set_environment(hostEnvironment);
        c.retro_set_video_refresh(hostVideo);
        c.retro_set_audio_sample_batch(hostAudio);
        c.retro_set_input_poll(hostPoll);
        c.retro_set_input_state(hostInput);
        c.retro_init();
        ASSERT_TRUE(c.retro_load_game(nullptr));
        ASSERT_NE(got.keyboard, nullptr);
    }
    void TearDown() override
    {
        core().retro_unload_game();
        core().retro_deinit();
    }
    void run(unsigned frames)
    {
        for (unsigned i = 0; i < frames; ++i) {
            core().retro_run();
            ASSERT_EQ(got.lastBatch, 1040u) << "every frame of 133,120 cycles has 1,040 samples";
        }
    }
    // Shows the sound page and holds H there: channel 0 plays A4.
    void soundPageWithNote()
    {
        run(10);
        // Pressed and let go between two frames: the machine still sees it for a frame.
        got.keyboard(true, RETROK_3, '3', 0);
        got.keyboard(false, RETROK_3, '3', 0);
        run(30);
        got.keyboard(true, RETROK_h, 'h', 0);
    }
};

TEST_F(CoreHost, TheSoundPageWithHHeldPlays440Hz)
{
    soundPageWithNote();
    const size_t noteStart = got.samples.size();
    run(60);
    EXPECT_FALSE(got.stereoDiffered) << "the machine's one channel on both sides";
    const std::vector<int16_t> note(got.samples.begin() + ptrdiff_t(noteStart), got.samples.end());
    // The note starts within a half (50 ms) and some frames of the key reaching the OS.
    size_t first = note.size();
    for (size_t i = 0; i < note.size(); ++i)
        if (note[i] != 0) {
            first = i;
            break;
        }
    ASSERT_LT(first, 6000u) << "no note within 0.2 s of holding H";
    size_t crossings = 0, firstCrossing = 0, lastCrossing = 0;
    for (size_t i = first + 1; i < note.size(); ++i) {
        ASSERT_EQ(std::abs(note[i]), 25600) << "one channel at the loudest level, sample " << i;
        if ((note[i - 1] < 0) != (note[i] < 0)) {
            if (crossings++ == 0)
                firstCrossing = i;
            lastCrossing = i;
        }
    }
    ASSERT_GT(crossings, 100u);
    const double hertz = double(crossings - 1) / 2 / (double(lastCrossing - firstCrossing) / 31250);
    EXPECT_NEAR(hertz, 440.1, 2.0);

    // Let go, the note ends.
    got.keyboard(false, RETROK_h, 'h', 0);
    run(20);
    got.samples.clear();
    run(5);
    EXPECT_TRUE(std::all_of(got.samples.begin(), got.samples.end(), [](int16_t s) { return s == 0; }));
}

TEST_F(CoreHost, SerializeRunUnserializeRunGivesTheSameFramesAndSamples)
{
    soundPageWithNote();
    run(7); // the note has begun, and a half is under way
    Core& c = core();
    const size_t size = c.retro_serialize_size();
    std::vector<uint8_t> state(size), again(size);
    ASSERT_TRUE(c.retro_serialize(state.data(), size));
    ASSERT_TRUE(c.retro_serialize(again.data(), size));
    EXPECT_EQ(state, again) << "the same machine gives the same bytes";
    EXPECT_EQ(std::memcmp(state.data(), "OLLSTATE", 8), 0) << "a state file of ours comes first";

    // Then the key is let go: input changes within the stretch that is replayed.
    auto stretch = [&] {
        got.samples.clear();
        std::vector<std::vector<uint32_t>> frames;
        for (int i = 0; i < 40; ++i) {
            if (i == 20)
                got.keyboard(false, RETROK_h, 'h', 0);
            run(1);
            frames.push_back(got.frame);
        }
        return std::make_pair(frames, got.samples);
    };
    const auto first = stretch();
    EXPECT_EQ(c.retro_serialize_size(), size) << "the size never changes";

    // A damaged state is refused and changes nothing.
    std::vector<uint8_t> damaged = state;
    damaged[100] ^= 0x55;
    ASSERT_FALSE(c.retro_unserialize(damaged.data(), size));
    ASSERT_FALSE(c.retro_unserialize(state.data(), 20));

    got.keyboard(true, RETROK_h, 'h', 0);
    ASSERT_TRUE(c.retro_unserialize(state.data(), size));
    const auto second = stretch();
    EXPECT_TRUE(first.first == second.first) << "the frames after unserialize differ";
    EXPECT_TRUE(first.second == second.second) << "the samples after unserialize differ";
    EXPECT_TRUE(std::any_of(first.second.begin(), first.second.end(), [](int16_t s) { return s != 0; }));
}

// A state file of ours given as content starts from that machine: the state bytes cut to
// the file's own length (its header says how long) load like `ollendor --load-state`.
TEST_F(CoreHost, AStateFileAsContentStartsFromThatMachine)
{
    soundPageWithNote();
    run(3);
    got.keyboard(false, RETROK_h, 'h', 0); // the new core is given no key either
    run(3);
    Core& c = core();
    std::vector<uint8_t> state(c.retro_serialize_size());
    ASSERT_TRUE(c.retro_serialize(state.data(), state.size()));
    const size_t length = 36 + (state[24] | state[25] << 8 | state[26] << 16 | size_t(state[27]) << 24);
    state.resize(length);
    std::vector<std::vector<uint32_t>> frames;
    for (int i = 0; i < 5; ++i) {
        run(1);
        frames.push_back(got.frame);
    }

    c.retro_unload_game();
    c.retro_deinit();
    c.retro_init();
    retro_game_info content{"saved.ollstate", state.data(), state.size(), nullptr};
    ASSERT_TRUE(c.retro_load_game(&content));
    for (int i = 0; i < 5; ++i) {
        run(1);
        EXPECT_TRUE(got.frame == frames[size_t(i)]) << "frame " << i << " after loading the state as content";
    }

    // A state file cut short is refused as content.
    c.retro_unload_game();
    c.retro_deinit();
    c.retro_init();
    content.size = length - 1;
    EXPECT_FALSE(c.retro_load_game(&content));
    c.retro_deinit();
    c.retro_init(); // TearDown's unload and deinit follow
    ASSERT_TRUE(c.retro_load_game(nullptr));
}

TEST_F(CoreHost, ThePadsCursorKeysAndTheReportedTimingAreTheMachines)
{
    retro_system_av_info info{};
    core().retro_get_system_av_info(&info);
    EXPECT_EQ(info.geometry.base_width, 320u);
    EXPECT_EQ(info.geometry.base_height, 200u);
    EXPECT_NEAR(info.timing.fps, 4000000.0 / 133120, 1e-9);
    EXPECT_EQ(info.timing.sample_rate, 31250.0);

    // Pad A is Space by default: on the sound page it is a note key no more than H is, so
    // the check is that a pad press reaches the matrix at all: the keyboard page (key 2)
    // shows held keys.
    run(10);
    got.keyboard(true, RETROK_2, '2', 0);
    run(1);
    got.keyboard(false, RETROK_2, '2', 0);
    run(30);
    // The page's first text row changes by itself; the matrix is drawn below it.
    auto grid = [](const std::vector<uint32_t>& frame) {
        return std::vector<uint32_t>(frame.begin() + 12 * 320, frame.end());
    };
    const std::vector<uint32_t> idle = got.frame;
    got.pad[RETRO_DEVICE_ID_JOYPAD_UP] = true;
    run(10);
    EXPECT_FALSE(grid(got.frame) == grid(idle)) << "the D-pad's up did not show on the keyboard page";
    got.pad[RETRO_DEVICE_ID_JOYPAD_UP] = false;
    run(10);
    EXPECT_TRUE(grid(got.frame) == grid(idle)) << "the key stayed down after the pad let go";
}

} // namespace
