// The command line. Without options the program behaves as it always has: ROM images from
// the current directory, tapes from "tapes" below it, a window at three times the console's
// size, sound when a device exists, emulation held to the machine's own speed.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/renderer_choice.h"

namespace ollendor {

struct Options {
    std::optional<std::filesystem::path> romDir;       // searched for the ROM images after the current folder
    std::optional<std::filesystem::path> tapeDir;      // tape images, when not "tapes"
    bool headless = false;                             // no window, no sound device, unconstrained
    unsigned frames = 0;                               // stop after this many frames; 0: never
    std::optional<std::filesystem::path> screenshot;   // PNG of the last frame, written at exit
    std::optional<std::filesystem::path> wav;          // the sound output as a WAV file
    std::optional<std::filesystem::path> loadState;    // start from this state instead of power-on
    std::optional<std::filesystem::path> saveState;    // write the state here when the run ends
    std::optional<std::filesystem::path> record;       // write a recording of the run here
    std::optional<std::filesystem::path> replay;       // replay this recording
    std::string typeText;                              // typed on the emulated keyboard
    bool unconstrained = false;                        // start with the speed limit off
    bool noSound = false;                              // do not open the sound device
    int scale = 3;                                     // whole factor of the window's picture
    bool scaleGiven = false;                           // --scale was given (the settings' scale is not used)
    bool fullscreen = false;                           // start in full-screen output
    std::optional<std::filesystem::path> tape;         // the tape image mounted at start (FILE)
    RendererChoice renderer = RendererChoice::automatic; // --renderer
    bool paused = false;                               // start with the machine paused
    bool mcpStdio = false;                             // automation server on standard input/output
    std::optional<int> mcpHttpPort;                    // automation server over HTTP on 127.0.0.1 (0: any port)
    std::string mcpToken;                              // bearer token the HTTP server requires

    bool automation() const { return mcpStdio || mcpHttpPort.has_value(); }
    std::vector<std::filesystem::path> symbols;        // label files for the debugger, in order

    // --load FILE@ADDRESS: binaries put into memory after power-on (or a loaded state), in
    // order; ADDRESS as the debugger takes it (0x8000, $8000, 8000h, 32768, symbol+N),
    // read once the symbols are loaded.
    struct Load {
        std::filesystem::path file;
        std::string address;
    };
    std::vector<Load> loads;
    std::optional<std::string> start;                  // --start ADDRESS: the CPU goes on from there
    unsigned startFrame = 0;                           // --start-frame N: loads and start after N frames
    std::optional<std::filesystem::path> loadDir;      // --load-dir: load_binary over HTTP reads files here
};

struct CommandLine {
    bool run;       // false: exit at once with exitCode (help, version, or a bad value)
    int exitCode;   // 0 for --help and --version (1 when standard output failed), 2 for a bad value
    Options options; // when run is true
};

inline constexpr int exitBadCommandLine = 2;

// Parses the arguments. --help and --version print to standard output; a bad value prints
// one line to standard error, with the bytes of the arguments that do not print escaped.
CommandLine parseCommandLine(int argc, const char* const* argv);

} // namespace ollendor
