// ollendor-cpm FILE.COM [--max-tstates N]
//
// Runs a CP/M program on the CPU core over the flat CP/M bus, with its console output on
// stdout, then reports on stderr how many T-states it took and how fast they ran. Exit 0
// when the program ended or hit the T-state limit; 1 when the file cannot be used; CLI11's
// codes for bad arguments.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cpu/run.h"
#include "tools/cpm_bus.h"

using namespace ollendor;

namespace {

// Reads the whole program file; on failure says why in `error`.
bool readProgram(const std::string& path, std::vector<uint8_t>& program, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    program.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    if (program.empty()) {
        error = path + " is empty";
        return false;
    }
    if (program.size() > CpmBus::maxProgramSize) {
        error = path + " is too large: " + std::to_string(program.size()) + " bytes, at most " +
                std::to_string(CpmBus::maxProgramSize) + " fit below the BDOS";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Runs a CP/M .COM program (such as an instruction exerciser) on the Z80 core."};
    std::string path;
    uint64_t maxTStates = 0;
    app.add_option("file", path, "the .COM program, loaded at 0x0100")->required();
    app.add_option("--max-tstates", maxTStates, "stop after about this many T-states (0: no limit)");
    CLI11_PARSE(app, argc, argv);

    std::vector<uint8_t> program;
    std::string error;
    if (!readProgram(path, program, error)) {
        std::fprintf(stderr, "ollendor-cpm: %s\n", error.c_str());
        return 1;
    }

    static Z80State cpu;
    CpmBus::load(program, cpu);
    CpmBus::maxTStates = maxTStates;

    const auto start = std::chrono::steady_clock::now();
    cpuRun(CpmBus{}, cpu);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (CpmBus::lastOutput != '\n')
        std::fputc('\n', stdout); // keep the report below the program's last line
    std::fflush(stdout);

    const double seconds = elapsed.count();
    const double mhz = seconds > 0 ? double(CpmBus::tStates) / seconds / 1e6 : 0.0;
    std::fprintf(stderr, "T-states: %llu, seconds: %.3f, MHz: %.1f\n",
                 static_cast<unsigned long long>(CpmBus::tStates), seconds, mhz);
    return 0;
}
