#include "frontend/options.h"

#include <cstdio>

#include <CLI/CLI.hpp>

#include "host/key_typist.h"

std::string unescapeTypedText(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    Options options;
    CLI::App app{"Ollendor: an emulator of the Memotech MTX home computer", "ollendor"};
    app.set_version_flag("--version", "ollendor Release 1");
    std::string romDir, tapeDir, screenshot, wav, typeText;

    app.add_option("--rom-dir", romDir, "Folder holding osrom, basicrom and assemrom (default: the current folder)")
        ->check(CLI::ExistingDirectory);
    app.add_option("--tape-dir", tapeDir, "Folder holding the tape images (default: tapes)")
        ->check(CLI::ExistingDirectory);
    app.add_flag("--headless", options.headless, "Run without a window or sound device, as fast as possible");
    app.add_option("--frames", options.frames, "Stop after N rendered frames")->check(CLI::Range(1u, 100000000u));
    app.add_option("--screenshot", screenshot, "Write the last rendered frame as a PNG file at exit");
    app.add_option("--wav", wav, "Write the sound output to a WAV file, on emulated time (needs --headless)");
    app.add_option("--type", typeText, "Type TEXT on the emulated keyboard after start (\\n is Enter)");
    app.add_flag("--unconstrained", options.unconstrained, "Start with the speed limit off");
    app.add_flag("--no-sound", options.noSound, "Do not open the sound device");
    app.add_option("--scale", options.scale, "Show the picture at N times its size (default 3)")->check(CLI::Range(1, 16));
    app.add_flag("--fullscreen", options.fullscreen, "Start in full-screen output");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return {false, 0, {}};
    } catch (const CLI::CallForVersion&) {
        std::puts("ollendor Release 1");
        return {false, 0, {}};
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "ollendor: %s\n", error.what());
        return {false, exitBadCommandLine, {}};
    }

    if (!romDir.empty())
        options.romDir = romDir;
    if (!tapeDir.empty())
        options.tapeDir = tapeDir;
    if (app.count("--screenshot")) {
        if (screenshot.empty()) {
            std::fprintf(stderr, "ollendor: --screenshot: the file name is empty\n");
            return {false, exitBadCommandLine, {}};
        }
        options.screenshot = screenshot;
    }
    if (app.count("--wav")) {
        if (wav.empty()) {
            std::fprintf(stderr, "ollendor: --wav: the file name is empty\n");
            return {false, exitBadCommandLine, {}};
        }
        if (!options.headless) {
            std::fprintf(stderr, "ollendor: --wav: needs --headless (the sound is written on emulated time)\n");
            return {false, exitBadCommandLine, {}};
        }
        options.wav = wav;
    }
    options.typeText = unescapeTypedText(typeText);
    const std::size_t bad = KeyTypist::firstUntypable(options.typeText);
    if (bad != std::string::npos) {
        std::fprintf(stderr, "ollendor: --type: the character '%c' has no key\n", options.typeText[bad]);
        return {false, exitBadCommandLine, {}};
    }
    return {true, 0, options};
}
