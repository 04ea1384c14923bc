#include "frontend/options.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include <CLI/CLI.hpp>

#include "control/key_typist.h"
#include "debug/address_text.h"
#include "files/message_text.h"
#include "host/process_start.h"

namespace ollendor {

namespace {

// A whole number from min to max. CLI11's own range check calls anything it cannot read
// "not in range"; this one says whether the text is no number at all or one out of range,
// and leaves the value in plain digits for the conversion that follows.
CLI::Validator wholeNumber(unsigned long long min, unsigned long long max)
{
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    return CLI::Validator(
        [min, max, range](std::string& text) -> std::string {
            const bool negative = !text.empty() && text[0] == '-';
            const std::size_t first = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
            const char* begin = text.data() + first;
            const char* end = text.data() + text.size();
            unsigned long long value = 0;
            const auto [stop, error] = std::from_chars(begin, end, value);
            const bool tooLarge = error == std::errc::result_out_of_range;
            if (begin == end || stop != end || (error != std::errc() && !tooLarge))
                return "'" + escapedForMessage(text) + "' is not a whole number";
            if (tooLarge || (negative && value != 0) || value < min || value > max)
                return escapedForMessage(text) + " is out of range (" + range + ")";
            text = std::to_string(value);
            return {};
        },
        "INT in " + range);
}

// Help and version text go to standard output; a full disk or a closed pipe there is a
// failure to report, not a success.
int finishStandardOutput()
{
    if (standardDescriptorWasClosed(1)) {
        // It writes to /dev/null since the start: what was asked for went nowhere.
        std::fprintf(stderr, "ollendor: cannot write to standard output: it was closed\n");
        return 1;
    }
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "ollendor: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

// The values as typed, before they are checked and taken into Options.
struct RawOptions {
    std::string romDir, tapeDir, screenshot, wav, typeText, loadState, saveState, record, replay, tape, mcpToken;
    std::string renderer = "auto";
    int mcpHttpPort = 0;
    std::vector<std::string> symbols, loads;
    std::string start, loadDir;
};

// Every option, its text for --help, and where its value goes.
void declareOptions(CLI::App& app, Options& options, RawOptions& raw)
{
    app.add_option("--rom-dir", raw.romDir, "Folder holding osrom, basicrom and assemrom, searched after the current folder and before ~/.local/share/ollendor/roms")
        ->check(CLI::ExistingDirectory);
    app.add_option("--tape-dir", raw.tapeDir, "Folder holding the tape images (default: tapes)")
        ->check(CLI::ExistingDirectory);
    app.add_flag("--headless", options.headless,
                 "Run without a window or sound device, as fast as possible (at the machine's speed with an "
                 "automation server, unless --unconstrained)");
    app.add_option("--frames", options.frames, "Stop after N rendered frames")->check(wholeNumber(1, 100000000));
    app.add_option("--screenshot", raw.screenshot, "Write the last rendered frame as a PNG file at exit");
    app.add_option("--wav", raw.wav, "Write the sound output to a WAV file, on emulated time (needs --headless)");
    app.add_option("--type", raw.typeText, "Type TEXT on the emulated keyboard after start (\\n is Enter)");
    app.add_flag("--unconstrained", options.unconstrained, "Start with the speed limit off");
    app.add_flag("--no-sound", options.noSound, "Do not open the sound device");
    app.add_option("--scale", options.scale, "Show the picture at N times its size (default 3)")->check(wholeNumber(1, 16));
    app.add_flag("--fullscreen", options.fullscreen, "Start in full-screen output");
    app.add_option("--load-state", raw.loadState, "Start from the machine saved in FILE instead of power-on");
    app.add_option("--save-state", raw.saveState, "Save the machine to FILE when the run ends");
    app.add_option("--record", raw.record, "Record the run (start state and every input) to FILE");
    app.add_option("--replay", raw.replay, "Replay the recording in FILE, then go on live (or end, headless)");
    app.add_option("--renderer", raw.renderer, "How the windows are drawn: auto (software where the GL runs on the CPU), software or accelerated")
        ->check(CLI::IsMember({"auto", "software", "accelerated"}));
    app.add_option("FILE", raw.tape, "A tape image to mount: every tape load reads it, whatever name the program asks for");
    app.add_flag("--paused", options.paused, "Start with the machine paused (for the debugger or an automation client)");
    app.add_flag("--mcp-stdio", options.mcpStdio,
                 "Serve the automation protocol (MCP) on standard input and output; headless, the run ends "
                 "when standard input does");
    app.add_option("--mcp-http", raw.mcpHttpPort, "Serve the automation protocol (MCP) over HTTP on 127.0.0.1:PORT "
                                              "(0: any free port, shown on standard error)")
        ->check(wholeNumber(0, 65535));
    app.add_option("--mcp-token", raw.mcpToken, "Require TOKEN as a bearer token on every HTTP request");
    app.add_option("--symbols", raw.symbols,
                   "Load the debugger's symbols from a label file written by z80asm or pasmo; may be repeated")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1)
        ->allow_extra_args(false);

    app.add_option("--load", raw.loads,
                   "Put the bytes of FILE into memory at ADDRESS (FILE@ADDRESS; 0x8000, $8000, 8000h, 32768 "
                   "or a symbol with +N) after power-on; may be repeated")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1)
        ->allow_extra_args(false);
    app.add_option("--start", raw.start, "Let the CPU go on from ADDRESS (after the --load files)");
    app.add_option("--start-frame", options.startFrame,
                   "Load the --load files and jump to --start after N frames (a ROM set initialises first)")
        ->check(wholeNumber(1, 100000000));
    app.add_option("--load-dir", raw.loadDir, "Folder the load_binary tool may read files from over HTTP "
                                          "(besides the ROM and tape folders)")
        ->check(CLI::ExistingDirectory);
}

void nameValuesPlainly(CLI::App& app)
{
    // The help names each value plainly ("--rom-dir DIR", "--frames N"), without the
    // library's type and check tags ("TEXT:DIR", "UINT:INT in 1 to 100000000"); what a
    // value may be is in the option's text.
    const std::pair<const char*, const char*> valueNames[] = {
        {"--rom-dir", "DIR"},     {"--tape-dir", "DIR"},     {"--frames", "N"},        {"--screenshot", "FILE"},
        {"--wav", "FILE"},        {"--type", "TEXT"},        {"--scale", "N"},         {"--load-state", "FILE"},
        {"--save-state", "FILE"}, {"--record", "FILE"},      {"--replay", "FILE"},     {"--renderer", "MODE"},
        {"--mcp-http", "PORT"},   {"--mcp-token", "TOKEN"},  {"--symbols", "FILE"},    {"FILE", ""},
        {"--load", "FILE@ADDRESS"}, {"--start", "ADDRESS"},  {"--start-frame", "N"},   {"--load-dir", "DIR"},
    };
    for (const auto& [name, value] : valueNames) {
        CLI::Option* option = app.get_option_no_throw(name);
        if (!option)
            continue;
        option->type_name(value);
        try {
            for (int i = 0;; ++i)
                option->get_validator(i)->description("");
        } catch (const CLI::OptionNotFound&) {
            // no more checks
        }
    }
}

// The folders and files: each a name, no two outputs to one file, no replay with a state
// or typed text of its own. Each check below says what is wrong on standard error and
// gives false.
bool takeFiles(const CLI::App& app, const RawOptions& raw, Options& options)
{
    if (!raw.romDir.empty())
        options.romDir = raw.romDir;
    options.scaleGiven = app.count("--scale") != 0;
    options.renderer = parseRendererChoice(raw.renderer).value_or(RendererChoice::automatic);
    if (app.count("FILE")) {
        if (raw.tape.empty()) {
            std::fprintf(stderr, "ollendor: the tape file name is empty\n");
            return false;
        }
        options.tape = raw.tape;
    }
    if (!raw.tapeDir.empty())
        options.tapeDir = raw.tapeDir;
    if (app.count("--screenshot")) {
        if (raw.screenshot.empty()) {
            std::fprintf(stderr, "ollendor: --screenshot: the file name is empty\n");
            return false;
        }
        options.screenshot = raw.screenshot;
    }
    if (app.count("--wav")) {
        if (raw.wav.empty()) {
            std::fprintf(stderr, "ollendor: --wav: the file name is empty\n");
            return false;
        }
        if (!options.headless) {
            std::fprintf(stderr, "ollendor: --wav: needs --headless (the sound is written on emulated time)\n");
            return false;
        }
        options.wav = raw.wav;
    }
    // Each file option needs a name; what the files hold is checked when they are used.
    struct FileOption {
        const char* name;
        const std::string& value;
        std::optional<std::filesystem::path>& target;
    };
    for (const FileOption& file : {FileOption{"--load-state", raw.loadState, options.loadState},
                                   FileOption{"--save-state", raw.saveState, options.saveState},
                                   FileOption{"--record", raw.record, options.record},
                                   FileOption{"--replay", raw.replay, options.replay}}) {
        if (!app.count(file.name))
            continue;
        if (file.value.empty()) {
            std::fprintf(stderr, "ollendor: %s: the file name is empty\n", file.name);
            return false;
        }
        file.target = file.value;
    }
    // Two outputs to one file: one would overwrite the other at the end.
    const std::pair<const char*, const std::optional<std::filesystem::path>*> outputs[] = {
        {"--screenshot", &options.screenshot},
        {"--wav", &options.wav},
        {"--save-state", &options.saveState},
        {"--record", &options.record}};
    auto resolved = [](const std::filesystem::path& path) {
        // Made absolute first: a name with no existing part is otherwise left as it is.
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        const std::filesystem::path whole = std::filesystem::weakly_canonical(absolute, error);
        return (error ? absolute : whole).lexically_normal();
    };
    for (size_t first = 0; first < std::size(outputs); ++first)
        for (size_t second = first + 1; second < std::size(outputs); ++second) {
            const auto& a = *outputs[first].second;
            const auto& b = *outputs[second].second;
            if (a && b && resolved(*a) == resolved(*b)) {
                std::fprintf(stderr, "ollendor: %s and %s: both name '%s' (each needs a file of its own)\n",
                             outputs[first].first, outputs[second].first, escapedForMessage(a->string()).c_str());
                return false;
            }
        }
    if (options.replay && options.loadState) {
        std::fprintf(stderr, "ollendor: --replay and --load-state: a recording starts from its own state\n");
        return false;
    }
    if (options.replay && !raw.typeText.empty()) {
        std::fprintf(stderr, "ollendor: --replay and --type: a replay types what the recording holds\n");
        return false;
    }
    return true;
}

// The automation server, pausing and the debugger's symbols.
bool takeServer(const CLI::App& app, const RawOptions& raw, Options& options)
{
    if (app.count("--mcp-http"))
        options.mcpHttpPort = raw.mcpHttpPort;
    if (app.count("--mcp-token")) {
        if (!options.mcpHttpPort) {
            std::fprintf(stderr, "ollendor: --mcp-token: needs --mcp-http (the token guards the HTTP server)\n");
            return false;
        }
        if (raw.mcpToken.empty()) {
            std::fprintf(stderr, "ollendor: --mcp-token: the token is empty\n");
            return false;
        }
        options.mcpToken = raw.mcpToken;
    }
    if (options.paused && options.headless && !options.automation()) {
        std::fprintf(stderr, "ollendor: --paused with --headless: needs --mcp-stdio or --mcp-http (nothing could "
                             "resume the machine)\n");
        return false;
    }
    for (const std::string& file : raw.symbols) {
        if (file.empty()) {
            std::fprintf(stderr, "ollendor: --symbols: the file name is empty\n");
            return false;
        }
        options.symbols.emplace_back(file);
    }
    return true;
}

// Your own code: --load FILE@ADDRESS, --start ADDRESS, --start-frame N.
bool takeLoads(const CLI::App& app, const RawOptions& raw, Options& options)
{
    // An address that is a number alone is checked now; a symbol once the raw.symbols are loaded.
    auto badAddress = [](const char* option, const std::string& text) {
        if (text.empty()) {
            std::fprintf(stderr, "ollendor: %s: the address is empty\n", option);
            return true;
        }
        if (!isNumberText(text))
            return false;
        const AddressText read = readAddressText(text, nullptr);
        if (!read.value) {
            std::fprintf(stderr, "ollendor: %s: %s\n", option, escapedForMessage(read.error).c_str());
            return true;
        }
        if (*read.value > 0xFFFF) {
            std::fprintf(stderr, "ollendor: %s: the address %s is past the end of memory ($FFFF)\n", option,
                         escapedForMessage(text).c_str());
            return true;
        }
        return false;
    };
    for (const std::string& load : raw.loads) {
        const std::size_t at = load.rfind('@');
        if (at == std::string::npos) {
            std::fprintf(stderr, "ollendor: --load: '%s' is not FILE@ADDRESS\n", escapedForMessage(load).c_str());
            return false;
        }
        if (at == 0) {
            std::fprintf(stderr, "ollendor: --load: the file name is empty\n");
            return false;
        }
        const std::string address = load.substr(at + 1);
        if (badAddress("--load", address))
            return false;
        options.loads.push_back({load.substr(0, at), address});
    }
    if (app.count("--start")) {
        if (badAddress("--start", raw.start))
            return false;
        options.start = raw.start;
    }
    if (app.count("--start-frame") && options.loads.empty() && !options.start) {
        std::fprintf(stderr, "ollendor: --start-frame: needs --load or --start (it says when they happen)\n");
        return false;
    }
    if (options.replay && (!options.loads.empty() || options.start)) {
        std::fprintf(stderr, "ollendor: --replay with --load or --start: a replay runs what the recording holds\n");
        return false;
    }
    if (!raw.loadDir.empty())
        options.loadDir = raw.loadDir;
    return true;
}

// The text to type: every character must have a key.
bool takeTyping(const RawOptions& raw, Options& options)
{
    options.typeText = unescapeTypedText(raw.typeText);
    const std::size_t bad = KeyTypist::firstUntypable(options.typeText);
    if (bad != std::string::npos) {
        const std::string shown = escapedForMessage(characterAt(options.typeText, bad));
        std::fprintf(stderr, "ollendor: --type: the character '%s' has no key\n", shown.c_str());
        return false;
    }
    return true;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    Options options;
    CLI::App app{"Ollendor: an emulator of the Memotech MTX home computer", "ollendor"};
    app.set_version_flag("--version", "ollendor " OLLENDOR_VERSION);
    RawOptions raw;
    declareOptions(app, options, raw);
    nameValuesPlainly(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return {false, finishStandardOutput(), {}};
    } catch (const CLI::CallForVersion&) {
        std::puts("ollendor " OLLENDOR_VERSION);
        return {false, finishStandardOutput(), {}};
    } catch (const CLI::ParseError& error) {
        // An option that takes a value, given twice: which one to keep would be a guess.
        for (const CLI::Option* option : app.get_options())
            if (option->get_type_size() != 0 && option->count() > 1 && !option->get_lnames().empty()) {
                std::fprintf(stderr, "ollendor: --%s: given %zu times (once at most)\n",
                             option->get_lnames().front().c_str(), option->count());
                return {false, exitBadCommandLine, {}};
            }
        // The message may quote the arguments: shown escaped, on one line.
        std::fprintf(stderr, "ollendor: %s\n", escapedForMessage(error.what()).c_str());
        return {false, exitBadCommandLine, {}};
    }

    if (!takeFiles(app, raw, options) || !takeServer(app, raw, options) || !takeLoads(app, raw, options) ||
        !takeTyping(raw, options))
        return {false, exitBadCommandLine, {}};
    return {true, 0, options};
}

} // namespace ollendor
