#include "frontend/settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <functional>
#include <sstream>
#include <system_error>

#include <toml++/toml.h>

#include "files/file_open.h"
#include "files/message_text.h"
#include "files/safe_file.h"

namespace ollendor {

namespace fs = std::filesystem;

namespace {

constexpr size_t largestSettingsFile = 1 << 20; // far beyond anything written here

// Every key that can be bound, for moving actions out of each other's way.
constexpr const char* keyNames[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9",
                                    "F10", "F11", "F12", "Pause", "Insert", "Home", "PageUp",
                                    "End", "PageDown"};

bool validUtf8(const std::string& text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        if (byte >= 0x80)
            extra = (byte & 0xE0) == 0xC0 ? 1 : (byte & 0xF0) == 0xE0 ? 2 : (byte & 0xF8) == 0xF0 ? 3 : 4;
        if (extra == 4 || i + extra >= text.size())
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

// Reads the whole file; an empty optional with the reason when it cannot be read.
std::optional<std::string> readWhole(const fs::path& file, std::string& why)
{
    const OpenedFile opened = openRegularFile(file.c_str());
    if (!opened.file) {
        why = opened.why;
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, opened.file)) > 0) {
        text.append(buffer, got);
        if (text.size() > largestSettingsFile) {
            std::fclose(opened.file);
            why = "it is larger than 1 MiB";
            return std::nullopt;
        }
    }
    const bool failed = std::ferror(opened.file) != 0;
    std::fclose(opened.file);
    if (failed) {
        why = "a read failed";
        return std::nullopt;
    }
    return text;
}

// The most parts a dotted key (or table name) may have. The TOML library reads each part
// by recursion with no bound of its own, so a name of tens of thousands of parts would
// overflow the stack; no setting has more than two.
constexpr size_t mostKeyParts = 64;

// The line of the first dotted key with more than mostKeyParts parts, if any: dots outside
// strings and comments, counted from the last character that cannot be inside a key (=,
// comma, brackets, braces, line end). A float such as 1.5 counts as two parts, harmless here.
std::optional<size_t> overlongKeyLine(std::string_view text)
{
    size_t line = 1;
    size_t parts = 1;
    size_t i = 0;
    auto startsWith = [&](std::string_view what) { return text.substr(i, what.size()) == what; };
    auto skip = [&](size_t count) {
        for (; count > 0 && i < text.size(); --count)
            line += text[i++] == '\n' ? 1 : 0;
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '#') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (startsWith("\"\"\"") || startsWith("'''")) {
            const std::string close(text.substr(i, 3));
            skip(3);
            while (i < text.size() && !startsWith(close))
                skip(close[0] == '"' && text[i] == '\\' ? 2 : 1);
            skip(3);
        } else if (c == '"' || c == '\'') {
            ++i;
            while (i < text.size() && text[i] != c && text[i] != '\n')
                i += c == '"' && text[i] == '\\' && i + 1 < text.size() && text[i + 1] != '\n' ? 2 : 1;
            if (i < text.size() && text[i] == c)
                ++i;
        } else {
            if (c == '.' && ++parts > mostKeyParts)
                return line;
            if (c == '=' || c == ',' || c == '[' || c == ']' || c == '{' || c == '}' || c == '\n')
                parts = 1;
            skip(1);
        }
    }
    return std::nullopt;
}

// The first free name for keeping a bad file: settings.toml.bad, then .bad.1, .bad.2 ...
fs::path keptName(const fs::path& file)
{
    fs::path kept = file;
    kept += ".bad";
    for (int n = 1; n < 1000; ++n) {
        std::error_code error;
        if (!fs::exists(fs::symlink_status(kept, error)))
            return kept;
        kept = file;
        kept += ".bad." + std::to_string(n);
    }
    return kept;
}

// Takes the values out of the parsed file, warning of each one that cannot be used.
class SettingsReader {
public:
    SettingsReader(const fs::path& file, Settings& settings, std::vector<std::string>& warnings)
        : file_(file.string()), settings_(settings), warnings_(warnings)
    {
    }

    void read(const toml::table& root)
    {
        for (auto&& [key, node] : root) {
            const std::string name(key.str());
            const toml::table* section = node.as_table();
            if (name != "window" && name != "speed" && name != "sound" && name != "folders" &&
                name != "tapes" && name != "windows" && name != "keys" && name != "ui") {
                warn(node, name, "not a setting of this program; ignored");
                continue;
            }
            if (!section) {
                warn(node, name, "should be a section ([" + name + "]); ignored");
                continue;
            }
            for (auto&& [entryKey, entry] : *section)
                readEntry(name, std::string(entryKey.str()), entry);
        }
        readKeys(root);
    }

private:
    void warn(const toml::node& node, const std::string& key, const std::string& what)
    {
        warnings_.push_back("ollendor: settings file " + file_ + ", line " +
                            std::to_string(node.source().begin.line) + ": " + key + ": " + what);
    }

    // `fallback` says what is used instead of a bad value; by default "the default N".
    void integer(const toml::node& node, const std::string& key, int64_t min, int64_t max, int& target,
                 const std::string& fallback = {})
    {
        const std::string instead = fallback.empty() ? "the default " + std::to_string(target) : fallback;
        const auto value = node.value_exact<int64_t>();
        if (!value) {
            warn(node, key, "not a whole number; " + instead + " is used");
            return;
        }
        if (*value < min || *value > max) {
            warn(node, key, std::to_string(*value) + " is out of range (" + std::to_string(min) + " to " +
                                std::to_string(max) + "); " + instead + " is used");
            return;
        }
        target = int(*value);
    }

    void boolean(const toml::node& node, const std::string& key, bool& target)
    {
        if (const auto value = node.value_exact<bool>())
            target = *value;
        else
            warn(node, key, std::string("not true or false; the default ") + (target ? "true" : "false") + " is used");
    }

    // A width or height of 0 stands for the size that follows from the scale (960 x 619 at
    // the default scale of 3), not for a window of no size.
    static std::string sizeFallback(const char* what, int current)
    {
        if (current > 0)
            return "the " + std::string(what) + " " + std::to_string(current);
        return std::string("the ") + what + " that follows from the scale (" +
               (std::string(what) == "width" ? "960" : "619") + " at the default scale of 3)";
    }

    // "auto", or a size from 0.5 to 4 (1 is the default font's 13 pixels).
    void uiScale(const toml::node& node, const std::string& key)
    {
        if (const auto text = node.value_exact<std::string>(); text && *text == "auto") {
            settings_.uiScale = 0;
            return;
        }
        const std::optional<double> value = node.is_integer() || node.is_floating_point() ? node.value<double>() : std::nullopt;
        if (!value || !(*value >= 0.5 && *value <= 4.0)) {
            warn(node, key, "should be \"auto\" or a number from 0.5 to 4; \"auto\" used");
            settings_.uiScale = 0;
            return;
        }
        settings_.uiScale = *value;
    }

    std::optional<fs::path> folder(const toml::node& node, const std::string& key)
    {
        const auto value = node.value_exact<std::string>();
        if (!value || value->empty() || value->find('\0') != std::string::npos) {
            warn(node, key, "not a folder name; ignored");
            return std::nullopt;
        }
        return fs::path(*value);
    }

    void stringList(const toml::node& node, const std::string& key, const std::function<void(const std::string&)>& add)
    {
        const toml::array* array = node.as_array();
        if (!array) {
            warn(node, key, "not a list of names; ignored");
            return;
        }
        for (const toml::node& item : *array) {
            const auto value = item.value_exact<std::string>();
            if (!value || value->empty() || value->find('\0') != std::string::npos)
                warn(item, key, "an entry that is not a name; ignored");
            else
                add(*value);
        }
    }

    void readEntry(const std::string& section, const std::string& name, const toml::node& node)
    {
        const std::string key = section + "." + name;
        WindowSettings& window = settings_.window;
        if (section == "window" && name == "scale")
            integer(node, key, 1, 16, window.scale);
        else if (section == "window" && name == "width")
            integer(node, key, 64, 16384, window.width, sizeFallback("width", window.width));
        else if (section == "window" && name == "height")
            integer(node, key, 64, 16384, window.height, sizeFallback("height", window.height));
        else if (section == "window" && (name == "x" || name == "y")) {
            int value = 0;
            const size_t before = warnings_.size();
            integer(node, key, -32768, 32767, value);
            if (warnings_.size() == before)
                (name == "x" ? window.x : window.y) = value;
        } else if (section == "window" && name == "fullscreen")
            boolean(node, key, window.fullscreen);
        else if (section == "window" && name == "maximized")
            boolean(node, key, window.maximized);
        else if (section == "speed" && name == "limited")
            boolean(node, key, settings_.speedLimited);
        else if (section == "sound" && name == "volume")
            integer(node, key, 0, 100, settings_.volume);
        else if (section == "sound" && name == "muted")
            boolean(node, key, settings_.muted);
        else if (section == "folders" && name == "roms")
            settings_.romFolder = folder(node, key);
        else if (section == "folders" && name == "tapes")
            settings_.tapeFolder = folder(node, key);
        else if (section == "tapes" && name == "recent")
            stringList(node, key, [this](const std::string& tape) {
                if (settings_.recentTapes.size() < recentTapesKept)
                    settings_.recentTapes.emplace_back(tape);
            });
        else if (section == "windows" && name == "debugger")
            boolean(node, key, settings_.debuggerShown);
        else if (section == "windows" && name == "open")
            stringList(node, key, [this](const std::string& window) {
                for (const std::string& open : settings_.openWindows)
                    if (open == window)
                        return;
                settings_.openWindows.push_back(window);
            });
        else if (section == "ui" && name == "scale")
            uiScale(node, key);
        else if (section != "keys")
            warn(node, key, "not a setting of this program; ignored");
    }

    // [keys]: each action's key. A key named for two actions goes to the first; an action
    // whose key another action keeps by default takes it only if that one moves too.
    void readKeys(const toml::table& root)
    {
        const toml::table* keys = root["keys"].as_table();
        if (!keys)
            return;
        std::array<std::optional<KeyBinding>, hotkeyCount> asked;
        std::array<const toml::node*, hotkeyCount> where{};
        for (auto&& [entryKey, node] : *keys) {
            const std::string name(entryKey.str());
            const std::string key = "keys." + name;
            const std::optional<Hotkey> action = parseHotkeyName(name);
            if (!action) {
                warn(node, key, "not an action of this program; ignored");
                continue;
            }
            const auto text = node.value_exact<std::string>();
            const std::optional<KeyBinding> binding = text ? parseKeyBinding(*text) : std::nullopt;
            if (!binding) {
                warn(node, key, "not a key that can be given (F1-F12, Pause, Insert, Home, End, PageUp, "
                                "PageDown, each with or without Shift+); the default " +
                                    keyBindingName(settings_.keys[size_t(*action)]) + " is kept");
                continue;
            }
            // F11 became the full-screen key: what had it keeps its new default, unsaid
            // (every file written before has mute = "F11").
            if (*binding == fullscreenKey)
                continue;
            asked[size_t(*action)] = binding;
            where[size_t(*action)] = &node;
        }
        // Refuses, until none is left, any asked key that another action has in the result.
        std::array<KeyBinding, hotkeyCount> result = settings_.keys;
        for (size_t i = 0; i < hotkeyCount; ++i)
            if (asked[i])
                result[i] = *asked[i];
        for (bool changed = true; changed;) {
            changed = false;
            for (size_t i = 0; i < hotkeyCount && !changed; ++i) {
                if (!asked[i])
                    continue;
                for (size_t j = 0; j < hotkeyCount; ++j) {
                    if (j == i || !(result[j] == result[i]))
                        continue;
                    // The later entry in the file gives way; one not in the file keeps its key.
                    const bool iGives = !asked[j] || where[j]->source().begin.line < where[i]->source().begin.line ||
                                        (where[j]->source().begin.line == where[i]->source().begin.line && j < i);
                    const size_t loser = iGives ? i : j;
                    warn(*where[loser], "keys." + std::string(hotkeyName(Hotkey(loser))),
                         keyBindingName(result[loser]) + " is already the key of " + hotkeyName(Hotkey(iGives ? j : i)) +
                             "; the default " + keyBindingName(settings_.keys[loser]) + " is kept");
                    asked[loser].reset();
                    result[loser] = settings_.keys[loser];
                    changed = true;
                    break;
                }
            }
        }
        settings_.keys = result;
    }

    std::string file_;
    Settings& settings_;
    std::vector<std::string>& warnings_;
};

} // namespace

fs::path settingsFilePath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // The base folder must be absolute; a relative one is to be ignored.
    if (config && config[0] == '/')
        return fs::path(config) / "ollendor" / "settings.toml";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/')
        return {}; // nowhere to keep them (never the current folder)
    return fs::path(home) / ".config" / "ollendor" / "settings.toml";
}

SettingsLoad loadSettings(const fs::path& file)
{
    SettingsLoad load;
    std::error_code error;
    if (fs::symlink_status(file, error).type() == fs::file_type::not_found)
        return load; // the first run: nothing to read
    const std::string shown = file.string();
    std::string why;
    const std::optional<std::string> text = readWhole(file, why);
    if (!text) {
        load.warnings.push_back("ollendor: cannot read the settings file " + shown + ": " + why +
                                "; starting with the default settings, and the file is not written this run");
        load.writable = false;
        return load;
    }

    std::vector<std::string> problems;
    Settings settings;
    bool parsed = true;
    try {
        if (const std::optional<size_t> line = overlongKeyLine(*text)) {
            // Refused before the TOML library sees it (see mostKeyParts).
            parsed = false;
            problems.push_back("ollendor: settings file " + shown + ", line " + std::to_string(*line) +
                               ": a key or table name of more than " + std::to_string(mostKeyParts) +
                               " dotted parts; starting with the default settings");
        } else {
            const toml::table root = toml::parse(*text, shown);
            SettingsReader(file, settings, problems).read(root);
        }
    } catch (const toml::parse_error& failure) {
        parsed = false;
        problems.push_back("ollendor: settings file " + shown + ", line " +
                           std::to_string(failure.source().begin.line) + ": " + std::string(failure.description()) +
                           "; starting with the default settings");
    }
    if (parsed)
        load.settings = settings;
    if (problems.empty())
        return load;

    // Keep what the user wrote before anything is written over it.
    const fs::path kept = keptName(file);
    const std::string keptError = writeFileSafely(kept, std::span(reinterpret_cast<const uint8_t*>(text->data()), text->size()));
    if (keptError.empty()) {
        problems.push_back("ollendor: the settings file as it was is kept as " + kept.string());
    } else {
        problems.push_back("ollendor: cannot keep the settings file as " + escapedName(kept.string()) + " (" + keptError +
                           "); it is not written this run");
        load.writable = false;
    }
    load.warnings = std::move(problems);
    return load;
}

std::string settingsText(const Settings& settings)
{
    auto pathText = [](const fs::path& path) -> std::optional<std::string> {
        std::string text = path.string();
        // A name TOML cannot hold (not UTF-8) is left out rather than written wrong.
        if (text.empty() || !validUtf8(text))
            return std::nullopt;
        return text;
    };
    toml::table window{{"scale", settings.window.scale}, {"fullscreen", settings.window.fullscreen}, {"maximized", settings.window.maximized}};
    if (settings.window.width > 0 && settings.window.height > 0) {
        window.insert("width", settings.window.width);
        window.insert("height", settings.window.height);
    }
    if (settings.window.x && settings.window.y) {
        window.insert("x", *settings.window.x);
        window.insert("y", *settings.window.y);
    }
    toml::table folders;
    if (settings.romFolder)
        if (auto text = pathText(*settings.romFolder))
            folders.insert("roms", *text);
    if (settings.tapeFolder)
        if (auto text = pathText(*settings.tapeFolder))
            folders.insert("tapes", *text);
    toml::array recent;
    for (const fs::path& tape : settings.recentTapes)
        if (auto text = pathText(tape))
            recent.push_back(*text);
    toml::array open;
    for (const std::string& name : settings.openWindows)
        if (validUtf8(name))
            open.push_back(name);
    toml::table keys;
    for (size_t i = 0; i < hotkeyCount; ++i)
        keys.insert(hotkeyName(Hotkey(i)), keyBindingName(settings.keys[i]));

    toml::table root{
        {"window", window},
        {"speed", toml::table{{"limited", settings.speedLimited}}},
        {"sound", toml::table{{"volume", settings.volume}, {"muted", settings.muted}}},
        {"folders", folders},
        {"tapes", toml::table{{"recent", recent}}},
        {"windows", toml::table{{"open", open}, {"debugger", settings.debuggerShown}}},
        {"keys", keys},
    };
    if (settings.uiScale > 0)
        root.insert("ui", toml::table{{"scale", settings.uiScale}});
    else
        root.insert("ui", toml::table{{"scale", "auto"}});
    std::ostringstream out;
    out << "# Ollendor's settings, written when it quits. The command line overrides them.\n\n" << root << "\n";
    return out.str();
}

std::string saveSettings(const fs::path& file, const Settings& settings)
{
    std::error_code error;
    if (file.has_parent_path()) {
        fs::create_directories(file.parent_path(), error);
        if (error)
            return "cannot make the folder " + escapedName(file.parent_path().string()) + ": " + error.message();
    }
    const std::string text = settingsText(settings);
    return writeFileSafely(file, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

void rememberTape(Settings& settings, const fs::path& tape)
{
    auto& recent = settings.recentTapes;
    std::erase(recent, tape);
    recent.insert(recent.begin(), tape);
    if (recent.size() > recentTapesKept)
        recent.resize(recentTapesKept);
}

void applyKeys(HotkeyMap& map, const std::array<KeyBinding, hotkeyCount>& keys)
{
    // Each action first moves to a key nobody has or will have, so that swapped keys (F2 and
    // F3 exchanged, say) never meet on the way.
    std::vector<KeyBinding> spare;
    for (bool shift : {true, false})
        for (const char* name : keyNames) {
            KeyBinding key = *parseKeyBinding(name);
            key.shift = shift;
            bool used = false;
            for (size_t i = 0; i < hotkeyCount; ++i)
                used = used || keys[i] == key || map.key(Hotkey(i)) == key;
            if (!used)
                spare.push_back(key);
        }
    std::string error;
    for (size_t i = 0; i < hotkeyCount && i < spare.size(); ++i)
        map.bind(Hotkey(i), spare[i], error);
    for (size_t i = 0; i < hotkeyCount; ++i)
        map.bind(Hotkey(i), keys[i], error);
}

} // namespace ollendor
