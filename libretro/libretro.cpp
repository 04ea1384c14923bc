// The libretro API over RetroCore: what a frontend (RetroArch) calls, and what the core asks
// of it. Everything runs on the frontend's thread, in its calls; the only files read are
// the content it hands over (in memory) and the ROM images in its system folder, through
// its file-access interface where it offers one.
#include <libretro-common/libretro.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "libretro/retro_core.h"

using namespace ollendor;

namespace {

retro_environment_t environment;
retro_video_refresh_t videoRefresh;
retro_audio_sample_batch_t audioBatch;
retro_input_poll_t inputPoll;
retro_input_state_t inputState;
retro_log_printf_t logPrintf;
retro_vfs_interface* vfs;
std::unique_ptr<RetroCore> core;

void logLine(int level, const char* text)
{
    if (logPrintf)
        logPrintf(retro_log_level(level), "[Ollendor] %s\n", text);
    else if (level >= 2)
        std::fprintf(stderr, "[Ollendor] %s\n", text);
}

// Reads a whole file through the frontend's file access, or stdio where it has none.
// Only regular files, at most 1 MiB (a ROM image is 8 KiB).
bool readWhole(const std::string& path, std::vector<uint8_t>& bytes, void*)
{
    constexpr int64_t limit = 1 << 20;
    if (vfs) {
        retro_vfs_file_handle* file = vfs->open(path.c_str(), RETRO_VFS_FILE_ACCESS_READ, RETRO_VFS_FILE_ACCESS_HINT_NONE);
        if (!file)
            return false;
        const int64_t size = vfs->size(file);
        bool ok = size >= 0 && size <= limit;
        if (ok) {
            bytes.resize(size_t(size));
            ok = size == 0 || vfs->read(file, bytes.data(), uint64_t(size)) == size;
        }
        vfs->close(file);
        if (!ok)
            logLine(3, ("cannot read " + path).c_str());
        return ok;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.resize(size_t(limit) + 1);
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool ok = !std::ferror(file) && read <= size_t(limit);
    std::fclose(file);
    bytes.resize(read);
    if (!ok)
        logLine(3, ("cannot read " + path).c_str());
    return ok;
}

// --- the pad: the cursor keys on the D-pad, the other buttons as the options say ---

struct PadButton {
    unsigned id;
    const char* option;
    const char* definition; // "Description; default|other|..."
};

constexpr const char* keyChoices = "|Space|Enter|Shift|Ctrl|Tab|Backspace|Delete|0|1|2|3|4|5|6|7|8|9"
                                   "|A|B|C|D|E|F|G|H|I|J|K|L|M|N|O|P|Q|R|S|T|U|V|W|X|Y|Z|none";

const PadButton padButtons[] = {
    {RETRO_DEVICE_ID_JOYPAD_A, "ollendor_pad_a", "Pad A; Space"},
    {RETRO_DEVICE_ID_JOYPAD_B, "ollendor_pad_b", "Pad B; Enter"},
    {RETRO_DEVICE_ID_JOYPAD_X, "ollendor_pad_x", "Pad X; Z"},
    {RETRO_DEVICE_ID_JOYPAD_Y, "ollendor_pad_y", "Pad Y; X"},
    {RETRO_DEVICE_ID_JOYPAD_START, "ollendor_pad_start", "Pad Start; Enter"},
    {RETRO_DEVICE_ID_JOYPAD_SELECT, "ollendor_pad_select", "Pad Select; Space"},
};
constexpr size_t padButtonCount = sizeof padButtons / sizeof padButtons[0];
uint8_t padKey[padButtonCount];

uint8_t keyOfChoice(const char* value)
{
    static const struct { const char* name; uint8_t key; } named[] = {
        {"Space", 0x20}, {"Enter", 0x0D}, {"Shift", 0x10}, {"Ctrl", 0x11},
        {"Tab", 0x09}, {"Backspace", 0x08}, {"Delete", 0x2E},
    };
    if (!value)
        return 0;
    for (const auto& entry : named)
        if (std::strcmp(value, entry.name) == 0)
            return entry.key;
    if (std::strlen(value) == 1 && ((value[0] >= 'A' && value[0] <= 'Z') || (value[0] >= '0' && value[0] <= '9')))
        return uint8_t(value[0]);
    return 0;
}

void declareOptions()
{
    // Each choice list starts with the default; the others follow without repeating it.
    static std::vector<std::string> values;
    static std::vector<retro_variable> variables;
    values.clear();
    variables.clear();
    for (const PadButton& button : padButtons) {
        std::string value = button.definition;
        const std::string first = value.substr(value.find("; ") + 2);
        std::string rest = keyChoices;
        rest.replace(rest.find("|" + first + "|"), first.size() + 1, "");
        values.push_back(value + rest);
    }
    for (size_t i = 0; i < padButtonCount; ++i)
        variables.push_back({padButtons[i].option, values[i].c_str()});
    variables.push_back({nullptr, nullptr});
    environment(RETRO_ENVIRONMENT_SET_VARIABLES, variables.data());
}

void readOptions()
{
    for (size_t i = 0; i < padButtonCount; ++i) {
        retro_variable variable{padButtons[i].option, nullptr};
        const std::string fallback = std::string(padButtons[i].definition).substr(
            std::string(padButtons[i].definition).find("; ") + 2);
        padKey[i] = environment(RETRO_ENVIRONMENT_GET_VARIABLE, &variable) && variable.value
                        ? keyOfChoice(variable.value)
                        : keyOfChoice(fallback.c_str());
    }
}

void describeInputs()
{
    static const retro_input_descriptor descriptors[] = {
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_UP, "Cursor up"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_DOWN, "Cursor down"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_LEFT, "Cursor left"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_RIGHT, "Cursor right"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_A, "Key (option Pad A)"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_B, "Key (option Pad B)"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_X, "Key (option Pad X)"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_Y, "Key (option Pad Y)"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_START, "Key (option Pad Start)"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_SELECT, "Key (option Pad Select)"},
        {0, 0, 0, 0, nullptr},
    };
    environment(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, const_cast<retro_input_descriptor*>(descriptors));
}

void RETRO_CALLCONV keyboardEvent(bool down, unsigned keycode, uint32_t, uint16_t modifiers)
{
    if (!core)
        return;
    core->setCapsLock((modifiers & RETROKMOD_CAPSLOCK) != 0);
    core->keyboardKey(virtualKeyOfRetroKey(keycode), down);
}

void pollPad()
{
    inputPoll();
    static constexpr struct { unsigned id; uint8_t key; } cursor[] = {
        {RETRO_DEVICE_ID_JOYPAD_UP, 0x26}, {RETRO_DEVICE_ID_JOYPAD_DOWN, 0x28},
        {RETRO_DEVICE_ID_JOYPAD_LEFT, 0x25}, {RETRO_DEVICE_ID_JOYPAD_RIGHT, 0x27},
    };
    uint8_t held[4 + padButtonCount];
    size_t count = 0;
    for (const auto& c : cursor)
        if (inputState(0, RETRO_DEVICE_JOYPAD, 0, c.id))
            held[count++] = c.key;
    for (size_t i = 0; i < padButtonCount; ++i)
        if (padKey[i] != 0 && inputState(0, RETRO_DEVICE_JOYPAD, 0, padButtons[i].id))
            held[count++] = padKey[i];
    core->setPadKeys({held, count});
}

} // namespace

extern "C" {

RETRO_API unsigned retro_api_version(void) { return RETRO_API_VERSION; }

RETRO_API void retro_set_environment(retro_environment_t callback)
{
    environment = callback;
    bool noGame = true;
    environment(RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, &noGame);
    retro_log_callback log{};
    logPrintf = environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &log) ? log.log : nullptr;
    retro_vfs_interface_info vfsInfo{1, nullptr};
    vfs = environment(RETRO_ENVIRONMENT_GET_VFS_INTERFACE, &vfsInfo) ? vfsInfo.iface : nullptr;
    declareOptions();
}

RETRO_API void retro_set_video_refresh(retro_video_refresh_t callback) { videoRefresh = callback; }
RETRO_API void retro_set_audio_sample(retro_audio_sample_t) {}
RETRO_API void retro_set_audio_sample_batch(retro_audio_sample_batch_t callback) { audioBatch = callback; }
RETRO_API void retro_set_input_poll(retro_input_poll_t callback) { inputPoll = callback; }
RETRO_API void retro_set_input_state(retro_input_state_t callback) { inputState = callback; }

RETRO_API void retro_init(void) { core = std::make_unique<RetroCore>(logLine); }
RETRO_API void retro_deinit(void) { core.reset(); }

RETRO_API void retro_get_system_info(retro_system_info* info)
{
    *info = retro_system_info{};
    info->library_name = "Ollendor";
    info->library_version = "1.0";
    // Tapes are at most 64 KiB and states about 100 KiB: the frontend reads the content.
    info->valid_extensions = "mtx|ollstate";
    info->need_fullpath = false;
    info->block_extract = false;
}

RETRO_API void retro_get_system_av_info(retro_system_av_info* info)
{
    *info = retro_system_av_info{};
    info->geometry.base_width = info->geometry.max_width = RetroCore::width;
    info->geometry.base_height = info->geometry.max_height = RetroCore::height;
    info->geometry.aspect_ratio = 4.0f / 3.0f;
    info->timing.fps = RetroCore::framesPerSecond;
    info->timing.sample_rate = RetroCore::sampleRate;
}

RETRO_API void retro_set_controller_port_device(unsigned, unsigned) {}

RETRO_API bool retro_load_game(const retro_game_info* game)
{
    retro_pixel_format format = RETRO_PIXEL_FORMAT_XRGB8888;
    if (!environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format)) {
        logLine(3, "the frontend cannot show XRGB8888 pictures");
        return false;
    }
    retro_keyboard_callback keyboard{keyboardEvent};
    environment(RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK, &keyboard);
    describeInputs();
    readOptions();

    // ROM images come from <system folder>/ollendor; without them the built-in set runs.
    const char* system = nullptr;
    std::string folder = "ollendor";
    if (environment(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, &system) && system && *system) {
        folder = std::string(system);
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        folder += "/ollendor";
    }
    core->start(coreRomSet(folder, readWhole, nullptr, logLine));

    if (game && game->data && game->size > 0) {
        std::string error;
        const auto* bytes = static_cast<const uint8_t*>(game->data);
        if (!core->loadContent({bytes, game->size}, error)) {
            logLine(3, ("cannot use " + std::string(game->path ? game->path : "the content") + ": " + error).c_str());
            return false;
        }
    } else if (game && game->path) {
        logLine(3, ("the content " + std::string(game->path) + " is empty").c_str());
        return false;
    }
    return true;
}

RETRO_API bool retro_load_game_special(unsigned, const retro_game_info*, size_t) { return false; }
RETRO_API void retro_unload_game(void) {}
RETRO_API unsigned retro_get_region(void) { return RETRO_REGION_PAL; }
RETRO_API void retro_reset(void) { core->reset(); }

RETRO_API void retro_run(void)
{
    bool updated = false;
    if (environment(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated) && updated)
        readOptions();
    pollPad();
    core->runFrame();
    videoRefresh(core->pixels(), RetroCore::width, RetroCore::height, RetroCore::width * 4);
    const std::span<const int16_t> mono = core->samples();
    int16_t stereo[2 * CoreSound::samplesPerFrame];
    for (size_t i = 0; i < mono.size(); ++i)
        stereo[2 * i] = stereo[2 * i + 1] = mono[i];
    audioBatch(stereo, mono.size());
}

RETRO_API size_t retro_serialize_size(void) { return core->stateSize(); }

RETRO_API bool retro_serialize(void* data, size_t size)
{
    return core->saveState({static_cast<uint8_t*>(data), size});
}

RETRO_API bool retro_unserialize(const void* data, size_t size)
{
    std::string error;
    if (core->loadState({static_cast<const uint8_t*>(data), size}, error))
        return true;
    logLine(3, ("cannot load the state: " + error).c_str());
    return false;
}

RETRO_API void retro_cheat_reset(void) {}
RETRO_API void retro_cheat_set(unsigned, bool, const char*) {}

// RETRO_MEMORY_SYSTEM_RAM: the machine's whole page store as one block of 1 MiB, page p at
// offset p * 65536 and each byte at its CPU address within the page; the first 16 KiB of
// pages 0-7 hold the ROM slots (changing them changes the ROM).
RETRO_API void* retro_get_memory_data(unsigned id)
{
    return id == RETRO_MEMORY_SYSTEM_RAM && core ? &core->machine().memory.page[0][0] : nullptr;
}

RETRO_API size_t retro_get_memory_size(unsigned id)
{
    return id == RETRO_MEMORY_SYSTEM_RAM ? size_t(pageCount) * pageSize : 0;
}

} // extern "C"
