// ollendor-cpm FILE.COM [--max-tstates N]
//
// Runs a CP/M program on the CPU core over the flat CP/M bus, with its console output on
// stdout, then reports on stderr how many T-states it took and how fast they ran. Exit 0
// when the program ended or hit the T-state limit; 1 when the file cannot be used or
// standard output cannot be written; 2 for bad arguments, as the emulator.
#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cpu/run.h"
#include "files/file_open.h"
#include "files/message_text.h"
#include "tools/cpm_bus.h"

using namespace ollendor;

namespace {

constexpr int exitBadFile = 1;
constexpr int exitBadCommandLine = 2;

// Reads the program file: a regular file only (a FIFO or device could wait or never end),
// and never more than fits below the BDOS plus one byte, which tells that it is too large.
// On failure says why in `error`.
bool readProgram(const std::string& path, std::vector<uint8_t>& program, std::string& error)
{
    const std::string shown = escapedForMessage(path);
    const OpenedFile opened = openRegularFile(path.c_str());
    if (!opened.file) {
        error = "cannot open " + shown + ": " + opened.why;
        return false;
    }
    struct stat info;
    const long long size = fstat(fileno(opened.file), &info) == 0 ? info.st_size : -1;
    program.resize(CpmBus::maxProgramSize + 1);
    const std::size_t read = std::fread(program.data(), 1, program.size(), opened.file);
    const bool failed = std::ferror(opened.file) != 0;
    const int readError = errno;
    std::fclose(opened.file);
    program.resize(read);
    if (failed) {
        error = "cannot read " + shown + ": " + std::strerror(readError);
        return false;
    }
    if (program.empty()) {
        error = shown + " is empty";
        return false;
    }
    if (program.size() > CpmBus::maxProgramSize) {
        const std::string bytes = size > (long long)CpmBus::maxProgramSize
                                      ? std::to_string(size)
                                      : "more than " + std::to_string(CpmBus::maxProgramSize);
        error = shown + " is too large: " + bytes + " bytes, at most " +
                std::to_string(CpmBus::maxProgramSize) + " fit below the BDOS";
        return false;
    }
    return true;
}

// A T-state count in plain decimal digits: no sign (CLI11 would take -1 as 2^64 - 1, which
// is no limit at all), nothing past 2^64 - 1.
std::string checkTStates(std::string& text)
{
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    const bool digitsOnly = !text.empty() && text[0] >= '0' && text[0] <= '9' && stop == end;
    if (!text.empty() && text[0] == '-')
        return "'" + escapedForMessage(text) + "': a T-state count cannot be negative";
    if (!digitsOnly || (error != std::errc() && error != std::errc::result_out_of_range))
        return "'" + escapedForMessage(text) + "' is not a whole number of T-states";
    if (error != std::errc())
        return text + " is out of range (0 to " + std::to_string(UINT64_MAX) + ")";
    return {};
}

// Whatever went to standard output must have arrived; a full disk or a closed pipe there
// is a failure to report.
bool standardOutputWritten()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    std::fprintf(stderr, "ollendor-cpm: cannot write to standard output: %s\n", std::strerror(errno));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Runs a CP/M .COM program (such as an instruction exerciser) on the Z80 core."};
    std::string path;
    uint64_t maxTStates = 0;
    app.add_option("file", path, "the .COM program, loaded at 0x0100")->required();
    app.add_option("--max-tstates", maxTStates, "stop after about this many T-states (0: no limit)")
        ->check(CLI::Validator(checkTStates, "UINT64"));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return standardOutputWritten() ? 0 : exitBadFile;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "ollendor-cpm: %s\n", escapedForMessage(error.what()).c_str());
        return exitBadCommandLine;
    }

    std::vector<uint8_t> program;
    std::string error;
    if (!readProgram(path, program, error)) {
        std::fprintf(stderr, "ollendor-cpm: %s\n", error.c_str());
        return exitBadFile;
    }

    static Z80State cpu;
    CpmBus::load(program, cpu);
    CpmBus::maxTStates = maxTStates;

    const auto start = std::chrono::steady_clock::now();
    cpuRun(CpmBus{}, cpu);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (CpmBus::lastOutput != '\n')
        std::fputc('\n', stdout); // keep the report below the program's last line
    const bool written = standardOutputWritten();

    const double seconds = elapsed.count();
    const double mhz = seconds > 0 ? double(CpmBus::tStates) / seconds / 1e6 : 0.0;
    std::fprintf(stderr, "T-states: %llu, seconds: %.3f, MHz: %.1f\n",
                 static_cast<unsigned long long>(CpmBus::tStates), seconds, mhz);
    return written ? 0 : exitBadFile;
}
