// The automation server's request handler: arbitrary bytes as request lines, answered over
// a control on the built-in ROM, the test's thread playing the loop.
//
// Input: lines separated by '\n' (at most 64 a run), each handed to the protocol as one
// message. Every answer must be one line of valid JSON-RPC. File paths in the tools that
// read or write files are pointed into a scratch folder first, so no input can touch
// anything else on the machine (the slots too: XDG_DATA_HOME is the scratch folder).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <unistd.h>

#include "automation/protocol.h"
#include "machine/rom_set.h"
#include "state/rewind.h"

using namespace ollendor;

namespace {

constexpr unsigned maxLines = 64;

std::filesystem::path scratch;

// One machine for every input, put back as it was at power-on before each (building a
// new one each time would cost more than most inputs).
struct Harness {
    Session session{builtinRomSet()};
    RewindBuffer rewind{8, size_t(8) << 20};
    Control control{session, rewind};
    std::unique_ptr<Mtx> powerOn = std::make_unique<Mtx>(session.machine());
    Symbols symbols = control.symbols();

    void reset()
    {
        session.replaceMachine(*powerOn);
        session.setTapeFolder(scratch);
        session.unmountTape();
        session.typeText("");
        session.holdKeys({}, 0);
        control.pause(); // ends any goal or frame count an input left
        control.resume();
        control.machineReplaced();
        Debugger& debugger = control.debugger();
        while (!debugger.breakpoints.all().empty())
            debugger.breakpoints.remove(debugger.breakpoints.all().front().id);
        debugger.watching = debugger.tracing = false;
        control.symbols() = symbols;
    }
};
Harness* harness = nullptr;

// Tools given a path get one inside the scratch folder, named after what the input gave
// (so the same name reads back what was written) but never leaving it.
std::string confined(std::string_view line)
{
    ParsedMessage parsed = parseMessage(line);
    if (!parsed.ok || !parsed.value.is_object())
        return std::string(line);
    Json& message = parsed.value;
    if (!message.contains("params") || !message["params"].is_object())
        return std::string(line);
    Json& params = message["params"];
    if (!params.contains("arguments") || !params["arguments"].is_object())
        return std::string(line);
    Json& arguments = params["arguments"];
    if (arguments.contains("path") && arguments["path"].is_string()) {
        const size_t hash = std::hash<std::string>{}(arguments["path"].get<std::string>());
        arguments["path"] = (scratch / ("file" + std::to_string(hash % 4))).string();
    }
    return messageText(message);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Diagnostics of unrecognised instructions go to standard output; thousands come.
    if (!std::freopen("/dev/null", "w", stdout))
        std::perror("cannot silence stdout");
    scratch = std::filesystem::temp_directory_path() / ("ollendor-fuzz-automation-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    setenv("XDG_DATA_HOME", scratch.c_str(), 1);
    harness = new Harness;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The machine at power-on for every input, so an input behaves the same whatever ran
    // before it.
    harness->reset();
    DirectAccess access(harness->control, 2); // a request waiting for a stop sees two frames pass

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    for (unsigned lines = 0; start <= input.size() && lines < maxLines; ++lines) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos)
            end = input.size();
        const std::string line = confined(input.substr(start, end - start));
        start = end + 1;
        ClientSession client;
        const std::optional<std::string> answer = McpProtocol::handleText(line, client, access);
        if (!answer)
            continue;
        // One line of JSON-RPC, whatever came in.
        if (answer->find('\n') != std::string::npos)
            __builtin_trap();
        const ParsedMessage reply = parseMessage(*answer);
        if (!reply.ok || !reply.value.is_object() || reply.value.value("jsonrpc", "") != "2.0" ||
            (reply.value.contains("result") == reply.value.contains("error")))
            __builtin_trap();
    }
    return 0;
}
